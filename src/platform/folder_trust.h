// Whose folder is it? Files that must not be swapped behind the program's back (sockets, the
// instance slot, files written for the user) go only where no other user can change entries.
#pragma once

#include <sys/stat.h>

namespace tobu {

// This process's user, or root (who can change anything anyway).
bool OwnedBySelfOrRoot(uid_t uid);

// Whether another user may rename, remove or plant entries in the folder described by `st`:
// it belongs to somebody else, or others or a shared group may write it. A sticky folder of
// ours or root's (like /tmp) protects the entries we put there, so it does not count.
bool OthersMayChange(const struct stat& st);

} // namespace tobu
