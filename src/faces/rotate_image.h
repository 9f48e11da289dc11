// The rotating picture of the analog clock's hands: a fixed-point, nearest-neighbour resampler
// on 32-bit pixel buffers, and TRotateImage, the control's logic (its picture, angle and flags,
// and the RotatedBitmap it keeps). The window draws RotatedBitmap; nothing here needs a display.
//
// Every implementation of the clock must give the same pixels, so the arithmetic is fixed:
// θ = −angle·π/180 in IEEE double, S and C are sin θ and cos θ times 65536 truncated toward
// zero (S is 32767 at −30°), and every destination pixel takes exactly one source pixel.
#pragma once

#include <cstdint>

#include "base/bitmap.h"

namespace tobu {

// The picture turned counter-clockwise by `angle` degrees (negative turns clockwise), on a
// background of `background` (a 0xAARRGGBB pixel). The angle is first brought into −180..180.
// A non-finite angle is taken as 0. An empty source gives an empty result.
Bitmap32 RotateBitmap(const Bitmap32& source, std::uint32_t background, double angle);

// The side of the square that holds a w × h picture at every angle: the root of
// (w + 2)² + (h + 2)², rounded to the nearest integer (a 9 × 101 hand gives 104).
int UniqueSide(int width, int height);

// The transparent colour of a bitmap picture: its bottom-left pixel (0 for an empty picture).
std::uint32_t BitmapTransparentPixel(const Bitmap32& picture);

// Two pixels show the same colour (the alpha byte is not compared).
constexpr bool SameColor(std::uint32_t a, std::uint32_t b) {
    return ((a ^ b) & 0x00FFFFFFu) == 0;
}

// The logic of the TRotateImage control. Its picture is always a bitmap, so the background
// colour of a rotation is the picture's transparent colour. Setting a property to the value it
// already has does nothing; any other change rebuilds RotatedBitmap at once.
class TRotateImage {
public:
    TRotateImage() = default;

    void SetPicture(Bitmap32 picture);
    const Bitmap32& Picture() const { return picture_; }

    void SetAngle(double angle);
    double Angle() const { return angle_; }
    void SetCenter(bool v);
    bool Center() const { return center_; }
    void SetStretch(bool v);
    bool Stretch() const { return stretch_; }
    void SetTransparent(bool v);
    bool Transparent() const { return transparent_; }
    void SetUniqueSize(bool v);
    bool UniqueSize() const { return unique_size_; }

    const Bitmap32& RotatedBitmap() const { return rotated_; }
    // The colour that a transparent RotatedBitmap leaves undrawn.
    std::uint32_t BackgroundPixel() const { return background_; }
    // How many times RotatedBitmap was rebuilt (a hand is re-rotated only when it turns).
    int Rebuilds() const { return rebuilds_; }

    // Draws RotatedBitmap onto `canvas` for a control whose client rectangle is `bounds` (in
    // canvas coordinates): stretched over the whole rectangle with Stretch, else centred in it
    // with Center, else at its top-left corner; clipped to the rectangle and the canvas. With
    // Transparent, background-coloured pixels are left undrawn.
    void Paint(Bitmap32& canvas, const TRect& bounds) const;

private:
    void RebuildRotated();

    Bitmap32 picture_;
    Bitmap32 rotated_;
    std::uint32_t background_ = 0;
    double angle_ = 0;
    bool center_ = false;
    bool stretch_ = false;
    bool transparent_ = false;
    bool unique_size_ = true;
    int rebuilds_ = 0;
};

} // namespace tobu
