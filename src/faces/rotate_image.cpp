#include "faces/rotate_image.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tobu {

Bitmap32 RotateBitmap(const Bitmap32& source, std::uint32_t background, double angle) {
    if (source.Empty()) return Bitmap32();
    if (!std::isfinite(angle)) angle = 0;
    // Far-away angles are brought near first so the loops below stay short; fmod is exact.
    if (std::fabs(angle) > 1e6) angle = std::fmod(angle, 360.0);
    while (angle > 180) angle -= 360;
    while (angle < -180) angle += 360;

    const double theta = -angle * M_PI / 180.0;
    const std::int64_t S = static_cast<int>(std::trunc(std::sin(theta) * 65536.0));
    const std::int64_t C = static_cast<int>(std::trunc(std::cos(theta) * 65536.0));

    const int W = source.width;
    const int H = source.height;
    const int cx = W / 2;
    const int cy = H / 2; // counted from the bottom row

    const std::int64_t aS = S < 0 ? -S : S;
    const std::int64_t aC = C < 0 ? -C : C;
    const int NW = static_cast<int>((aC * W + aS * H) >> 16);
    const int NH = static_cast<int>((aS * W + aC * H) >> 16);

    int hw = NW / 2;
    if (NW % 2 == 0 && (angle == 0 || angle == -90)) --hw;
    int hh = NH / 2;
    if (NH % 2 == 0 && (angle == 0 || angle == 90)) --hh;

    Bitmap32 dest(NW, NH, background);
    const std::int64_t x0 = -(NW - 1 - hw); // x of column 0
    for (int r = 0; r < NH; ++r) {
        const std::int64_t y = hh - r;
        std::uint32_t* row = dest.Row(r);
        // Fixed-point source coordinates of column 0; each column step adds C and S.
        std::int64_t u = x0 * C - y * S;
        std::int64_t v = x0 * S + y * C;
        for (int k = 0; k < NW; ++k, u += C, v += S) {
            const std::int64_t sx = cx + (u >> 16);
            const std::int64_t sy = cy + (v >> 16);
            if (sx >= 0 && sx < W && sy >= 0 && sy < H)
                row[k] = source.At(static_cast<int>(sx), static_cast<int>(H - 1 - sy));
        }
    }
    return dest;
}

int UniqueSide(int width, int height) {
    const double w = static_cast<double>(width) + 2;
    const double h = static_cast<double>(height) + 2;
    return static_cast<int>(std::lround(std::sqrt(w * w + h * h)));
}

std::uint32_t BitmapTransparentPixel(const Bitmap32& picture) {
    if (picture.Empty()) return 0;
    return picture.At(0, picture.height - 1);
}

void TRotateImage::SetPicture(Bitmap32 picture) {
    picture_ = std::move(picture);
    RebuildRotated();
}

void TRotateImage::SetAngle(double angle) {
    if (angle == angle_) return;
    angle_ = angle;
    RebuildRotated();
}

void TRotateImage::SetCenter(bool v) {
    if (v == center_) return;
    center_ = v;
    RebuildRotated();
}

void TRotateImage::SetStretch(bool v) {
    if (v == stretch_) return;
    stretch_ = v;
    RebuildRotated();
}

void TRotateImage::SetTransparent(bool v) {
    if (v == transparent_) return;
    transparent_ = v;
    RebuildRotated();
}

void TRotateImage::SetUniqueSize(bool v) {
    if (v == unique_size_) return;
    unique_size_ = v;
    RebuildRotated();
}

namespace {

// Copies `src` onto `dst` with its top-left corner at (left, top), clipped to `dst`.
void Blit(const Bitmap32& src, Bitmap32& dst, int left, int top) {
    for (int y = 0; y < src.height; ++y) {
        const int dy = top + y;
        if (dy < 0 || dy >= dst.height) continue;
        for (int x = 0; x < src.width; ++x) {
            const int dx = left + x;
            if (dx >= 0 && dx < dst.width) dst.At(dx, dy) = src.At(x, y);
        }
    }
}

} // namespace

void TRotateImage::RebuildRotated() {
    ++rebuilds_;
    if (picture_.width < 1 || picture_.height < 1) {
        rotated_ = Bitmap32();
        return;
    }
    background_ = BitmapTransparentPixel(picture_);
    const double turns = angle_ / 360.0;
    Bitmap32 result = std::isfinite(turns) && turns == std::trunc(turns)
                          ? picture_
                          : RotateBitmap(picture_, background_, angle_);
    if (unique_size_) {
        const int side = UniqueSide(picture_.width, picture_.height);
        Bitmap32 square(side, side, background_);
        if (center_)
            Blit(result, square, (side - result.width) / 2, (side - result.height) / 2);
        else
            Blit(result, square, 0, 0);
        rotated_ = std::move(square);
    } else {
        rotated_ = std::move(result);
    }
}

void TRotateImage::Paint(Bitmap32& canvas, const TRect& bounds) const {
    if (rotated_.Empty() || bounds.Width() <= 0 || bounds.Height() <= 0) return;
    TRect dst;
    if (stretch_) {
        dst = bounds;
    } else if (center_) {
        const int left = bounds.left + (bounds.Width() - rotated_.width) / 2;
        const int top = bounds.top + (bounds.Height() - rotated_.height) / 2;
        dst = {left, top, left + rotated_.width, top + rotated_.height};
    } else {
        dst = {bounds.left, bounds.top, bounds.left + rotated_.width, bounds.top + rotated_.height};
    }
    const int x_from = std::max({dst.left, bounds.left, 0});
    const int x_to = std::min({dst.right, bounds.right, canvas.width});
    const int y_from = std::max({dst.top, bounds.top, 0});
    const int y_to = std::min({dst.bottom, bounds.bottom, canvas.height});
    const std::int64_t dw = dst.Width();
    const std::int64_t dh = dst.Height();
    const bool scaled = dw != rotated_.width || dh != rotated_.height;
    for (int y = y_from; y < y_to; ++y) {
        const int sy = static_cast<int>((y - dst.top) * std::int64_t{rotated_.height} / dh);
        const std::uint32_t* src = rotated_.Row(sy);
        std::uint32_t* out = canvas.Row(y);
        for (int x = x_from; x < x_to; ++x) {
            const int sx =
                scaled ? static_cast<int>((x - dst.left) * std::int64_t{rotated_.width} / dw)
                       : x - dst.left;
            const std::uint32_t p = src[sx];
            if (transparent_ && SameColor(p, background_)) continue;
            out[x] = p;
        }
    }
}

} // namespace tobu
