#include "cli/package_io.h"

#include <cctype>
#include <cstdio>
#include <ostream>
#include <sys/stat.h>

#include "settings/ini_file.h"

namespace tobu::cli {

std::string Shown(std::string_view text) {
    std::string out;
    char buf[16];
    for (size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (c < 0x20 || c == 0x7F) {
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        } else if (c == 0xC2 && next >= 0x80 && next <= 0x9F) { // U+0080..U+009F in UTF-8
            std::snprintf(buf, sizeof buf, "\\u%04x", next);
            out += buf;
            ++i;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    char buf[16];
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || c == 0x7F) {
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

bool EnsureDir(const std::string& dir) {
    struct stat st {};
    if (::stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    return ::mkdir(dir.c_str(), 0755) == 0;
}

std::string JoinPath(const std::string& dir, const char* name) {
    return (dir.empty() || dir.back() == '/') ? dir + name : dir + "/" + name;
}

bool WriteUserFile(const std::string& path, std::string_view data, const char* tool, Io& io) {
    std::string why;
    if (WriteFileAtomically(path, data, LinkPolicy::Replace, &why)) return true;
    io.err << tool << ": not writing " << Shown(path) << ": " << Shown(why) << "\n";
    return false;
}

std::optional<std::uint32_t> ParseLead(std::string h) {
    if (h.size() > 2 && h[0] == '0' && (h[1] == 'x' || h[1] == 'X')) h = h.substr(2);
    bool ok = h.size() == 8;
    for (char ch : h) ok = ok && std::isxdigit(static_cast<unsigned char>(ch));
    if (!ok) return std::nullopt;
    return static_cast<std::uint32_t>(std::stoul(h, nullptr, 16));
}

} // namespace tobu::cli
