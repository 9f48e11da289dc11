#include "settings/ini_file.h"

#include "base/text.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace tobu {

namespace {

constexpr std::size_t npos = std::string::npos;

bool IsBlank(unsigned char c) {
    return c <= ' ';
}

std::string_view TrimView(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && IsBlank(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && IsBlank(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Equal ignoring ASCII letter case. A GBK lead byte and its trail byte are compared exactly,
// so a trail byte that happens to be a letter is never folded; UTF-8 multi-byte characters
// hold no ASCII bytes, so only their ASCII letters fold.
bool SameName(std::string_view a, std::string_view b, bool utf8) {
    if (utf8) return SameText(a, b);
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(a[i]);
        if (c >= 0x81 && c <= 0xFE && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
            ++i;
            continue;
        }
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

bool HasControl(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    return false;
}

// The UTF-8 byte-order mark that makes a settings file UTF-8 instead of GBK.
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Text of the program (UTF-8) as the file holds it: GBK, or UTF-8 in a file with the mark.
std::string ToFileText(std::string_view utf8, bool utf8_file) {
    return utf8_file ? std::string(utf8) : Utf8ToGbk(utf8);
}

// Text of the file as the program's UTF-8; a malformed sequence in a UTF-8 file becomes U+FFFD
// as it does in a GBK one.
std::string FromFileText(std::string_view bytes, bool utf8_file) {
    if (!utf8_file) return GbkToUtf8(bytes);
    if (IsValidUtf8(bytes)) return std::string(bytes);
    std::string out;
    std::size_t i = 0;
    while (i < bytes.size()) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        std::size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : 4;
        std::string_view seq = bytes.substr(i, len);
        if (IsValidUtf8(seq)) {
            out += seq;
            i += seq.size();
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out;
}

// The name as the file holds it, trimmed; empty when it cannot be a name.
std::string SectionName(std::string_view utf8, bool utf8_file) {
    std::string name(TrimView(ToFileText(TrimView(utf8), utf8_file)));
    if (name.empty() || HasControl(name) || name.find(']') != npos) return {};
    return name;
}

std::string KeyName(std::string_view utf8, bool utf8_file) {
    std::string name(TrimView(ToFileText(TrimView(utf8), utf8_file)));
    if (name.empty() || HasControl(name) || name.find('=') != npos || name[0] == '[' ||
        name[0] == ';')
        return {};
    return name;
}

// A value on one line: line breaks (and NUL) become blanks.
std::string OneLineValue(std::string_view utf8, bool utf8_file) {
    std::string value = ToFileText(utf8, utf8_file);
    for (char& c : value)
        if (c == '\r' || c == '\n' || c == '\0') c = ' ';
    return std::string(TrimView(value));
}

enum class ReadResult { Ok, Missing, Failed };

ReadResult ReadWholeFile(const std::string& path, std::string& out) {
    if (path.empty()) return ReadResult::Missing;
    // Non-blocking, so that a named pipe in the file's place cannot stall the program; it is
    // then refused as not a regular file.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return (errno == ENOENT || errno == ENOTDIR) ? ReadResult::Missing : ReadResult::Failed;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<unsigned long long>(st.st_size) > IniFile::kMaxFileSize) {
        ::close(fd);
        return ReadResult::Failed;
    }
    out.clear();
    out.reserve(static_cast<std::size_t>(st.st_size));
    char buf[65536];
    while (true) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return ReadResult::Failed;
        }
        if (n == 0) break;
        out.append(buf, static_cast<std::size_t>(n));
        if (out.size() > IniFile::kMaxFileSize) {
            ::close(fd);
            return ReadResult::Failed;
        }
    }
    ::close(fd);
    return ReadResult::Ok;
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return false;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace

bool WriteFileAtomically(const std::string& path, std::string_view data) {
    if (path.empty()) return false;
    std::string target = path;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        // Replace the file the link points to, not the link.
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }
    bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) return false;

    std::size_t slash = target.rfind('/');
    std::string dir = slash == npos ? std::string(".") : target.substr(0, slash + 1);
    std::string base = slash == npos ? target : target.substr(slash + 1);
    if (base.empty()) return false;
    std::string tmp = dir + (slash == npos ? "/." : ".") + base + ".XXXXXX";
    int fd = ::mkostemp(tmp.data(), O_CLOEXEC);
    if (fd < 0) return false;

    bool ok = true;
    if (exists) {
        ok = ::fchmod(fd, st.st_mode & 07777) == 0;
        // Keep the owner when we may (a privileged writer editing somebody's file).
        if (ok && (st.st_uid != ::geteuid() || st.st_gid != ::getegid()))
            (void)!::fchown(fd, st.st_uid, st.st_gid);
    } else {
        ok = ::fchmod(fd, 0644) == 0;
    }
    ok = ok && WriteAll(fd, data);
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(tmp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(tmp.c_str());
        return false;
    }
    int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

IniFile::IniFile(std::string path) : path_(std::move(path)) {
    std::string bytes;
    switch (ReadWholeFile(path_, bytes)) {
    case ReadResult::Ok:
        state_ = LoadState::Loaded;
        Parse(bytes);
        break;
    case ReadResult::Missing:
        state_ = LoadState::Missing;
        break;
    case ReadResult::Failed:
        state_ = LoadState::Unreadable;
        break;
    }
}

IniFile IniFile::FromBytes(std::string_view bytes, std::string path) {
    IniFile ini;
    ini.path_ = std::move(path);
    ini.state_ = LoadState::Loaded;
    ini.Parse(bytes);
    return ini;
}

void IniFile::Parse(std::string_view bytes) {
    lines_.clear();
    // A file that starts with the UTF-8 mark is UTF-8 throughout; Serialize puts the mark back.
    utf8_ = bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom;
    if (utf8_) bytes.remove_prefix(kUtf8Bom.size());
    bool eol_known = false;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t nl = bytes.find('\n', pos);
        Line line;
        if (nl == npos) {
            line.text.assign(bytes.substr(pos));
            pos = bytes.size();
        } else {
            std::size_t end = nl;
            if (end > pos && bytes[end - 1] == '\r') --end;
            line.text.assign(bytes.substr(pos, end - pos));
            line.eol.assign(bytes.substr(end, nl + 1 - end));
            pos = nl + 1;
            if (!eol_known) {
                eol_ = line.eol;
                eol_known = true;
            }
        }
        Classify(line);
        lines_.push_back(std::move(line));
    }
}

void IniFile::Classify(Line& line) {
    std::string_view rest = line.text;
    std::size_t lead = 0;
    while (lead < rest.size() && IsBlank(static_cast<unsigned char>(rest[lead]))) ++lead;
    std::string_view t = TrimView(rest);
    line.kind = Kind::Other;
    if (t.empty() || t[0] == ';') return;
    if (t[0] == '[') {
        std::size_t close = t.find(']');
        if (close != npos) {
            line.kind = Kind::Section;
            line.name.assign(TrimView(t.substr(1, close - 1)));
            return;
        }
    }
    std::size_t eq = rest.find('=');
    if (eq == npos) return;
    std::string_view name = TrimView(rest.substr(0, eq));
    if (name.empty()) return;
    line.kind = Kind::Key;
    line.name.assign(name);
    line.name_begin = lead;
    line.eq = eq;
}

std::size_t IniFile::FindSection(std::string_view file_section) const {
    if (file_section.empty()) return npos;
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].kind == Kind::Section && SameName(lines_[i].name, file_section, utf8_))
            return i;
    return npos;
}

std::size_t IniFile::SectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines_.size() && lines_[i].kind != Kind::Section) ++i;
    return i;
}

std::size_t IniFile::FindKey(std::string_view file_section, std::string_view file_key) const {
    if (file_key.empty()) return npos;
    std::size_t header = FindSection(file_section);
    if (header == npos) return npos;
    std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i)
        if (lines_[i].kind == Kind::Key && SameName(lines_[i].name, file_key, utf8_)) return i;
    return npos;
}

const IniFile::Line* IniFile::FindKeyLine(std::string_view section, std::string_view key) const {
    std::size_t i = FindKey(SectionName(section, utf8_), KeyName(key, utf8_));
    return i == npos ? nullptr : &lines_[i];
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view def) const {
    const Line* line = FindKeyLine(section, key);
    if (!line) return std::string(def);
    return FromFileText(TrimView(std::string_view(line->text).substr(line->eq + 1)), utf8_);
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int def) const {
    const Line* line = FindKeyLine(section, key);
    if (!line) return def;
    return StrToIntDef(TrimView(std::string_view(line->text).substr(line->eq + 1)), def);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool IniFile::KeyExists(std::string_view section, std::string_view key) const {
    return FindKeyLine(section, key) != nullptr;
}

bool IniFile::SectionExists(std::string_view section) const {
    return FindSection(SectionName(section, utf8_)) != npos;
}

std::vector<std::string> IniFile::ReadSection(std::string_view section) const {
    std::vector<std::string> keys;
    std::size_t header = FindSection(SectionName(section, utf8_));
    if (header == npos) return keys;
    std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i)
        if (lines_[i].kind == Kind::Key) keys.push_back(FromFileText(lines_[i].name, utf8_));
    return keys;
}

std::vector<std::string> IniFile::ReadSections() const {
    std::vector<std::string> names;
    for (const Line& line : lines_)
        if (line.kind == Kind::Section) names.push_back(FromFileText(line.name, utf8_));
    return names;
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    std::string sec = SectionName(section, utf8_);
    std::string name = KeyName(key, utf8_);
    if (sec.empty() || name.empty()) return false;
    std::string val = OneLineValue(value, utf8_);

    std::size_t at = FindKey(sec, name);
    if (at != npos) {
        Line& line = lines_[at];
        // Keep the indentation and the key as spelled in the file.
        std::string text = line.text.substr(0, line.name_begin) + line.name + "=" + val;
        if (text != line.text) {
            line.text = std::move(text);
            line.eq = line.name_begin + line.name.size();
            modified_ = true;
        }
        return true;
    }

    Line fresh;
    fresh.text = name + "=" + val;
    fresh.eol = eol_;
    fresh.kind = Kind::Key;
    fresh.name = name;
    fresh.name_begin = 0;
    fresh.eq = name.size();

    std::size_t header = FindSection(sec);
    if (header == npos) {
        if (!lines_.empty() && lines_.back().eol.empty()) lines_.back().eol = eol_;
        Line head;
        head.text = "[" + sec + "]";
        head.eol = eol_;
        head.kind = Kind::Section;
        head.name = sec;
        lines_.push_back(std::move(head));
        lines_.push_back(std::move(fresh));
        modified_ = true;
        return true;
    }
    // After the section's last key line; right after the header when it has none.
    std::size_t end = SectionEnd(header);
    std::size_t insert = header + 1;
    for (std::size_t i = header + 1; i < end; ++i)
        if (lines_[i].kind == Kind::Key) insert = i + 1;
    if (lines_[insert - 1].eol.empty()) lines_[insert - 1].eol = eol_;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insert), std::move(fresh));
    modified_ = true;
    return true;
}

bool IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
    return WriteString(section, key, std::to_string(value));
}

bool IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    return WriteString(section, key, value ? "1" : "0");
}

bool IniFile::EraseKey(std::string_view section, std::string_view key) {
    std::size_t at = FindKey(SectionName(section, utf8_), KeyName(key, utf8_));
    if (at == npos) return false;
    // A last line without a line end passes its (missing) ending on to the line before.
    if (at + 1 == lines_.size() && lines_[at].eol.empty() && at > 0) lines_[at - 1].eol.clear();
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(at));
    modified_ = true;
    return true;
}

std::string IniFile::Serialize() const {
    std::string out;
    std::size_t size = utf8_ ? kUtf8Bom.size() : 0;
    for (const Line& line : lines_) size += line.text.size() + line.eol.size();
    out.reserve(size);
    if (utf8_) out += kUtf8Bom;
    for (const Line& line : lines_) {
        out += line.text;
        out += line.eol;
    }
    return out;
}

bool IniFile::Save() {
    if (state_ == LoadState::Unreadable) return false;
    if (!modified_) return true;
    if (!WriteFileAtomically(path_, Serialize())) return false;
    modified_ = false;
    state_ = LoadState::Loaded;
    return true;
}

} // namespace tobu
