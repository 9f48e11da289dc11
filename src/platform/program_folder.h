// Where the program's files are. Run from a folder of its own (the build's TobuClock/ or a copy
// anywhere) the program reads and writes every file in the folder of its executable. The
// Debian package installs that folder read-only and shared (/usr/lib/tobuclock/), marked by
// the file kSharedFolderMarker; then each user gets a folder of their own,
// $XDG_DATA_HOME/TobuClock/ (~/.local/share/TobuClock/), shaped like the program folder: the
// settings and lists the program writes are copies of the shipped ones made on the first start
// and the user's from then on, and the read-only content (skins, faces, recordings, programs)
// are links into the shipped folder, so a newer package brings its new skins along. Every
// start adds what a newer package ships and the user folder lacks, and removes links to what
// it no longer ships; it never replaces a file of the user.
#pragma once

#include <string>

namespace tobu {

constexpr const char* kSharedFolderMarker = "installed-system-wide";

// The user's folder for a shared program folder: $XDG_DATA_HOME/TobuClock/, else
// $HOME/.local/share/TobuClock/ (with one trailing "/"); "" when neither is set.
std::string UserProgramFolder();

// Brings `user` in line with `shipped` as described above (both end in "/"). False when the
// user folder could not be made; files that cannot be copied or linked are skipped.
bool SeedUserFolder(const std::string& shipped, const std::string& user);

// The folder the program works in for the executable folder `exe_dir` (ending in "/"): the
// folder itself, or for a shared program folder the seeded user folder (the shared folder
// when that cannot be made, so the clock still runs, without saving).
std::string ProgramFolderFor(const std::string& exe_dir);

} // namespace tobu
