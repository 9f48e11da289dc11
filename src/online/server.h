// The maker's web server and the addresses on it. The build setting TOBU_SERVER_DEFAULT names
// it; the environment variable TOBU_SERVER, when set, overrides it (tests point it at a server
// on 127.0.0.1). An unusable value means no request is ever made.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tobu {

// The server as requests use it: "http://" or "https://" (either in any letter case), a host
// with an optional port, an optional path prefix; one trailing "/" is dropped. Nothing for an
// unusable value: no scheme or another one, an empty host, a bad port, blanks or control
// characters, a query or fragment.
std::optional<std::string> ServerBase(std::string_view value);

// The configured server text: $TOBU_SERVER when set (even empty), else the build's default.
std::string ConfiguredServerText();
// ServerBase of the configured text.
std::optional<std::string> ConfiguredServer();

std::string FeedUrl(const std::string& base);     // base + "/AD/AD003.txt"
std::string WeatherUrl(const std::string& base);  // base + "/Weather_TobuClock.htm"
std::string HomePageUrl(const std::string& base); // base + "/"

// The about box's contact address (build setting TOBU_CONTACT).
std::string ContactAddress();

} // namespace tobu
