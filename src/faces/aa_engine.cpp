#include "faces/aa_engine.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "base/text.h"

namespace tobu {

namespace {

// Division rounding toward minus infinity (b > 0).
int FloorDiv(int a, int b) {
    int q = a / b;
    if ((a % b) != 0 && a < 0) --q;
    return q;
}

int CeilDiv(int a, int b) {
    return a <= 0 ? 0 : (a + b - 1) / b;
}

// The canvas font at the sampling factor; heights are kept to 1..100000 pixels.
TAACanvasFont ScaledFont(const TAACanvasFont& font, int factor) {
    TAACanvasFont scaled = font;
    const long long h = std::clamp(std::llabs(static_cast<long long>(font.height)), 1ll, 100000ll);
    scaled.height = static_cast<int>(h) * factor;
    return scaled;
}

std::uint32_t Opaque(std::uint32_t p) {
    return p | 0xFF000000u;
}

} // namespace

int QualityFactor(TAAQuality q) {
    switch (q) {
    case TAAQuality::aqHigh:
        return 4;
    case TAAQuality::aqNormal:
        return 3;
    case TAAQuality::aqLow:
        return 2;
    case TAAQuality::aqNone:
        return 1;
    }
    return 1;
}

// --- mask ---------------------------------------------------------------------------------

void TAAMask::SetSize(int width, int height) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    stride_ = (width_ + 3) / 4 * 4;
    data_.assign(static_cast<size_t>(stride_) * height_, 0);
}

std::uint8_t* TAAMask::ScanLine(int row) {
    if (row < 0 || row >= height_) throw EInvalidLine();
    return data_.data() + static_cast<size_t>(height_ - 1 - row) * stride_;
}

const std::uint8_t* TAAMask::ScanLine(int row) const {
    if (row < 0 || row >= height_) throw EInvalidLine();
    return data_.data() + static_cast<size_t>(height_ - 1 - row) * stride_;
}

void TAAMask::Reduce(const Bitmap8& raw, int width, int height) {
    SetSize(width, height);
    const int f = QualityFactor(quality_);
    const bool rawOk = raw.pixels.size() == static_cast<size_t>(raw.width) * raw.height;
    auto sample = [&](int sx, int sy) -> int {
        if (!rawOk || sx < 0 || sy < 0 || sx >= raw.width || sy >= raw.height) return 0;
        return raw.At(sx, sy);
    };
    for (int y = 0; y < height_; ++y) {
        std::uint8_t* row = ScanLine(y);
        for (int x = 0; x < width_; ++x) {
            const int sx = x * f, sy = y * f;
            int v = 0;
            switch (f) {
            case 1:
                v = sample(sx, sy);
                break;
            case 2:
                v = (sample(sx, sy) + sample(sx + 1, sy) + sample(sx, sy + 1) +
                     sample(sx + 1, sy + 1)) >>
                    2;
                break;
            case 3: {
                int sum = (sample(sx, sy) + sample(sx + 2, sy + 2)) / 2;
                sum += sample(sx + 1, sy) + sample(sx + 2, sy);
                sum += sample(sx, sy + 1) + sample(sx + 1, sy + 1) + sample(sx + 2, sy + 1);
                sum += sample(sx, sy + 2) + sample(sx + 1, sy + 2);
                v = sum >> 3;
                break;
            }
            default: {
                int sum = 0;
                for (int j = 0; j < 4; ++j)
                    for (int i = 0; i < 4; ++i) sum += sample(sx + i, sy + j);
                v = sum >> 4;
                break;
            }
            }
            row[x] = static_cast<std::uint8_t>(std::min(v, 255));
        }
    }
}

// --- mask operations ----------------------------------------------------------------------

void AAOutline(TAAMask& mask) {
    const int w = mask.Width(), h = mask.Height();
    if (h < 3 || w < 3) return;
    const TAAMask src = mask;
    for (int y = 1; y < h - 1; ++y) {
        const std::uint8_t* up = src.ScanLine(y - 1);
        const std::uint8_t* mid = src.ScanLine(y);
        const std::uint8_t* down = src.ScanLine(y + 1);
        std::uint8_t* out = mask.ScanLine(y);
        for (int x = 1; x < w - 1; ++x) {
            int sum = std::abs(mid[x - 1] - mid[x + 1]) + std::abs(up[x] - down[x]) +
                      std::abs(up[x - 1] - down[x + 1]) + std::abs(up[x + 1] - down[x - 1]);
            out[x] = static_cast<std::uint8_t>(sum >= 1024 ? 255 : sum / 4);
        }
    }
}

void AASpray(TAAMask& mask, int range, std::mt19937& rng) {
    const int w = mask.Width(), h = mask.Height();
    if (range <= 0 || w == 0 || h == 0) return;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int c = std::uniform_int_distribution<int>(0, range)(rng);
            int dx = std::uniform_int_distribution<int>(-c, c)(rng);
            int dy = std::uniform_int_distribution<int>(-c, c)(rng);
            int sx = std::clamp(x + dx, 0, w - 1), sy = std::clamp(y + dy, 0, h - 1);
            mask.Set(x, y, mask.At(sx, sy));
        }
    }
}

void AAHorzMirror(TAAMask& mask) {
    for (int y = 0; y < mask.Height(); ++y) {
        std::uint8_t* row = mask.ScanLine(y);
        std::reverse(row, row + mask.Width());
    }
}

void AAVertMirror(TAAMask& mask) {
    const int h = mask.Height(), w = mask.Width();
    for (int y = 0; y < h / 2; ++y)
        std::swap_ranges(mask.ScanLine(y), mask.ScanLine(y) + w, mask.ScanLine(h - 1 - y));
}

void AABlur(TAAMask& mask, int strength) {
    const int w = mask.Width(), h = mask.Height();
    strength = std::clamp(strength, 0, 100);
    if (strength == 0 || w == 0 || h == 0) return;
    const int weight = (strength * 255 + 50) / 100;
    const TAAMask src = mask;
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* rows[5];
        for (int d = -2; d <= 2; ++d) rows[d + 2] = src.ScanLine(std::clamp(y + d, 0, h - 1));
        std::uint8_t* out = mask.ScanLine(y);
        for (int x = 0; x < w; ++x) {
            int sum = 0;
            for (int d = -2; d <= 2; ++d) {
                const int cx = std::clamp(x + d, 0, w - 1);
                for (int r = 0; r < 5; ++r) sum += rows[r][cx];
            }
            const int avg = (sum + 12) / 25;
            const int p = src.ScanLine(y)[x];
            out[x] = static_cast<std::uint8_t>(
                weight == 255 ? avg : p + FloorDiv((avg - p) * weight, 256));
        }
    }
}

// --- foregrounds --------------------------------------------------------------------------

Bitmap32 AAGradientForeground(int width, int height, TGradualStyle style, TColor start,
                              TColor end) {
    Bitmap32 fg(width, height);
    if (fg.Empty()) return fg;
    const bool horizontal = style == TGradualStyle::gsLeftToRight ||
                            style == TGradualStyle::gsRightToLeft ||
                            style == TGradualStyle::gsCenterToLR;
    const int n = horizontal ? fg.width : fg.height;
    std::vector<std::uint32_t> ramp(n);
    for (int i = 0; i < n; ++i) {
        double t = 0; // 0 = start colour, 1 = end colour
        if (n > 1) {
            switch (style) {
            case TGradualStyle::gsLeftToRight:
            case TGradualStyle::gsTopToBottom:
                t = double(i) / (n - 1);
                break;
            case TGradualStyle::gsRightToLeft:
            case TGradualStyle::gsBottomToTop:
                t = double(n - 1 - i) / (n - 1);
                break;
            default: {
                const double half = (n - 1) / 2.0;
                t = std::abs(i - half) / half;
                break;
            }
            }
        }
        auto mix = [t](int a, int b) { return int(std::lround(a + (b - a) * t)); };
        ramp[i] =
            ColorToPixel(RGBColor(mix(ColorR(start), ColorR(end)), mix(ColorG(start), ColorG(end)),
                                  mix(ColorB(start), ColorB(end))));
    }
    for (int y = 0; y < fg.height; ++y)
        for (int x = 0; x < fg.width; ++x) fg.At(x, y) = ramp[horizontal ? x : y];
    return fg;
}

Bitmap32 AATextureForeground(int width, int height, const Bitmap32& picture, TTextureMode mode,
                             TColor fill) {
    Bitmap32 fg(width, height, ColorToPixel(fill & 0xFFFFFF));
    const int pw = picture.width, ph = picture.height;
    if (fg.Empty() || picture.Empty() || picture.pixels.size() != static_cast<size_t>(pw) * ph)
        return fg;
    for (int y = 0; y < fg.height; ++y) {
        for (int x = 0; x < fg.width; ++x) {
            int sx = 0, sy = 0;
            switch (mode) {
            case TTextureMode::tmTiled:
                sx = x % pw;
                sy = y % ph;
                break;
            case TTextureMode::tmStretched:
                sx = static_cast<int>(static_cast<long long>(x) * pw / fg.width);
                sy = static_cast<int>(static_cast<long long>(y) * ph / fg.height);
                break;
            case TTextureMode::tmCenter:
                sx = x - (fg.width - pw) / 2;
                sy = y - (fg.height - ph) / 2;
                break;
            case TTextureMode::tmNormal:
                sx = x;
                sy = y;
                break;
            }
            if (picture.Contains(sx, sy)) fg.At(x, y) = Opaque(picture.At(sx, sy));
        }
    }
    return fg;
}

void AAAddNoise(Bitmap32& bmp, int n, std::mt19937& rng) {
    if (n <= 0) return;
    std::uniform_int_distribution<int> dist(0, n - 1);
    for (auto& p : bmp.pixels) {
        std::uint32_t out = p & 0xFF000000u;
        for (int shift = 16; shift >= 0; shift -= 8) {
            int v = static_cast<int>((p >> shift) & 0xFF) + dist(rng) - n / 2;
            out |= static_cast<std::uint32_t>(std::clamp(v, 0, 255)) << shift;
        }
        p = out;
    }
}

// --- blending -----------------------------------------------------------------------------

template <typename ColorAt>
void TAABlend::Blend(TAACanvas& canvas, const TAAMask& mask, int x, int y, int alpha,
                     ColorAt colorAt) {
    Bitmap32* target = canvas.bitmap;
    if (!target || target->pixels.size() != static_cast<size_t>(target->width) * target->height)
        return;
    const int k = std::clamp(alpha, 0, 100) * 256 / 100;
    const bool clear = canvas.brushStyle == TBrushStyle::bsClear;
    const std::uint32_t brush = ColorToPixel(canvas.brushColor & 0xFFFFFF);
    for (int j = 0; j < mask.Height(); ++j) {
        const int ty = y + j;
        if (ty < 0 || ty >= target->height) continue;
        const std::uint8_t* m = mask.ScanLine(j);
        std::uint32_t* row = target->Row(ty);
        for (int i = 0; i < mask.Width(); ++i) {
            const int tx = x + i;
            if (tx < 0 || tx >= target->width) continue;
            const std::uint32_t base = clear ? row[tx] : brush;
            const int b = m[i] * k;
            if (b < 256) {
                row[tx] = base;
            } else {
                const std::uint32_t c = colorAt(i, j);
                if (b >= 65280) {
                    row[tx] = Opaque(c);
                } else {
                    const int t = b / 256;
                    std::uint32_t out = 0xFF000000u;
                    for (int shift = 16; shift >= 0; shift -= 8) {
                        const int p = (base >> shift) & 0xFF, cc = (c >> shift) & 0xFF;
                        out |= static_cast<std::uint32_t>(p + FloorDiv((cc - p) * t, 256)) << shift;
                    }
                    row[tx] = out;
                }
            }
        }
    }
}

void TAABlend::BlendColor(TAACanvas& canvas, const TAAMask& mask, int x, int y, TColor c,
                          int alpha) {
    const std::uint32_t pixel = ColorToPixel(c & 0xFFFFFF);
    Blend(canvas, mask, x, y, alpha, [pixel](int, int) { return pixel; });
}

void TAABlend::BlendForeground(TAACanvas& canvas, const TAAMask& mask, int x, int y, int alpha) {
    const Bitmap32& fg = foreground_;
    if (fg.width != mask.Width() || fg.height != mask.Height() ||
        fg.pixels.size() != static_cast<size_t>(fg.width) * fg.height)
        throw EInvalidForeBmp();
    Blend(canvas, mask, x, y, alpha, [&fg](int i, int j) { return fg.At(i, j); });
}

// --- fonts --------------------------------------------------------------------------------

TSize TAAFont::TextSize(std::string_view text, int angle) {
    if (!glyphs_ || !canvas_) return {};
    const int f = QualityFactor(mask_.Quality());
    const TAACanvasFont scaled = ScaledFont(canvas_->font, f);
    const TSize ext = glyphs_->TextExtent(scaled, text);
    int w = CeilDiv(ext.cx, f), h = CeilDiv(ext.cy, f);
    if (canvas_->font.italic) {
        const size_t len = GbkByteCount(text);
        if (len > 0) w += static_cast<int>(std::lround(double(w) / double(len) * 0.3));
    }
    if (angle % 360 != 0) {
        const double rad = angle * M_PI / 180.0;
        const double c = std::abs(std::cos(rad)), s = std::abs(std::sin(rad));
        const int rw = static_cast<int>(std::lround(w * c + h * s));
        const int rh = static_cast<int>(std::lround(w * s + h * c));
        w = rw;
        h = rh;
    }
    return {w, h};
}

bool TAAFont::RenderMask(std::string_view text, int angle) {
    const TSize size = TextSize(text, angle);
    const int f = QualityFactor(mask_.Quality());
    // An absurd font size would ask for a picture of gigabytes: such a text is not drawn.
    const long long rw = static_cast<long long>(size.cx) * f,
                    rh = static_cast<long long>(size.cy) * f;
    if (rw <= 0 || rh <= 0 || rw > kMaxRawSide || rh > kMaxRawSide || rw * rh > kMaxRawPixels) {
        mask_.SetSize(0, 0);
        return false;
    }
    const TAACanvasFont scaled = ScaledFont(canvas_->font, f);
    const Bitmap8 raw = glyphs_->Render(scaled, text, angle, size.cx * f, size.cy * f);
    mask_.Reduce(raw, size.cx, size.cy);
    return true;
}

TSize TAAFont::Measure(std::string_view text) {
    return TextSize(text, 0);
}

void TAAFont::Draw(int x, int y, std::string_view text) {
    if (!glyphs_ || !canvas_ || !canvas_->bitmap || text.empty()) return;
    if (!RenderMask(text, 0)) return;
    blend_.BlendColor(*canvas_, mask_, x, y, canvas_->font.color, 100);
}

TSize TAAFontEx::Measure(std::string_view text) {
    if (!glyphs_ || !canvas_) return {};
    TSize size = TextSize(text, effect_.Angle());
    const TAAShadow& sh = effect_.Shadow();
    if (sh.Enabled()) {
        size.cx += std::abs(sh.OffsetX());
        size.cy += std::abs(sh.OffsetY());
    }
    return size;
}

void TAAFontEx::Draw(int x, int y, std::string_view text) {
    if (!glyphs_ || !canvas_ || !canvas_->bitmap || text.empty()) return;
    const TBrushStyle savedBrush = canvas_->brushStyle;
    const TAAShadow& sh = effect_.Shadow();

    int tx = x, ty = y, sx = x, sy = y;
    if (sh.Enabled()) {
        tx = x + std::max(-sh.OffsetX(), 0);
        ty = y + std::max(-sh.OffsetY(), 0);
        sx = x + std::max(sh.OffsetX(), 0);
        sy = y + std::max(sh.OffsetY(), 0);
    }

    if (!RenderMask(text, effect_.Angle())) return;
    if (effect_.Outline()) AAOutline(mask_);
    if (effect_.Spray() > 0) AASpray(mask_, effect_.Spray(), rng_);
    if (effect_.HorzMirror()) AAHorzMirror(mask_);
    if (effect_.VertMirror()) AAVertMirror(mask_);

    if (sh.Enabled()) {
        TAAMask shadow = mask_;
        AABlur(shadow, sh.Blur());
        blend_.BlendColor(*canvas_, shadow, sx, sy, sh.Color(), effect_.Alpha() * sh.Alpha() / 100);
        canvas_->brushStyle = TBrushStyle::bsClear;
    }
    if (effect_.Blur() != 0) AABlur(mask_, effect_.Blur());

    const TColor fontColor = canvas_->font.color & 0xFFFFFF;
    const int w = mask_.Width(), h = mask_.Height();
    const TAATexture& tex = effect_.Texture();
    const TAAGradual& grad = effect_.Gradual();
    if (tex.Enabled() && !tex.Picture().Empty()) {
        blend_.Foreground() = AATextureForeground(w, h, tex.Picture(), tex.Mode(), fontColor);
        AAAddNoise(blend_.Foreground(), effect_.Noise(), rng_);
        blend_.BlendForeground(*canvas_, mask_, tx, ty, effect_.Alpha());
    } else if (grad.Enabled()) {
        blend_.Foreground() =
            AAGradientForeground(w, h, grad.Style(), grad.StartColor(), grad.EndColor());
        AAAddNoise(blend_.Foreground(), effect_.Noise(), rng_);
        blend_.BlendForeground(*canvas_, mask_, tx, ty, effect_.Alpha());
    } else if (effect_.Noise() > 0) {
        blend_.Foreground() = Bitmap32(w, h, ColorToPixel(fontColor));
        AAAddNoise(blend_.Foreground(), effect_.Noise(), rng_);
        blend_.BlendForeground(*canvas_, mask_, tx, ty, effect_.Alpha());
    } else {
        blend_.BlendColor(*canvas_, mask_, tx, ty, fontColor, effect_.Alpha());
    }
    canvas_->brushStyle = savedBrush;
}

} // namespace tobu
