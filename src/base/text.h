// Small text helpers shared by every subsystem: trimming, letter-case rules of the settings
// files (ASCII letters only), integers as the settings files write them, and GBK text.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tobu {

std::string Trim(std::string_view s); // removes blanks and control characters at both ends
std::string AsciiLower(std::string_view s);
std::string AsciiUpper(std::string_view s);
bool SameText(std::string_view a, std::string_view b); // equal ignoring ASCII letter case

// An integer as the settings files hold it: optional blanks, optional sign, decimal digits, or
// hexadecimal after "0x", "0X" or "$". Anything else (trailing junk, empty, overflow of 32 bits)
// gives nothing.
std::optional<int> ParseInt(std::string_view s);
int StrToIntDef(std::string_view s, int def);

std::vector<std::string> Split(std::string_view s, char sep);

// GBK (code page 936). Conversions never fail: a character with no GBK form becomes "?", a
// malformed GBK byte sequence becomes U+FFFD.
std::string Utf8ToGbk(std::string_view utf8);
std::string GbkToUtf8(std::string_view gbk);
// The number of bytes the text takes in GBK.
size_t GbkByteCount(std::string_view utf8);
// The longest prefix of the text that fits in max_bytes GBK bytes, never cutting a character.
std::string GbkTruncate(std::string_view utf8, size_t max_bytes);
// True when every byte sequence in the text is well-formed UTF-8.
bool IsValidUtf8(std::string_view s);

} // namespace tobu
