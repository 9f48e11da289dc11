#include "app/chrome.h"

#include <algorithm>

namespace tobu {

void StretchCopy(const Bitmap32& src, const TRect& from, Bitmap32& dst, const TRect& to) {
    const int sw = from.Width(), sh = from.Height(), dw = to.Width(), dh = to.Height();
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
    for (int dy = 0; dy < dh; ++dy) {
        int ty = to.top + dy;
        int sy = from.top + static_cast<int>(static_cast<std::int64_t>(dy) * sh / dh);
        if (ty < 0 || ty >= dst.height || sy < 0 || sy >= src.height) continue;
        for (int dx = 0; dx < dw; ++dx) {
            int tx = to.left + dx;
            int sx = from.left + static_cast<int>(static_cast<std::int64_t>(dx) * sw / dw);
            if (tx < 0 || tx >= dst.width || sx < 0 || sx >= src.width) continue;
            dst.At(tx, ty) = src.At(sx, sy);
        }
    }
}

FramePlaces FrameLayout(int fw, int fh, int w, int h) {
    (void)fw;
    (void)fh;
    FramePlaces p;
    p.caption_left = {1, 1, 21, 29};
    p.caption_right = {w - 21, 1, w - 1, 29};
    p.caption_middle = {21, 1, w - 21, 29};
    p.bottom_left = {1, h - 11, 11, h - 1};
    p.bottom_right = {w - 11, h - 11, w - 1, h - 1};
    p.left_edge = {1, 29, 11, h - 11};
    p.right_edge = {w - 11, 29, w - 1, h - 11};
    p.bottom_edge = {11, h - 11, w - 11, h - 1};
    p.body = {11, 29, w - 11, h - 11};
    return p;
}

namespace {

// Source rectangle → intermediate bitmap of the given size → target rectangle.
void Via(const Bitmap32& src, const TRect& from, int iw, int ih, Bitmap32& dst, const TRect& to) {
    if (iw <= 0 || ih <= 0) return;
    Bitmap32 mid(iw, ih, 0xFF000000u);
    StretchCopy(src, from, mid, {0, 0, iw, ih});
    StretchCopy(mid, {0, 0, iw, ih}, dst, to);
}

void Copy1to1(const Bitmap32& src, const TRect& from, Bitmap32& dst, int x, int y) {
    StretchCopy(src, from, dst, {x, y, x + from.Width(), y + from.Height()});
}

} // namespace

Bitmap32 PaintFrame(const Bitmap32& f, int w, int h) {
    Bitmap32 out(w, h, ColorToPixel(kClFuchsia));
    if (out.Empty() || f.Empty()) return out;
    const int fw = f.width, fh = f.height;
    const FramePlaces p = FrameLayout(fw, fh, w, h);
    Copy1to1(f, {0, 0, 20, 28}, out, 1, 1);
    Copy1to1(f, {fw - 20, 0, fw, 28}, out, w - 21, 1);
    Via(f, {21, 0, 81, 28}, 80, 28, out, p.caption_middle);
    Copy1to1(f, {0, fh - 10, 10, fh}, out, 1, h - 11);
    Copy1to1(f, {fw - 10, fh - 10, fw, fh}, out, w - 11, h - 11);
    Via(f, {0, 28, 10, 40}, 10, 12, out, p.left_edge);
    Via(f, {fw - 10, 28, fw, 40}, 10, 12, out, p.right_edge);
    Via(f, {10, fh - 10, fw - 10, fh}, fw - 20, 10, out, p.bottom_edge);
    Via(f, {10, 28, fw - 10, fh - 10}, fw - 20, 12, out, p.body);
    return out;
}

Bitmap8 RoundRectMask(int w, int h) {
    Bitmap8 m(w, h, 0);
    const double r = 6.5;
    // Like the system's rounded-rectangle regions, the shape leaves out the right and bottom
    // edge of its bounds, so the frame's magenta margin never shows.
    const double l = 1, t = 1, rr = w - 1, bb = h - 1;
    for (int y = 1; y < h - 1; ++y) {
        for (int x = 1; x < w - 1; ++x) {
            double px = x + 0.5, py = y + 0.5;
            double cx = px < l + r ? l + r : (px > rr - r ? rr - r : px);
            double cy = py < t + r ? t + r : (py > bb - r ? bb - r : py);
            double dx = px - cx, dy = py - cy;
            if (dx * dx + dy * dy <= r * r) m.At(x, y) = 1;
        }
    }
    return m;
}

// --- Shadow ------------------------------------------------------------------------------------

const std::array<std::array<std::uint8_t, 256>, 256>& ShadowProductTable() {
    static const auto table = [] {
        std::array<std::array<std::uint8_t, 256>, 256> t{};
        for (int i = 0; i < 256; ++i)
            for (int j = 0; j < 256; ++j) t[i][j] = static_cast<std::uint8_t>(i * j / 255);
        return t;
    }();
    return table;
}

void ShadowBlurPass(Bitmap32& pic, int a) {
    const int w = pic.width, h = pic.height;
    for (int y = 0; y < h; ++y) {
        const int y0 = std::max(y - a, 0), y1 = std::min(y + a, h - 1);
        for (int x = 0; x < w; ++x) {
            const int x0 = std::max(x - a, 0), x1 = std::min(x + a, w - 1);
            const std::uint32_t p[4] = {pic.At(x0, y0), pic.At(x1, y0), pic.At(x0, y1),
                                        pic.At(x1, y1)};
            std::uint32_t result = pic.At(x, y) & 0xFF000000u;
            for (int shift = 0; shift < 24; shift += 8) {
                std::uint32_t sum = 0;
                for (std::uint32_t q : p) sum += (q >> shift) & 0xFF;
                result |= ((sum >> 2) & 0xFF) << shift;
            }
            pic.At(x, y) = result;
        }
    }
}

void ShadowCompose(Bitmap32& pic, TColor color) {
    const auto& t = ShadowProductTable();
    const std::uint8_t r = ColorR(color), g = ColorG(color), b = ColorB(color);
    for (auto& px : pic.pixels) {
        std::uint8_t alpha = px & 0xFF; // the blue byte
        px = (std::uint32_t(alpha) << 24) | (std::uint32_t(t[r][alpha]) << 16) |
             (std::uint32_t(t[g][alpha]) << 8) | t[b][alpha];
    }
}

ShadowPicture DrawShadowPicture(const ShadowForm& f, TColor color) {
    constexpr int H = kShadowHalo;
    ShadowPicture out;
    Bitmap32& pic = out.picture;
    pic = Bitmap32(f.width + 2 * H, f.height + 2 * H, 0); // black
    const bool has_region = f.region && f.region->width == f.width && f.region->height == f.height;
    auto in_clip = [&](int px, int py) { return !has_region || f.region->At(px - H, py - H) != 0; };

    // Shape rectangle: the region's bounding box, else the window rectangle.
    TRect shape{H, H, H + f.width, H + f.height};
    if (has_region) {
        shape = {pic.width, pic.height, 0, 0};
        for (int y = 0; y < f.height; ++y)
            for (int x = 0; x < f.width; ++x)
                if (f.region->At(x, y)) {
                    shape.left = std::min(shape.left, x + H);
                    shape.top = std::min(shape.top, y + H);
                    shape.right = std::max(shape.right, x + H + 1);
                    shape.bottom = std::max(shape.bottom, y + H + 1);
                }
        if (shape.left >= shape.right) shape = {};
    }
    auto fill_shape = [&](std::uint32_t v) {
        for (int y = std::max(shape.top, 0); y < std::min(shape.bottom, pic.height); ++y)
            for (int x = std::max(shape.left, 0); x < std::min(shape.right, pic.width); ++x)
                if (in_clip(x, y)) pic.At(x, y) = v;
    };
    fill_shape(0x00FFFFFFu);

    // Colour key: opaque form pixels white, see-through ones black.
    const bool keyed = f.transparent_color && f.client && !f.client->Empty();
    auto for_client = [&](auto fn) {
        for (int cy = 0; cy < f.client->height; ++cy)
            for (int cx = 0; cx < f.client->width; ++cx) {
                int px = f.client_origin.x + H + cx, py = f.client_origin.y + H + cy;
                if (!pic.Contains(px, py) || px - H >= f.width || py - H >= f.height ||
                    !in_clip(px, py))
                    continue;
                bool opaque = PixelToColor(f.client->At(cx, cy)) != *f.transparent_color;
                fn(pic.At(px, py), opaque);
            }
    };
    if (keyed) for_client([](std::uint32_t& p, bool opaque) { p = opaque ? 0x00FFFFFFu : 0; });

    for (int a = 1; a <= 3; ++a) ShadowBlurPass(pic, a);

    // Cut the form out.
    if (keyed)
        for_client([](std::uint32_t& p, bool opaque) {
            if (opaque) p &= 0xFF000000u;
        });
    else
        fill_shape(0);

    ShadowCompose(pic, color);
    out.constant_alpha = f.alpha_blend ? f.alpha : 255;
    return out;
}

// --- Tracker ----------------------------------------------------------------------------------

bool ShadowTracker::SetVisible(bool v) {
    if (v == visible_) return false;
    visible_ = v;
    return true;
}

void ShadowTracker::Attached(std::optional<TColor> key) {
    last_key_ = key;
    dirty_ = true;
}

bool ShadowTracker::NeedsRedraw(int form_w, int form_h, std::optional<TColor> key) {
    const int w = form_w + 2 * kShadowHalo, h = form_h + 2 * kShadowHalo;
    if (w != pic_w_ || h != pic_h_) {
        pic_w_ = w;
        pic_h_ = h;
        dirty_ = true;
    } else if (key && key != last_key_) {
        dirty_ = true;
    }
    last_key_ = key;
    if (!dirty_) return false;
    dirty_ = false;
    return true;
}

ShadowTracker::Placement ShadowTracker::PositionChanged(int left, int top, int w, int h,
                                                        bool normal, bool maximised,
                                                        std::optional<TColor> key, int offset) {
    Placement p;
    if (!maximised && visible_) p.redraw = NeedsRedraw(w, h, key);
    p.pos = ShadowPosition(left, top, offset);
    p.width = w + 2 * kShadowHalo;
    p.height = h + 2 * kShadowHalo;
    p.show = visible_ && normal;
    return p;
}

std::array<int, 9> FadeSteps(int alpha, int* count) {
    std::array<int, 9> steps{};
    int n = 0;
    while (alpha > 30 && n < 9) {
        alpha -= 30;
        steps[n++] = alpha;
    }
    if (count) *count = n;
    return steps;
}

} // namespace tobu
