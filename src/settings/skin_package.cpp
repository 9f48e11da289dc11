#include "settings/skin_package.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/little_endian.h"
#include "base/text.h"
#include "settings/ini_file.h"

namespace tobu {

namespace {

// Takes a container apart through `read(pos, n, out)`, which reads n bytes at pos of a source
// of `size` bytes: the leading field, then each part by its declared length. Nothing after the
// picture is read, and a length is checked against the size before anything is allocated.
template <typename ReadAt>
std::optional<std::string> TakeContainer(std::uint64_t size, ReadAt read, SkinContainer& out) {
    if (size < 4) return "package shorter than its leading field";
    std::string field;
    auto take = [&](std::uint64_t pos, const char* what,
                    std::string& part) -> std::optional<std::string> {
        if (size < pos + 8 || !read(pos, 8, field))
            return std::string("package ends before the length of the ") + what;
        auto len = static_cast<std::int64_t>(le::Load(field, 0, 8));
        if (len < 0) return std::string("negative length of the ") + what;
        std::uint64_t avail = size - (pos + 8);
        if (static_cast<std::uint64_t>(len) > avail)
            return std::string("package shorter than the length of the ") + what + " (" +
                   std::to_string(len) + " bytes announced, " + std::to_string(avail) + " present)";
        if (!read(pos + 8, static_cast<size_t>(len), part))
            return std::string("package ends inside the ") + what;
        return std::nullopt;
    };
    if (!read(0, 4, field)) return "package shorter than its leading field";
    out.lead = le::U32(field, 0);
    if (auto e = take(4, "settings text", out.ini_text)) return e;
    if (auto e = take(12 + out.ini_text.size(), "picture", out.bitmap)) return e;
    return std::nullopt;
}

// Opens a file for reading without waiting: a FIFO or a device never blocks the open.
int OpenNonBlocking(const std::string& path) {
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
}

struct FdCloser {
    int fd;
    ~FdCloser() {
        if (fd >= 0) ::close(fd);
    }
};

} // namespace

std::optional<std::string> ParseSkinContainer(std::string_view bytes, SkinContainer& out) {
    return TakeContainer(
        bytes.size(),
        [&](std::uint64_t pos, size_t n, std::string& part) {
            part.assign(bytes.substr(static_cast<size_t>(pos), n));
            return true;
        },
        out);
}

std::optional<std::string> ReadSkinContainerFile(const std::string& path, SkinContainer& out,
                                                 std::uint64_t* file_size) {
    FdCloser f{OpenNonBlocking(path)};
    if (f.fd < 0) return std::string("cannot open it: ") + std::strerror(errno);
    struct stat st {};
    if (::fstat(f.fd, &st) != 0) return std::string("cannot read it: ") + std::strerror(errno);
    if (!S_ISREG(st.st_mode)) return "not a regular file";
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (file_size) *file_size = size;
    if (size > kMaxSkinPackageBytes)
        return "package of " + std::to_string(size) + " bytes is larger than the limit of " +
               std::to_string(kMaxSkinPackageBytes >> 20) + " MiB";
    return TakeContainer(
        size,
        [&](std::uint64_t pos, size_t n, std::string& part) {
            part.resize(n);
            size_t got = 0;
            while (got < n) {
                ssize_t r =
                    ::pread(f.fd, part.data() + got, n - got, static_cast<off_t>(pos + got));
                if (r < 0 && errno == EINTR) continue;
                if (r <= 0) return false; // the file shrank while we read it
                got += static_cast<size_t>(r);
            }
            return true;
        },
        out);
}

std::string BuildSkinContainer(const SkinContainer& c) {
    std::string out;
    out.reserve(20 + c.ini_text.size() + c.bitmap.size());
    le::Put(out, c.lead, 4);
    le::Put(out, c.ini_text.size(), 8);
    out += c.ini_text;
    le::Put(out, c.bitmap.size(), 8);
    out += c.bitmap;
    return out;
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool ReadFileBytes(const std::string& path, std::string& out) {
    out.clear();
    int fd = OpenNonBlocking(path);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<std::uint64_t>(st.st_size) > kMaxSkinPackageBytes) {
        ::close(fd);
        return false;
    }
    out.resize(static_cast<size_t>(st.st_size));
    size_t got = 0;
    while (got < out.size()) {
        ssize_t n = ::read(fd, out.data() + got, out.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    out.resize(got); // a file that shrank while we read it gives what was there
    ::close(fd);
    return true;
}

std::vector<std::string> SplitSkinLines(std::string_view gbk) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < gbk.size(); ++i) {
        if (gbk[i] == '\r' || gbk[i] == '\n') {
            lines.push_back(GbkToUtf8(gbk.substr(start, i - start)));
            if (gbk[i] == '\r' && i + 1 < gbk.size() && gbk[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    if (start < gbk.size()) lines.push_back(GbkToUtf8(gbk.substr(start)));
    return lines;
}

namespace {

SkinContainer ReadContainerOrThrow(const std::string& path) {
    SkinContainer c;
    if (auto e = ReadSkinContainerFile(path, c)) throw SkinError(path + ": " + *e);
    return c;
}

} // namespace

void ReadSkinIni(const std::string& path, std::vector<std::string>& lines) {
    lines = SplitSkinLines(ReadContainerOrThrow(path).ini_text);
}

void ReadSkinBitmap(const std::string& path, Bitmap32& bitmap) {
    SkinContainer c = ReadContainerOrThrow(path);
    if (auto e = DecodeBmp(c.bitmap, bitmap)) throw SkinError(*e);
}

// --- SkinIni ----------------------------------------------------------------------------------

SkinIni::SkinIni(const std::vector<std::string>& lines) {
    Section* current = nullptr;
    for (const auto& raw : lines) {
        std::string line = Trim(raw);
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            auto close = line.find(']');
            std::string name =
                Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            current = nullptr;
            for (auto& s : sections_)
                if (SameText(s.name, name)) current = &s;
            if (!current) {
                sections_.push_back({name, {}});
                current = &sections_.back();
            }
            continue;
        }
        auto eq = line.find('=');
        if (!current || eq == std::string::npos) continue;
        std::string key = Trim(line.substr(0, eq));
        std::string value = Trim(line.substr(eq + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        current->entries.push_back({key, value});
    }
}

std::optional<std::string> SkinIni::Find(std::string_view section, std::string_view key) const {
    for (const auto& s : sections_) {
        if (!SameText(s.name, section)) continue;
        for (const auto& e : s.entries)
            if (SameText(e.key, key)) return e.value;
        return std::nullopt;
    }
    return std::nullopt;
}

std::string SkinIni::ReadString(std::string_view section, std::string_view key,
                                const std::string& def) const {
    auto v = Find(section, key);
    return v ? *v : def;
}

int SkinIni::ReadInteger(std::string_view section, std::string_view key, int def) const {
    auto v = Find(section, key);
    if (!v) return def;
    return StrToIntDef(*v, def);
}

// --- Sprites ----------------------------------------------------------------------------------

void CutSprite(const Bitmap32& sheet, Bitmap32& target, int left, int top, int width, int height) {
    if (width <= 0 || height <= 0) {
        target = Bitmap32();
        return;
    }
    // A rectangle larger than the sheet is cut like any other (the part outside stays empty),
    // but one no sheet could ever hold is a damaged package, not an allocation.
    std::uint64_t area = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    if (width > kMaxSpriteSide || height > kMaxSpriteSide || area > kMaxSpritePixels)
        throw SkinError("sprite " + std::to_string(width) + " x " + std::to_string(height) +
                        " is larger than any sheet");
    Bitmap32 out(width, height, ColorToPixel(kClFuchsia));
    for (int y = 0; y < height; ++y) {
        std::int64_t sy = static_cast<std::int64_t>(top) + y;
        if (sy < 0 || sy >= sheet.height) continue;
        for (int x = 0; x < width; ++x) {
            std::int64_t sx = static_cast<std::int64_t>(left) + x;
            if (sx < 0 || sx >= sheet.width) continue;
            out.At(x, y) = sheet.At(static_cast<int>(sx), static_cast<int>(sy));
        }
    }
    target = std::move(out);
}

SpriteRect ReadSpriteRect(const SkinIni& ini, std::string_view section, std::string_view prefix,
                          const SpriteRect& def) {
    std::string p(prefix);
    return {ini.ReadInteger(section, p + "Left", def.left),
            ini.ReadInteger(section, p + "Top", def.top),
            ini.ReadInteger(section, p + "Width", def.width),
            ini.ReadInteger(section, p + "Height", def.height)};
}

// --- Load sequence ----------------------------------------------------------------------------

namespace {

SkinLoadResult OpenSkinContainer(const SkinContainer& c, SkinVersionKey key, OpenedSkin& out) {
    SkinIni ini(SplitSkinLines(c.ini_text));
    Bitmap32 sheet;
    if (auto e = DecodeBmp(c.bitmap, sheet)) return {SkinLoadStatus::Damaged, *e};
    const char* name = key == SkinVersionKey::Skin ? "SkinVer" : "ClockVer";
    if (ini.ReadString("VER", name, "") != "1.0") return {SkinLoadStatus::WrongVersion, {}};
    out.ini = std::move(ini);
    out.sheet = std::move(sheet);
    return {SkinLoadStatus::Applied, {}};
}

} // namespace

SkinLoadResult OpenSkinBytes(std::string_view bytes, SkinVersionKey key, OpenedSkin& out) {
    SkinContainer c;
    if (auto e = ParseSkinContainer(bytes, c)) return {SkinLoadStatus::Damaged, *e};
    return OpenSkinContainer(c, key, out);
}

SkinLoadResult OpenSkinPackage(const std::string& path, SkinVersionKey key, OpenedSkin& out) {
    if (!IsRegularFile(path)) return {SkinLoadStatus::Missing, {}};
    SkinContainer c;
    if (auto e = ReadSkinContainerFile(path, c)) return {SkinLoadStatus::Damaged, *e};
    return OpenSkinContainer(c, key, out);
}

bool DeleteStaleSkinTemp(const std::string& app_dir) {
    return ::unlink((app_dir + "SkinDone.tmp").c_str()) == 0;
}

} // namespace tobu
