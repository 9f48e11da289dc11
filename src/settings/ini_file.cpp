#include "settings/ini_file.h"

#include "base/text.h"
#include "platform/folder_trust.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/random.h>
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

// The form of a name under which names that are equal ignoring ASCII letter case are equal
// strings. A GBK lead byte and its trail byte are kept as they are, so a trail byte that happens
// to be a letter is never folded; UTF-8 multi-byte characters hold no ASCII bytes, so only
// their ASCII letters fold.
std::string FoldedName(std::string_view name, bool utf8) {
    std::string out(name);
    for (std::size_t i = 0; i < out.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(out[i]);
        if (!utf8 && c >= 0x81 && c <= 0xFE && i + 1 < out.size()) {
            ++i;
            continue;
        }
        out[i] = FoldAscii(out[i]);
    }
    return out;
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

namespace {

// The writer's steps. Every step works relative to a descriptor of the destination folder, so a
// name swapped behind our back cannot send a later step somewhere else.

std::string ErrnoText() {
    return std::strerror(errno);
}

// Opens the folder for the writer's steps (an O_PATH descriptor), or -1 with the reason.
// Without `strict` the system resolves the path. With it the path is walked one name at a
// time, and a symbolic link is followed only when it belongs to this user or root: a link that
// another user planted on the way could otherwise lead the write into any of our folders.
int OpenFolder(const std::string& dir, bool strict, std::string& why) {
    if (!strict) {
        int fd = ::open(dir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) why = "cannot open the folder " + dir + ": " + ErrnoText();
        return fd;
    }
    std::deque<std::string> names;
    auto push_front_path = [&names](std::string_view p) {
        std::vector<std::string> parts;
        std::size_t b = 0;
        while (b <= p.size()) {
            std::size_t e = p.find('/', b);
            if (e == npos) e = p.size();
            if (e > b) parts.emplace_back(p.substr(b, e - b));
            b = e + 1;
        }
        names.insert(names.begin(), parts.begin(), parts.end());
    };
    push_front_path(dir);
    int fd = ::open(dir.starts_with('/') ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        why = "cannot open the folder " + dir + ": " + ErrnoText();
        return -1;
    }
    int links = 0;
    while (!names.empty()) {
        std::string name = std::move(names.front());
        names.pop_front();
        if (name == ".") continue;
        int next = ::openat(fd, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
        struct stat st {};
        if (next < 0 || ::fstat(next, &st) != 0) {
            why = "cannot open the folder " + dir + ": " + ErrnoText();
            if (next >= 0) ::close(next);
            ::close(fd);
            return -1;
        }
        if (S_ISLNK(st.st_mode)) {
            char target[PATH_MAX];
            ssize_t n = -1;
            if (OwnedBySelfOrRoot(st.st_uid) && ++links <= 40)
                n = ::readlinkat(next, "", target, sizeof target - 1);
            ::close(next);
            if (n <= 0) {
                why = OwnedBySelfOrRoot(st.st_uid)
                          ? "cannot follow the folder " + dir
                          : "the folder " + dir + " is reached through another user's link";
                ::close(fd);
                return -1;
            }
            std::string_view t(target, static_cast<std::size_t>(n));
            if (t.starts_with('/')) {
                ::close(fd);
                fd = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
                if (fd < 0) return -1;
            }
            push_front_path(t);
            continue;
        }
        ::close(fd);
        fd = next;
        if (!S_ISDIR(st.st_mode)) {
            why = "cannot open the folder " + dir + ": " + std::strerror(ENOTDIR);
            ::close(fd);
            return -1;
        }
    }
    return fd;
}

const char kTempMarker[] = ".tobu-";
constexpr std::size_t kTempRandom = 6;

bool IsTempName(std::string_view name, std::string_view prefix) {
    if (name.size() != prefix.size() + kTempRandom || !name.starts_with(prefix)) return false;
    for (char c : name.substr(prefix.size()))
        if (!std::isalnum(static_cast<unsigned char>(c))) return false;
    return true;
}

std::string RandomTempSuffix() {
    static const char alnum[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::atomic<std::uint64_t> counter{0};
    unsigned char bytes[kTempRandom];
    if (::getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
        std::uint64_t x = static_cast<std::uint64_t>(::getpid()) * 0x9E3779B97F4A7C15ull ^
                          static_cast<std::uint64_t>(::time(nullptr)) ^ (counter++ << 40);
        for (unsigned char& b : bytes) b = static_cast<unsigned char>(x >>= 7);
    }
    std::string out;
    for (unsigned char b : bytes) out += alnum[b % 62];
    return out;
}

// A writer killed between creating its temporary file and renaming it leaves the file behind.
// Removes those of this destination: our pattern, regular, ours, and old enough that no live
// writer can still be filling them (a writer renames within moments of its last write; one
// stalled for longer merely sees its own save fail).
void RemoveStaleTemps(int dir_fd, std::string_view prefix) {
    int fd = ::openat(dir_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    DIR* d = ::fdopendir(fd);
    if (!d) {
        ::close(fd);
        return;
    }
    const time_t now = ::time(nullptr);
    while (const dirent* e = ::readdir(d)) {
        if (!IsTempName(e->d_name, prefix)) continue;
        struct stat st {};
        if (::fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != ::geteuid() || now - st.st_mtime < kStaleTempSeconds)
            continue;
        ::unlinkat(fd, e->d_name, 0);
    }
    ::closedir(d);
}

// The fallback for a folder that takes no temporary file: the existing file is overwritten.
// Space is reserved first where the file system allows, so a full disk fails before the old
// content is touched.
bool RewriteInPlace(int dir_fd, const std::string& base, std::string_view data, std::string& why) {
    int fd = ::openat(dir_fd, base.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        why = "the folder takes no temporary file and the file is not writable";
        if (fd >= 0) ::close(fd);
        return false;
    }
    bool ok = data.empty() || ::fallocate(fd, 0, 0, static_cast<off_t>(data.size())) == 0 ||
              errno == EOPNOTSUPP || errno == ENOSYS;
    ok = ok && WriteAll(fd, data);
    ok = ok && ::ftruncate(fd, static_cast<off_t>(data.size())) == 0;
    ok = ok && ::fsync(fd) == 0;
    if (!ok) why = "rewriting the file in place failed: " + ErrnoText();
    ok = (::close(fd) == 0) && ok;
    return ok;
}

bool WriteFileImpl(const std::string& path, std::string_view data, LinkPolicy links,
                   std::string& why) {
    if (path.empty()) {
        why = "no file name";
        return false;
    }
    const bool strict = links == LinkPolicy::Replace;
    std::string target = path;
    struct stat st {};
    if (!strict && ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        // Our own settings may live behind our own link; a link or target of anybody else
        // would let them choose which of our files we replace.
        if (st.st_uid != ::geteuid()) {
            why = "it is a symbolic link of another user";
            return false;
        }
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            target = real;
            std::free(real);
            if (::stat(target.c_str(), &st) == 0 && st.st_uid != ::geteuid()) {
                why = "its link leads to a file of another user";
                return false;
            }
        }
    }

    std::size_t slash = target.rfind('/');
    std::string dir = slash == npos ? std::string(".") : target.substr(0, slash + 1);
    std::string base = slash == npos ? target : target.substr(slash + 1);
    if (base.empty() || base == "." || base == "..") {
        why = "not a file name";
        return false;
    }
    const std::string shown =
        dir.size() > 1 && dir.back() == '/' ? dir.substr(0, dir.size() - 1) : dir;
    int dir_fd = OpenFolder(shown, strict, why);
    if (dir_fd < 0) return false;
    struct DirCloser {
        int fd;
        ~DirCloser() { ::close(fd); }
    } closer{dir_fd};

    if (strict && (::fstat(dir_fd, &st) != 0 || OthersMayChange(st))) {
        why = "other users may change the folder " + shown;
        return false;
    }
    bool exists = ::fstatat(dir_fd, base.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    if (exists && S_ISLNK(st.st_mode)) {
        // Only possible with `strict` (or a link swapped in just now): the link itself is
        // replaced, never followed.
        if (st.st_uid != ::geteuid()) {
            why = "it is a symbolic link of another user";
            return false;
        }
        exists = false;
    } else if (exists && !S_ISREG(st.st_mode)) {
        why = "it is not a regular file";
        return false;
    }

    const std::string prefix = "." + base + kTempMarker;
    RemoveStaleTemps(dir_fd, prefix);
    std::string tmp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tmp = prefix + RandomTempSuffix();
        fd = ::openat(dir_fd, tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                      0600);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        int err = errno;
        if (!strict && exists) return RewriteInPlace(dir_fd, base, data, why);
        why = "cannot create a file in " + shown + ": " + std::strerror(err);
        return false;
    }

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
    ok = ok && ::renameat(dir_fd, tmp.c_str(), dir_fd, base.c_str()) == 0;
    if (!ok) {
        why = "writing failed: " + ErrnoText();
        ::unlinkat(dir_fd, tmp.c_str(), 0);
        return false;
    }
    int sync_fd = ::openat(dir_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (sync_fd >= 0) {
        ::fsync(sync_fd);
        ::close(sync_fd);
    }
    return true;
}

} // namespace

bool WriteFileAtomically(const std::string& path, std::string_view data, LinkPolicy links,
                         std::string* why) {
    std::string reason;
    bool ok = WriteFileImpl(path, data, links, reason);
    if (!ok && why) *why = std::move(reason);
    return ok;
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
    indexed_ = false;
    // A file that starts with the UTF-8 mark is UTF-8 throughout; Serialize puts the mark back.
    utf8_ = bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom;
    if (utf8_) bytes.remove_prefix(kUtf8Bom.size());
    bool eol_known = false;
    lines_.reserve(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1);
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

void IniFile::BuildIndex() const {
    index_.clear();
    index_.reserve(lines_.size());
    std::string section;
    bool first_of_name = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == Kind::Section) {
            section = FoldedName(line.name, utf8_);
            first_of_name = index_.try_emplace(section, i).second;
        } else if (line.kind == Kind::Key && first_of_name) {
            // A section entry never holds a line break; a key entry is section, LF, key.
            index_.try_emplace(section + '\n' + FoldedName(line.name, utf8_), i);
        }
    }
    indexed_ = true;
}

void IniFile::IndexInsertedLine(std::size_t at) const {
    if (!indexed_) return;
    for (auto& entry : index_)
        if (entry.second >= at) ++entry.second;
}

std::size_t IniFile::FindSection(std::string_view file_section) const {
    if (file_section.empty()) return npos;
    if (!indexed_) BuildIndex();
    auto it = index_.find(FoldedName(file_section, utf8_));
    return it == index_.end() ? npos : it->second;
}

std::size_t IniFile::SectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines_.size() && lines_[i].kind != Kind::Section) ++i;
    return i;
}

std::size_t IniFile::FindKey(std::string_view file_section, std::string_view file_key) const {
    if (file_key.empty() || file_section.empty()) return npos;
    if (!indexed_) BuildIndex();
    auto it = index_.find(FoldedName(file_section, utf8_) + '\n' + FoldedName(file_key, utf8_));
    return it == index_.end() ? npos : it->second;
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
        if (indexed_) {
            // The first section of its name, holding the first key of its name.
            const std::string folded = FoldedName(sec, utf8_);
            index_.emplace(folded, lines_.size() - 2);
            index_.emplace(folded + '\n' + FoldedName(name, utf8_), lines_.size() - 1);
        }
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
    IndexInsertedLine(insert);
    if (indexed_) index_.emplace(FoldedName(sec, utf8_) + '\n' + FoldedName(name, utf8_), insert);
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
    indexed_ = false; // a later key of the same name may come forward
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
