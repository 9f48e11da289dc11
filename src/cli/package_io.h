// What `tobu skin` and `tobu face` share: showing package texts safely on a terminal, the
// folder and file writes of unpack and pack, and the --lead option.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "cli/command.h"

namespace tobu::cli {

// A text of a package as the terminal may show it: control characters (C0, DEL and C1) become
// \xNN or \u00NN, so a package cannot send escape sequences to the terminal.
std::string Shown(std::string_view text);
// A JSON string literal of the text (quotes, backslashes and control characters escaped).
std::string JsonString(std::string_view text);

// Creates the folder if needed; false when it cannot or the path is not a folder.
bool EnsureDir(const std::string& dir);
std::string JoinPath(const std::string& dir, const char* name);

// Writes a file the user asked for, atomically and never through a link; false with a one-line
// reason, prefixed by `tool` ("tobu skin"), on standard error.
bool WriteUserFile(const std::string& path, std::string_view data, const char* tool, Io& io);

// The value of --lead: eight hexadecimal digits, "0x" allowed in front.
std::optional<std::uint32_t> ParseLead(std::string text);

} // namespace tobu::cli
