#include "base/text.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <iconv.h>

namespace tobu {

namespace {
bool IsBlank(unsigned char c) {
    return c <= ' ';
}

bool IsAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// A conversion descriptor opened once per thread and direction: opening one costs more than
// converting a settings line, and the settings load converts every name it looks up.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

constexpr size_t kUtf8Piece = 64;

// One iconv conversion; on an invalid or unmappable input sequence `bad` is appended and
// `skip` input bytes are passed over. ASCII is the same in both encodings and is not converted.
std::string Convert(const Converter& conv, std::string_view in, const char* bad, bool utf8_input) {
    if (IsAscii(in) || !conv.ok()) return std::string(in);
    iconv_t cd = conv.get();
    iconv(cd, nullptr, nullptr, nullptr, nullptr); // a fresh shift state
    std::string out;
    out.reserve(in.size() * 2 + 4);
    char* src = const_cast<char*>(in.data());
    size_t left = in.size();
    char buf[512];
    while (left > 0) {
        // UTF-8 goes to iconv in pieces of about 64 bytes that end between two characters.
        // When a character has no GBK form, iconv decodes all the input it was given once more
        // to find where it stopped; with the whole text at once, a long value of such
        // characters took seconds (quadratic up to 8 160 characters, then per 8 160).
        size_t piece = left;
        if (utf8_input && piece > kUtf8Piece) {
            piece = kUtf8Piece;
            while (piece < left && piece < kUtf8Piece + 3 &&
                   (static_cast<unsigned char>(src[piece]) & 0xC0) == 0x80)
                ++piece;
        }
        size_t piece_left = piece;
        char* dst = buf;
        size_t room = sizeof buf;
        size_t r = iconv(cd, &src, &piece_left, &dst, &room);
        left -= piece - piece_left;
        out.append(buf, static_cast<size_t>(dst - buf));
        if (r == static_cast<size_t>(-1)) {
            if (errno == E2BIG) continue;
            // EILSEQ or EINVAL: replace one input character and go on.
            out += bad;
            size_t skip = 1;
            if (utf8_input) {
                unsigned char c = static_cast<unsigned char>(*src);
                skip = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
                if (skip > left) skip = left;
                for (size_t k = 1; k < skip; ++k)
                    if ((static_cast<unsigned char>(src[k]) & 0xC0) != 0x80) {
                        skip = k;
                        break;
                    }
            } else {
                // A lead byte swallows the next byte only when that byte can be a trail
                // byte; a space or line break after a stray lead byte is kept.
                unsigned char c = static_cast<unsigned char>(*src);
                unsigned char t = left >= 2 ? static_cast<unsigned char>(src[1]) : 0;
                if (c >= 0x81 && c <= 0xFE && t >= 0x40 && t <= 0xFE && t != 0x7F) skip = 2;
            }
            src += skip;
            left -= skip;
        }
    }
    return out;
}
} // namespace

std::string Trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && IsBlank(static_cast<unsigned char>(s[e - 1]))) --e;
    return std::string(s.substr(b, e - b));
}

std::string AsciiLower(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return r;
}

std::string AsciiUpper(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return r;
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::optional<int> ParseInt(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        neg = s[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < s.size() && s[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= s.size()) return std::nullopt;
    long long v = 0;
    for (; i < s.size(); ++i) {
        char c = s[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        v = v * base + digit;
        // Hexadecimal may use all 32 bits (0xFFFFFFFF is -1), decimal must fit an int.
        if (v > (base == 16 ? 0xFFFFFFFFLL : 2147483648LL)) return std::nullopt;
    }
    if (base == 16) {
        // A sign negates the 32-bit pattern in two's complement, so "-0x80000000" is INT_MIN
        // and "-0xFFFFFFFF" is 1; unsigned arithmetic wraps where negating an int would not.
        auto u = static_cast<std::uint32_t>(v);
        if (neg) u = 0u - u;
        return static_cast<int>(u);
    }
    if (neg) return static_cast<int>(-v);
    if (v > INT_MAX) return std::nullopt;
    return static_cast<int>(v);
}

int StrToIntDef(std::string_view s, int def) {
    auto v = ParseInt(s);
    return v ? *v : def;
}

std::vector<std::string> Split(std::string_view s, char sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        size_t p = s.find(sep, start);
        if (p == std::string_view::npos) {
            parts.emplace_back(s.substr(start));
            break;
        }
        parts.emplace_back(s.substr(start, p - start));
        start = p + 1;
    }
    return parts;
}

std::string Utf8ToGbk(std::string_view utf8) {
    thread_local const Converter conv("GBK", "UTF-8");
    return Convert(conv, utf8, "?", true);
}

std::string GbkToUtf8(std::string_view gbk) {
    thread_local const Converter conv("UTF-8", "GBK");
    return Convert(conv, gbk, "\xEF\xBF\xBD", false);
}

size_t GbkByteCount(std::string_view utf8) {
    return Utf8ToGbk(utf8).size();
}

std::string GbkTruncate(std::string_view utf8, size_t max_bytes) {
    size_t bytes = 0, i = 0;
    while (i < utf8.size()) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        if (i + len > utf8.size()) len = utf8.size() - i;
        size_t g = GbkByteCount(utf8.substr(i, len));
        if (bytes + g > max_bytes) break;
        bytes += g;
        i += len;
    }
    return std::string(utf8.substr(0, i));
}

bool IsValidUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (len == 0 || i + len > s.size()) return false;
        for (size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += len;
    }
    return true;
}

} // namespace tobu
