#include "platform/folder_trust.h"

#include <grp.h>
#include <pwd.h>
#include <string_view>
#include <unistd.h>

namespace tobu {

namespace {

// A group that, by the usual convention, only this user belongs to: the user's private group.
bool IsPrivateGroup(gid_t gid) {
    if (gid != ::getegid()) return false;
    const passwd* pw = ::getpwuid(::geteuid());
    if (!pw) return false;
    const std::string_view user = pw->pw_name;
    const group* gr = ::getgrgid(gid);
    if (!gr || user != gr->gr_name) return false;
    for (char** m = gr->gr_mem; m && *m; ++m)
        if (user != *m) return false;
    return true;
}

} // namespace

bool OwnedBySelfOrRoot(uid_t uid) {
    return uid == ::geteuid() || uid == 0;
}

bool OthersMayChange(const struct stat& st) {
    const bool owner_ok = OwnedBySelfOrRoot(st.st_uid);
    const bool shared = !owner_ok || (st.st_mode & S_IWOTH) ||
                        ((st.st_mode & S_IWGRP) && !IsPrivateGroup(st.st_gid));
    return shared && !(owner_ok && (st.st_mode & S_ISVTX));
}

} // namespace tobu
