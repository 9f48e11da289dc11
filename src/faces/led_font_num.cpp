#include "faces/led_font_num.h"

#include "base/text.h"

#include <algorithm>

namespace tobu {

namespace {

using i64 = std::int64_t;

// The size of the UTF-8 sequence starting with `lead`, or 0 for a byte that cannot start one.
size_t Utf8SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

int ClampSide(i64 v) {
    return static_cast<int>(std::clamp<i64>(v, 1, LEDFontNum::kMaxControlSide));
}

} // namespace

const LedSegmentTable& SegmentTable() {
    static const LedSegmentTable table = {"012345", "12",     "01643", "01623",   "5612",
                                          "05623",  "054326", "012",   "0123456", "650123",
                                          "6",      "7",      "89"};
    return table;
}

LedSegmentPoints ComputeSegments(i64 x, i64 y, int wordWidth, int wordHeight, int thick) {
    const i64 X = x, Y = y, W = wordWidth, H = wordHeight, T = thick;
    const i64 M1 = (H - 1) / 2, M2 = (H + 1) / 2, Q = (H + 1) / 4;
    const i64 C = (Y + H + 1) / 2 + (T - 1) / 2 + Q;
    auto quad = [](PolyPoint a, PolyPoint b, PolyPoint c, PolyPoint d) {
        return std::array<PolyPoint, kLedPointsPerSegment>{a, b, c, d, d, d};
    };
    LedSegmentPoints s;
    s[0] = quad({X + 2, Y}, {X + T + 1, Y + T - 1}, {X + W - 2 * T - 2, Y + T - 1},
                {X + W - T - 3, Y});
    s[1] = quad({X + W - T - 1, Y + 1}, {X + W - 2 * T, Y + T}, {X + W - 2 * T, Y + M1 - T},
                {X + W - T - 1, Y + M1 - 1});
    s[2] = quad({X + W - T - 1, Y + M1 + 1}, {X + W - 2 * T, Y + M1 + T},
                {X + W - 2 * T, Y + H - T - 1}, {X + W - T - 1, Y + H - 2});
    s[3] = quad({X + W - T - 3, Y + H - 1}, {X + W - 2 * T - 2, Y + H - T}, {X + T + 1, Y + H - T},
                {X + 2, Y + H - 1});
    s[4] =
        quad({X, Y + H - 2}, {X + T - 1, Y + H - T - 1}, {X + T - 1, Y + M1 + T}, {X, Y + M1 + 1});
    s[5] = quad({X, Y + M1 - 1}, {X + T - 1, Y + M1 - T}, {X + T - 1, Y + T}, {X, Y + 1});
    s[6] = {PolyPoint{X + T, Y + M2 - T + 1},     PolyPoint{X + 2, Y + M2 - 1},
            PolyPoint{X + T, Y + M2 + T - 3},     PolyPoint{X + W - 2 * T - 1, Y + M2 + T - 3},
            PolyPoint{X + W - T - 3, Y + M2 - 1}, PolyPoint{X + W - 2 * T - 1, Y + M2 - T + 1}};
    if (T == 1) {
        // A hairline middle bar: the hexagon collapses onto the row Y + M2 − 1.
        s[6][0] = {X + T + 1, Y + M2 - T};
        s[6][2] = {X + T + 1, Y + M2 + T - 2};
        s[6][3] = {X + W - 2 * T - 2, Y + M2 + T - 2};
        s[6][5] = {X + W - 2 * T - 2, Y + M2 - T};
    }
    const PolyPoint p7{X + W - T + 1, Y + H - T};
    s[7] = {p7,
            PolyPoint{X + W - T + 1, Y + H},
            PolyPoint{X + W + 1, Y + H},
            PolyPoint{X + W + 1, Y + H - T},
            p7,
            p7};
    s[8] = quad({X + W - T + 1, Y + Q - 1}, {X + W + 1, Y + Q - 1}, {X + W + 1, Y + Q + T - 1},
                {X + W - T + 1, Y + Q + T - 1});
    s[9] = quad({X + W - T + 1, C - T}, {X + W + 1, C - T}, {X + W + 1, C}, {X + W - T + 1, C});
    return s;
}

LedText ParseLedText(std::string_view utf8) {
    LedText t;
    t.cells.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const char ch = utf8[i];
        if (ch == '.') {
            t.points.push_back(t.cells.size());
            ++i;
            continue;
        }
        if (ch == ':') {
            t.colons.push_back(t.cells.size());
            ++i;
            continue;
        }
        size_t len = Utf8SequenceLength(static_cast<unsigned char>(ch));
        if (len == 1) {
            t.cells.push_back(ch);
            ++i;
            continue;
        }
        // Outside ASCII a character takes as many cells as it has GBK bytes; a malformed
        // byte takes one.
        std::string_view seq =
            len == 0 || i + len > utf8.size() ? std::string_view{} : utf8.substr(i, len);
        if (!seq.empty() && !IsValidUtf8(seq)) seq = {};
        const size_t cells = seq.empty() ? 1 : std::max<size_t>(1, GbkByteCount(seq));
        t.cells.append(cells, kLedOtherCell);
        i += seq.empty() ? 1 : len;
    }
    return t;
}

LEDFontNum::LEDFontNum() : parsed_(ParseLedText(text_)) {}

unsigned LEDFontNum::SetOffSetX(int value) {
    if (value == offSetX_) return kLedNone;
    offSetX_ = value;
    return kLedRepaint;
}

unsigned LEDFontNum::SetOffSetY(int value) {
    if (value == offSetY_) return kLedNone;
    offSetY_ = value;
    return kLedRepaint;
}

unsigned LEDFontNum::SetSpace(int value) {
    if (value == space_) return kLedNone;
    space_ = value;
    return kLedRepaint;
}

unsigned LEDFontNum::SetBGColor(TColor value) {
    if (value == bgColor_) return kLedNone;
    bgColor_ = value;
    return kLedRepaint;
}

unsigned LEDFontNum::SetLightColor(TColor value) {
    if (value == lightColor_) return kLedNone;
    lightColor_ = value;
    return kLedRepaint;
}

unsigned LEDFontNum::SetDarkColor(TColor value) {
    if (value == darkColor_) return kLedNone;
    darkColor_ = value;
    return kLedRepaint;
}

unsigned LEDFontNum::SetWordWidth(int value) {
    if (value == wordWidth_ || i64(value) <= 2 * i64(thick_)) return kLedNone;
    wordWidth_ = value;
    return kLedRepaint;
}

unsigned LEDFontNum::SetWordHeight(int value) {
    const i64 floor = 4 * i64(thick_) - 1;
    if (value == wordHeight_ || value <= floor) return kLedNone;
    // value − 4T + 1 even means value is odd; INT_MAX is odd, so value + 1 cannot overflow.
    wordHeight_ = (i64(value) - floor) % 2 == 0 ? value : value + 1;
    return kLedRepaint;
}

unsigned LEDFontNum::SetThick(int value) {
    // A stroke below one pixel turns every segment inside out, so it is refused as well.
    if (value == thick_ || value < 1) return kLedNone;
    if (2 * i64(value) >= wordWidth_) return kLedNone;
    if (4 * i64(value) - 1 >= wordHeight_) return kLedNone;
    if ((i64(wordHeight_) - 4 * i64(value) + 1) % 2 != 0) return kLedNone;
    thick_ = value;
    return kLedRepaint;
}

unsigned LEDFontNum::SetText(std::string_view value) {
    if (value == text_) return kLedNone;
    text_.assign(value);
    parsed_ = ParseLedText(text_);
    return kLedDrawNow;
}

unsigned LEDFontNum::SetDrawDarkColor(bool value) {
    if (value == drawDarkColor_) return kLedNone;
    drawDarkColor_ = value;
    return kLedDrawNow;
}

unsigned LEDFontNum::SetAutoSize(bool value) {
    if (value == autoSize_) return kLedNone;
    autoSize_ = value;
    if (!value || FitWidth() == width_) return kLedNone;
    const int w = FitWidth(), h = FitHeight();
    if (w == width_ && h == height_) return kLedNone;
    width_ = w;
    height_ = h;
    return kLedResize;
}

void LEDFontNum::SetSize(int width, int height) {
    width_ = std::max(0, width);
    height_ = std::max(0, height);
}

i64 LEDFontNum::RawFitWidth() const {
    const i64 n = static_cast<i64>(parsed_.cells.size());
    return n * wordWidth_ + (n - 1) * space_ + 2 * i64(offSetX_);
}

int LEDFontNum::FitWidth() const {
    return ClampSide(RawFitWidth());
}

int LEDFontNum::FitHeight() const {
    return ClampSide(2 * i64(offSetY_) + wordHeight_);
}

unsigned LEDFontNum::ApplyAutoSize() {
    // A width of exactly one more than the fit is left alone (a new control's 47 for "00").
    if (!autoSize_ || i64(width_) == RawFitWidth() + 1) return kLedNone;
    const int w = FitWidth(), h = FitHeight();
    if (w == width_ && h == height_) return kLedNone;
    width_ = w;
    height_ = h;
    return kLedResize;
}

void LEDFontNum::DrawDigits(Bitmap32& out) const {
    const std::uint32_t bg = ColorToPixel(bgColor_);
    if (out.width != width_ || out.height != height_) {
        out = Bitmap32(width_, height_, bg);
    } else {
        std::fill(out.pixels.begin(), out.pixels.end(), bg);
    }
    if (out.Empty()) return;

    const bool dark = darkColor_ != bgColor_ && drawDarkColor_;
    const bool light = lightColor_ != bgColor_;
    const std::uint32_t darkPixel = ColorToPixel(darkColor_);
    const std::uint32_t lightPixel = ColorToPixel(lightColor_);
    const auto& table = SegmentTable();
    auto draw = [&](const LedSegmentPoints& seg, int n, std::uint32_t pixel) {
        FillPolygon(out, seg[n], pixel);
    };

    const i64 step = i64(wordWidth_) + space_;
    const i64 y = offSetY_;
    size_t pi = 0, ci = 0;
    const size_t n = parsed_.cells.size();
    for (size_t i = 1; i <= n; ++i) {
        const i64 x = offSetX_ + i64(i - 1) * step;
        // A cell covers X .. X + W + 1; past the picture in the direction the cells run,
        // no later cell can show either.
        if (x > out.width) {
            if (step >= 0) break;
            continue;
        }
        if (x + wordWidth_ + 1 < 0) {
            if (step <= 0) break;
            continue;
        }
        const LedSegmentPoints seg = ComputeSegments(x, y, wordWidth_, wordHeight_, thick_);
        if (dark) {
            for (char s : table[8]) draw(seg, s - '0', darkPixel);
            draw(seg, 7, darkPixel);
            draw(seg, 8, darkPixel);
            draw(seg, 9, darkPixel);
        }
        const char ch = parsed_.cells[i - 1];
        if (ch == ' ' || !light) continue;
        if (ch == '-') {
            draw(seg, 6, lightPixel);
        } else if (ch >= '0' && ch <= '9') {
            for (char s : table[ch - '0']) draw(seg, s - '0', lightPixel);
            while (pi < parsed_.points.size() && parsed_.points[pi] < i) ++pi;
            for (; pi < parsed_.points.size() && parsed_.points[pi] == i; ++pi)
                draw(seg, 7, lightPixel);
            while (ci < parsed_.colons.size() && parsed_.colons[ci] < i) ++ci;
            for (; ci < parsed_.colons.size() && parsed_.colons[ci] == i; ++ci) {
                draw(seg, 8, lightPixel);
                draw(seg, 9, lightPixel);
            }
        }
    }
}

} // namespace tobu
