#include "settings/ini_file.h"

#include "base/text.h"
#include "platform/folder_trust.h"

#include <algorithm>
#include <array>
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
#include <functional>
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
    return std::string_view(s.data() + b, e - b);
}

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether the names are equal ignoring ASCII letter case, as their folded forms are.
bool SameFolded(std::string_view a, std::string_view b, bool utf8) {
    if (a.size() != b.size()) return false;
    // Most look-ups spell the name as the file does.
    if (a.empty() || std::memcmp(a.data(), b.data(), a.size()) == 0) return true;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(a[i]);
        if (!utf8 && c >= 0x81 && c <= 0xFE && i + 1 < a.size()) {
            // A double-byte character compares exactly.
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
            ++i;
            continue;
        }
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
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

// What each byte is in a name, so that a name is checked by one table look-up a byte.
enum NameByte : unsigned char { kPlain = 0, kHigh = 1, kControl = 2, kBracket = 4, kEquals = 8 };
constexpr auto kNameBytes = [] {
    std::array<unsigned char, 256> t{};
    for (int c = 0; c < 256; ++c)
        t[c] = c >= 0x80               ? kHigh
               : c < 0x20 || c == 0x7F ? kControl
               : c == ']'              ? kBracket
               : c == '='              ? kEquals
                                       : kPlain;
    return t;
}();

// The name as the file holds it, trimmed; empty when it cannot be a name: empty, or holding a
// control character or `forbidden`. The names the program looks up are ASCII, which both
// encodings hold as they are: those are checked in one pass and not copied, and `buf` keeps a
// converted one (whose GBK trail bytes may be `forbidden` too).
std::string_view FileName(std::string_view utf8, bool utf8_file, std::string& buf, char forbidden) {
    const unsigned bad = kControl | (forbidden == ']' ? kBracket : kEquals);
    auto kinds = [](std::string_view name) {
        unsigned seen = 0;
        for (char ch : name) seen |= kNameBytes[static_cast<unsigned char>(ch)];
        return seen;
    };
    std::string_view name = TrimView(utf8);
    const unsigned seen = kinds(name);
    if (name.empty() || (seen & bad) != 0) return {};
    if (utf8_file || (seen & kHigh) == 0) return name;
    buf = Utf8ToGbk(name);
    name = TrimView(buf);
    if (name.empty() || (kinds(name) & bad) != 0) return {};
    return name;
}

std::string_view SectionName(std::string_view utf8, bool utf8_file, std::string& buf) {
    return FileName(utf8, utf8_file, buf, ']');
}

std::string_view KeyName(std::string_view utf8, bool utf8_file, std::string& buf) {
    std::string_view name = FileName(utf8, utf8_file, buf, '=');
    if (!name.empty() && (name[0] == '[' || name[0] == ';')) return {};
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
    // As for a file on disk: more than kMaxFileSize is not read.
    ini.state_ = bytes.size() > kMaxFileSize ? LoadState::Unreadable : LoadState::Loaded;
    if (ini.state_ == LoadState::Loaded) ini.Parse(bytes);
    return ini;
}

namespace {

std::string_view EolText(int eol) {
    static constexpr std::string_view kTexts[] = {"", "\n", "\r\n"};
    return kTexts[eol];
}

// A hash of the section and key names (the key empty for the section's own entry) that is the
// same for names equal ignoring ASCII letter case: every byte counts with bit 5 set, which makes
// the two cases of a letter one. It takes eight bytes a step; a look-up hashes its names once.
std::size_t HashNames(std::string_view section, std::string_view key) {
    std::uint64_t h = 14695981039346656037ull;
    auto add = [&h](std::string_view name) {
        std::size_t i = 0;
        for (; i + 8 <= name.size(); i += 8) {
            std::uint64_t word;
            std::memcpy(&word, name.data() + i, 8);
            h = (h ^ (word | 0x2020202020202020ull)) * 1099511628211ull;
            h ^= h >> 29;
        }
        std::uint64_t rest = 0;
        if (i < name.size()) std::memcpy(&rest, name.data() + i, name.size() - i);
        h = (h ^ (rest | 0x2020202020202020ull) ^ name.size()) * 1099511628211ull;
        h ^= h >> 29;
    };
    add(section);
    add(key);
    return static_cast<std::size_t>(h);
}

} // namespace

void IniFile::Parse(std::string_view bytes) {
    lines_.clear();
    indexed_ = false;
    dead_bytes_ = 0;
    // A file that starts with the UTF-8 mark is UTF-8 throughout; Serialize puts the mark back.
    utf8_ = bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom;
    if (utf8_) bytes.remove_prefix(kUtf8Bom.size());
    text_.assign(bytes);
    bool eol_known = false;
    std::size_t count = 1;
    for (std::size_t at = bytes.find('\n'); at != npos; at = bytes.find('\n', at + 1)) ++count;
    lines_.reserve(count);
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t nl = bytes.find('\n', pos);
        Line line;
        line.pos = pos;
        if (nl == npos) {
            line.len = bytes.size() - pos;
            pos = bytes.size();
        } else {
            std::size_t end = nl;
            if (end > pos && bytes[end - 1] == '\r') --end;
            line.len = end - pos;
            line.eol = end < nl ? Eol::CrLf : Eol::Lf;
            pos = nl + 1;
            if (!eol_known) {
                eol_ = line.eol;
                eol_known = true;
            }
        }
        Classify(line, bytes.substr(line.pos, line.len));
        lines_.push_back(line);
    }
}

void IniFile::Classify(Line& line, std::string_view text) {
    std::string_view t = TrimView(text);
    line.kind = Kind::Other;
    auto place_name = [&](std::string_view name) {
        line.name_pos = static_cast<std::size_t>(name.data() - text.data());
        line.name_len = name.size();
    };
    if (t.empty() || t[0] == ';') return;
    if (t[0] == '[') {
        std::size_t close = t.find(']');
        if (close != npos) {
            line.kind = Kind::Section;
            place_name(TrimView(t.substr(1, close - 1)));
            return;
        }
    }
    std::size_t eq = text.find('=');
    if (eq == npos) return;
    std::string_view name = TrimView(text.substr(0, eq));
    if (name.empty()) return;
    line.kind = Kind::Key;
    place_name(name);
    line.eq = eq;
}

IniFile::Line IniFile::AddLine(std::initializer_list<std::string_view> pieces, Kind kind,
                               std::size_t name_pos, std::size_t name_len) {
    Line line;
    line.pos = text_.size();
    for (std::string_view piece : pieces) line.len += piece.size();
    // A piece may lie in text_ itself (the kept start of a rewritten line): it is found again by
    // its place after text_ grows.
    const char* const old_data = text_.data();
    std::size_t from[3] = {npos, npos, npos};
    std::size_t k = 0;
    for (std::string_view piece : pieces) {
        const std::less<const char*> before;
        if (k < 3 && !piece.empty() && !before(piece.data(), old_data) &&
            before(piece.data(), old_data + text_.size()))
            from[k] = static_cast<std::size_t>(piece.data() - old_data);
        ++k;
    }
    text_.reserve(text_.size() + line.len);
    k = 0;
    for (std::string_view piece : pieces) {
        if (k < 3 && from[k] != npos)
            text_.append(text_, from[k], piece.size());
        else
            text_.append(piece);
        ++k;
    }
    line.kind = kind;
    line.name_pos = name_pos;
    line.name_len = name_len;
    line.eol = eol_;
    return line;
}

void IniFile::BuildIndex() const {
    // Room for every section and key line at half load; other lines take none.
    std::size_t named = 0;
    for (const Line& line : lines_) named += line.kind != Kind::Other;
    std::size_t capacity = 16;
    while (capacity < named * 2) capacity *= 2;
    slots_.assign(capacity, Slot{});
    used_slots_ = 0;
    indexed_ = true;
    std::size_t header = npos;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == Kind::Section) {
            // Keys count only under the first section of a name.
            header = Lookup(Name(line), {}) == npos ? i : npos;
            if (header != npos) IndexAdd(i, i, false);
        } else if (line.kind == Kind::Key && header != npos) {
            IndexAdd(header, i);
        }
    }
}

std::size_t IniFile::Lookup(std::string_view file_section, std::string_view file_key) const {
    if (!indexed_) BuildIndex();
    return Probe(static_cast<std::uint32_t>(HashNames(file_section, file_key)), file_section,
                 file_key);
}

std::size_t IniFile::Probe(std::uint32_t hash, std::string_view file_section,
                           std::string_view file_key) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.line == kNoLine) return npos;
        if (slot.hash != hash || (slot.line == slot.header) != file_key.empty()) continue;
        if (!SameFolded(Name(lines_[slot.header]), file_section, utf8_)) continue;
        if (!file_key.empty() && !SameFolded(Name(lines_[slot.line]), file_key, utf8_)) continue;
        return slot.line;
    }
}

void IniFile::IndexAdd(std::size_t header, std::size_t line, bool may_be_there) const {
    if (!indexed_) return;
    const std::string_view section = Name(lines_[header]);
    const std::string_view key = line == header ? std::string_view() : Name(lines_[line]);
    const auto hash = static_cast<std::uint32_t>(HashNames(section, key));
    if (may_be_there && Probe(hash, section, key) != npos) return;
    if ((used_slots_ + 1) * 2 > slots_.size()) {
        // Grow: the entries are distinct, so each goes to the first free slot of its hash.
        std::vector<Slot> old(slots_.size() * 2, Slot{});
        old.swap(slots_);
        const std::size_t mask = slots_.size() - 1;
        for (const Slot& slot : old) {
            if (slot.line == kNoLine) continue;
            std::size_t i = slot.hash & mask;
            while (slots_[i].line != kNoLine) i = (i + 1) & mask;
            slots_[i] = slot;
        }
    }
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = hash & mask;
    while (slots_[i].line != kNoLine) i = (i + 1) & mask;
    slots_[i] = Slot{hash, static_cast<std::uint32_t>(header), static_cast<std::uint32_t>(line)};
    ++used_slots_;
}

void IniFile::IndexInsertedLine(std::size_t at) const {
    if (!indexed_) return;
    for (Slot& slot : slots_) {
        if (slot.line == kNoLine) continue;
        if (slot.header >= at) ++slot.header;
        if (slot.line >= at) ++slot.line;
    }
}

std::size_t IniFile::FindSection(std::string_view file_section) const {
    if (file_section.empty()) return npos;
    return Lookup(file_section, {});
}

std::size_t IniFile::SectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines_.size() && lines_[i].kind != Kind::Section) ++i;
    return i;
}

std::size_t IniFile::FindKey(std::string_view file_section, std::string_view file_key) const {
    if (file_key.empty() || file_section.empty()) return npos;
    return Lookup(file_section, file_key);
}

const IniFile::Line* IniFile::FindKeyLine(std::string_view section, std::string_view key) const {
    std::string sbuf, kbuf;
    std::size_t i = FindKey(SectionName(section, utf8_, sbuf), KeyName(key, utf8_, kbuf));
    return i == npos ? nullptr : &lines_[i];
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view def) const {
    const Line* line = FindKeyLine(section, key);
    if (!line) return std::string(def);
    return FromFileText(TrimView(Text(*line).substr(line->eq + 1)), utf8_);
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int def) const {
    const Line* line = FindKeyLine(section, key);
    if (!line) return def;
    return StrToIntDef(TrimView(Text(*line).substr(line->eq + 1)), def);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool IniFile::KeyExists(std::string_view section, std::string_view key) const {
    return FindKeyLine(section, key) != nullptr;
}

bool IniFile::SectionExists(std::string_view section) const {
    std::string buf;
    return FindSection(SectionName(section, utf8_, buf)) != npos;
}

std::vector<std::string> IniFile::ReadSection(std::string_view section) const {
    std::vector<std::string> keys;
    std::string buf;
    std::size_t header = FindSection(SectionName(section, utf8_, buf));
    if (header == npos) return keys;
    std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i)
        if (lines_[i].kind == Kind::Key) keys.push_back(FromFileText(Name(lines_[i]), utf8_));
    return keys;
}

std::vector<std::string> IniFile::ReadSections() const {
    std::vector<std::string> names;
    for (const Line& line : lines_)
        if (line.kind == Kind::Section) names.push_back(FromFileText(Name(line), utf8_));
    return names;
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    std::string sbuf, kbuf;
    const std::string_view sec = SectionName(section, utf8_, sbuf);
    const std::string_view name = KeyName(key, utf8_, kbuf);
    if (sec.empty() || name.empty()) return false;
    const std::string val = OneLineValue(value, utf8_);

    std::size_t at = FindKey(sec, name);
    if (at != npos) {
        // Keep the indentation and the key as spelled in the file.
        const Line old = lines_[at];
        const std::string_view text = Text(old);
        const std::size_t keep = old.name_pos + old.name_len;
        if (text.size() == keep + 1 + val.size() && text[keep] == '=' &&
            text.substr(keep + 1) == val)
            return true;
        Line line =
            AddLine({text.substr(0, keep), "=", val}, Kind::Key, old.name_pos, old.name_len);
        line.eq = keep;
        line.eol = old.eol;
        lines_[at] = line;
        dead_bytes_ += old.len;
        modified_ = true;
        // A batch that rewrites its keys again and again keeps its text small.
        if (dead_bytes_ > 4096 && dead_bytes_ > text_.size() / 2) {
            std::string live;
            live.reserve(text_.size() - dead_bytes_);
            for (Line& l : lines_) {
                const std::size_t pos = live.size();
                live.append(Text(l));
                l.pos = pos;
            }
            text_.swap(live);
            dead_bytes_ = 0;
        }
        return true;
    }

    Line fresh = AddLine({name, "=", val}, Kind::Key, 0, name.size());
    fresh.eq = name.size();

    std::size_t header = FindSection(sec);
    if (header == npos) {
        if (!lines_.empty() && lines_.back().eol == Eol::None) lines_.back().eol = eol_;
        lines_.push_back(AddLine({"[", sec, "]"}, Kind::Section, 1, sec.size()));
        lines_.push_back(fresh);
        // The first section of its name, holding the first key of its name.
        IndexAdd(lines_.size() - 2, lines_.size() - 2, false);
        IndexAdd(lines_.size() - 2, lines_.size() - 1, false);
        modified_ = true;
        return true;
    }
    // After the section's last key line; right after the header when it has none.
    std::size_t end = SectionEnd(header);
    std::size_t insert = header + 1;
    for (std::size_t i = header + 1; i < end; ++i)
        if (lines_[i].kind == Kind::Key) insert = i + 1;
    if (lines_[insert - 1].eol == Eol::None) lines_[insert - 1].eol = eol_;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insert), fresh);
    // The key was not there; lines after it move down one, unless it went last.
    if (insert + 1 < lines_.size()) IndexInsertedLine(insert);
    IndexAdd(header, insert, false);
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
    std::string sbuf, kbuf;
    std::size_t at = FindKey(SectionName(section, utf8_, sbuf), KeyName(key, utf8_, kbuf));
    if (at == npos) return false;
    // A last line without a line end passes its (missing) ending on to the line before.
    if (at + 1 == lines_.size() && lines_[at].eol == Eol::None && at > 0)
        lines_[at - 1].eol = Eol::None;
    dead_bytes_ += lines_[at].len;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(at));
    indexed_ = false; // a later key of the same name may come forward
    modified_ = true;
    return true;
}

std::string IniFile::Serialize() const {
    std::string out;
    std::size_t size = utf8_ ? kUtf8Bom.size() : 0;
    for (const Line& line : lines_) size += line.len + EolText(static_cast<int>(line.eol)).size();
    out.reserve(size);
    if (utf8_) out += kUtf8Bom;
    for (const Line& line : lines_) {
        out += Text(line);
        out += EolText(static_cast<int>(line.eol));
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
