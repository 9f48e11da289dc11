#include "online/start_page.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "base/text.h"
#include "online/feed.h"
#include "settings/ini_file.h"

namespace tobu {

namespace {

constexpr const char* kPref = "browser.startup.homepage";
constexpr std::size_t kMaxUserJs = 16u << 20;

struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> values;
    std::string Get(const char* key) const {
        for (const auto& [k, v] : values)
            if (SameText(k, key)) return v;
        return "";
    }
};

std::vector<Section> ParseIni(std::string_view text) {
    std::vector<Section> sections;
    for (const std::string& raw : SplitFeedLines(text)) {
        const std::string line = Trim(raw);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line.front() == '[' && line.back() == ']') {
            sections.push_back({line.substr(1, line.size() - 2), {}});
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos || sections.empty()) continue;
        sections.back().values.emplace_back(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
    }
    return sections;
}

bool StartsWithNoCase(const std::string& s, const char* prefix) {
    return SameText(std::string_view(s).substr(0, std::string_view(prefix).size()), prefix);
}

std::optional<std::string> FolderOf(const Section& profile, const std::string& iniFolder) {
    const std::string path = profile.Get("Path");
    if (path.empty()) return std::nullopt;
    if (profile.Get("IsRelative") == "1") return iniFolder + path;
    return path;
}

std::optional<std::string> ReadSmallFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text;
    char buf[65536];
    while (in.read(buf, sizeof buf) || in.gcount() > 0) {
        text.append(buf, static_cast<size_t>(in.gcount()));
        if (text.size() > kMaxUserJs) return std::nullopt;
    }
    return text;
}

void SkipSpaces(std::string_view s, size_t& i) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
}

// A JavaScript string literal at i (double or single quotes), its escapes undone.
std::optional<std::string> StringLiteral(std::string_view s, size_t& i) {
    if (i >= s.size() || (s[i] != '"' && s[i] != '\'')) return std::nullopt;
    const char quote = s[i++];
    std::string out;
    while (i < s.size()) {
        const char c = s[i++];
        if (c == quote) return out;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (i >= s.size()) return std::nullopt;
        const char e = s[i++];
        switch (e) {
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        case 'b':
            out += '\b';
            break;
        case 'f':
            out += '\f';
            break;
        case 'v':
            out += '\v';
            break;
        case '0':
            out += '\0';
            break;
        case 'x':
        case 'u': {
            const size_t n = e == 'x' ? 2 : 4;
            if (i + n > s.size()) return std::nullopt;
            unsigned cp = 0;
            for (size_t k = 0; k < n; ++k) {
                const char h = s[i + k];
                const int d = h >= '0' && h <= '9'   ? h - '0'
                              : h >= 'a' && h <= 'f' ? h - 'a' + 10
                              : h >= 'A' && h <= 'F' ? h - 'A' + 10
                                                     : -1;
                if (d < 0) return std::nullopt;
                cp = cp * 16 + static_cast<unsigned>(d);
            }
            i += n;
            if (cp < 0x80) {
                out += static_cast<char>(cp);
            } else if (cp < 0x800) {
                out += static_cast<char>(0xC0 | (cp >> 6));
                out += static_cast<char>(0x80 | (cp & 0x3F));
            } else {
                out += static_cast<char>(0xE0 | (cp >> 12));
                out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (cp & 0x3F));
            }
            break;
        }
        default:
            out += e;
            break;
        }
    }
    return std::nullopt;
}

// The statement user_pref("browser.startup.homepage", VALUE); on one line: its value, or
// nothing when the line is not one (`sets` tells whether the line names the preference at all).
std::optional<std::string> PrefOfLine(std::string_view line, bool* sets = nullptr) {
    if (sets) *sets = false;
    size_t i = 0;
    SkipSpaces(line, i);
    if (line.substr(i, 10) != "user_pref(") return std::nullopt;
    i += 10;
    SkipSpaces(line, i);
    std::optional<std::string> name = StringLiteral(line, i);
    if (!name || *name != kPref) return std::nullopt;
    if (sets) *sets = true;
    SkipSpaces(line, i);
    if (i >= line.size() || line[i] != ',') return std::nullopt;
    ++i;
    SkipSpaces(line, i);
    std::optional<std::string> value = StringLiteral(line, i);
    if (!value) return std::nullopt;
    SkipSpaces(line, i);
    if (i >= line.size() || line[i] != ')') return std::nullopt;
    ++i;
    SkipSpaces(line, i);
    if (i >= line.size() || line[i] != ';') return std::nullopt;
    return value;
}

// The lines of the text, each with its own ending.
std::vector<std::string_view> LinesWithEndings(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string_view::npos ? text.size() : end + 1;
        lines.push_back(text.substr(start, end - start));
        start = end;
    }
    return lines;
}

std::string_view WithoutEnding(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    return line;
}

} // namespace

std::string DefaultProfilesIni() {
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.mozilla/firefox/profiles.ini";
}

std::optional<std::string> ChooseProfile(std::string_view iniText, const std::string& iniFolder) {
    const std::vector<Section> sections = ParseIni(iniText);
    std::vector<const Section*> profiles;
    for (const Section& s : sections)
        if (StartsWithNoCase(s.name, "Profile")) profiles.push_back(&s);
    for (const Section& s : sections) {
        if (!StartsWithNoCase(s.name, "Install")) continue;
        const std::string wanted = s.Get("Default");
        if (wanted.empty()) break;
        for (const Section* p : profiles)
            if (p->Get("Path") == wanted) return FolderOf(*p, iniFolder);
        return wanted.front() == '/' ? wanted : iniFolder + wanted;
    }
    for (const Section* p : profiles)
        if (p->Get("Default") == "1") return FolderOf(*p, iniFolder);
    if (profiles.size() == 1) return FolderOf(*profiles.front(), iniFolder);
    return std::nullopt;
}

std::optional<std::string> DefaultProfileFolder(const std::string& profilesIni) {
    std::optional<std::string> text = ReadSmallFile(profilesIni);
    if (!text) return std::nullopt;
    const size_t slash = profilesIni.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : profilesIni.substr(0, slash + 1);
    std::optional<std::string> profile = ChooseProfile(*text, folder);
    if (profile && !profile->empty() && profile->back() != '/') *profile += '/';
    return profile;
}

std::string ReadHomePagePref(std::string_view userJs) {
    std::string value;
    for (std::string_view line : LinesWithEndings(userJs))
        if (std::optional<std::string> v = PrefOfLine(WithoutEnding(line))) value = *v;
    return value;
}

std::string WithHomePagePref(std::string_view userJs, std::string_view value) {
    std::string out;
    out.reserve(userJs.size() + value.size() + 64);
    for (std::string_view line : LinesWithEndings(userJs)) {
        bool sets = false;
        PrefOfLine(WithoutEnding(line), &sets);
        if (!sets) out += line;
    }
    if (!out.empty() && out.back() != '\n') out += '\n';
    out += "user_pref(\"";
    out += kPref;
    out += "\", \"";
    for (char c : value) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    out += "\");\n";
    return out;
}

std::string ReadStartPage(const std::string& profilesIni) {
    std::optional<std::string> profile = DefaultProfileFolder(profilesIni);
    if (!profile) return "";
    std::optional<std::string> js = ReadSmallFile(*profile + "user.js");
    return js ? ReadHomePagePref(*js) : "";
}

bool WriteStartPage(const std::string& address, const std::string& profilesIni) {
    std::optional<std::string> web = AllowedWebAddress(address);
    if (!web || *web != address) return false;
    std::optional<std::string> profile = DefaultProfileFolder(profilesIni);
    if (!profile) return false;
    const std::string path = *profile + "user.js";
    std::string current;
    if (std::optional<std::string> js = ReadSmallFile(path))
        current = std::move(*js);
    else if (std::ifstream(path).good())
        return false; // there but unreadable or too large: leave it alone
    return WriteFileAtomically(path, WithHomePagePref(current, address));
}

} // namespace tobu
