// The browser's start page: browser.startup.homepage in the user.js of the user's default
// Firefox profile. Without a profile it reads empty and writing does nothing.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tobu {

// "$HOME/.mozilla/firefox/profiles.ini".
std::string DefaultProfilesIni();

// The folder of the default profile named by a profiles.ini text (its folder is `iniFolder`,
// ending in "/"): the profile of Default= in the first [Install…] section, else the [Profile…]
// section with Default=1, else the only [Profile…] section. Path is relative to the ini's
// folder when IsRelative=1. Nothing without such a profile.
std::optional<std::string> ChooseProfile(std::string_view iniText, const std::string& iniFolder);
// The same, reading the file.
std::optional<std::string>
DefaultProfileFolder(const std::string& profilesIni = DefaultProfilesIni());

// The value of the last user_pref("browser.startup.homepage", …); in the text, its escapes
// undone; "" when there is none.
std::string ReadHomePagePref(std::string_view userJs);
// The text with every line that sets the preference removed and one line
// user_pref("browser.startup.homepage", "VALUE"); appended (\ and " escaped); every other line
// kept byte for byte.
std::string WithHomePagePref(std::string_view userJs, std::string_view value);

// Reads the start page of the default profile ("" without a profile or user.js).
std::string ReadStartPage(const std::string& profilesIni = DefaultProfilesIni());
// Writes an http or https address as the start page, replacing user.js atomically (created when
// missing). False for another address, without a profile or when the write fails.
bool WriteStartPage(const std::string& address,
                    const std::string& profilesIni = DefaultProfilesIni());

} // namespace tobu
