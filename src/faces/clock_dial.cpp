#include "faces/clock_dial.h"

#include <utility>

namespace tobu {

HandAngles ClockHandAngles(int hour, int minute, int second) {
    return {-(30 * hour + 6 * (minute / 12)), -6 * minute, -6 * second};
}

namespace {

int HalfUp(int v) {
    return v / 2 + v % 2; // ⌈v/2⌉ for v ≥ 0
}

void SetupHand(TRotateImage& hand, Bitmap32 picture) {
    hand.SetCenter(true);
    hand.SetTransparent(true);
    hand.SetUniqueSize(true);
    hand.SetPicture(std::move(picture));
}

// Draws an auto-sized transparent picture at its place, leaving its transparent colour out.
void PaintTransparent(const Bitmap32& picture, Bitmap32& canvas, int left, int top) {
    if (picture.Empty()) return;
    const std::uint32_t key = BitmapTransparentPixel(picture);
    for (int y = 0; y < picture.height; ++y) {
        const int dy = top + y;
        if (dy < 0 || dy >= canvas.height) continue;
        for (int x = 0; x < picture.width; ++x) {
            const int dx = left + x;
            if (dx < 0 || dx >= canvas.width) continue;
            const std::uint32_t p = picture.At(x, y);
            if (!SameColor(p, key)) canvas.At(dx, dy) = p;
        }
    }
}

} // namespace

TRect HandControlRect(TPoint pivot, int picture_width, int picture_height) {
    if (picture_width < 1 || picture_height < 1) return {};
    const int side = UniqueSide(picture_width, picture_height);
    const int left = pivot.x - HalfUp(side);
    const int top = pivot.y - HalfUp(side);
    return {left, top, left + side, top + side};
}

TRect CapRect(TPoint pivot, int width, int height) {
    if (width < 1 || height < 1) return {};
    const int left = pivot.x - HalfUp(width);
    const int top = pivot.y - HalfUp(height);
    return {left, top, left + width, top + height};
}

void ClockDial::SetFace(ClockFace face) {
    face_ = std::move(face);
    hour_rect_ = HandControlRect(face_.pivot, face_.hour.width, face_.hour.height);
    minute_rect_ = HandControlRect(face_.pivot, face_.minute.width, face_.minute.height);
    second_rect_ = HandControlRect(face_.pivot, face_.second.width, face_.second.height);
    cap_rect_ = CapRect(face_.pivot, face_.cap.width, face_.cap.height);
    SetupHand(hour_, face_.hour);
    SetupHand(minute_, face_.minute);
    SetupHand(second_, face_.second);
}

void ClockDial::SetClockHands(int hour, int minute, int second) {
    const HandAngles a = ClockHandAngles(hour, minute, second);
    second_.SetAngle(a.second);
    minute_.SetAngle(a.minute);
    hour_.SetAngle(a.hour);
}

void ClockDial::Paint(Bitmap32& canvas) const {
    for (int y = 0; y < face_.face.height && y < canvas.height; ++y)
        for (int x = 0; x < face_.face.width && x < canvas.width; ++x)
            canvas.At(x, y) = face_.face.At(x, y);
    hour_.Paint(canvas, hour_rect_);
    minute_.Paint(canvas, minute_rect_);
    second_.Paint(canvas, second_rect_);
    PaintTransparent(face_.cap, canvas, cap_rect_.left, cap_rect_.top);
}

Bitmap32 ClockDial::Picture() const {
    Bitmap32 canvas(face_.face.width, face_.face.height, ColorToPixel(kClFuchsia));
    Paint(canvas);
    return canvas;
}

Bitmap32 ComposeClockPicture(const ClockFace& face, int hour, int minute, int second) {
    ClockDial dial(face);
    dial.SetClockHands(hour, minute, second);
    return dial.Picture();
}

void KeyOutColor(Bitmap32& picture, TColor key) {
    const std::uint32_t k = ColorToPixel(key);
    for (auto& p : picture.pixels) p = SameColor(p, k) ? (p & 0x00FFFFFFu) : (p | 0xFF000000u);
}

} // namespace tobu
