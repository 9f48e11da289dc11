// The analog clock's picture logic: a loaded face (the dial, three hands pointing to twelve, the
// centre cap and the pivot), the hand angles of a time, where the hands and the cap sit, and the
// composed window picture. The clock window paints with ClockDial, and `tobu face render` uses
// the same ComposeClockPicture, so both show the same pixels.
#pragma once

#include <cstdint>
#include <utility>

#include "base/bitmap.h"
#include "faces/rotate_image.h"

namespace tobu {

// A face as the clock shows it. Hands and the cap take their picture's bottom-left pixel as
// their transparent colour; an empty hand or cap draws nothing.
struct ClockFace {
    Bitmap32 face;   // ImageBk; its size is the window's client size
    Bitmap32 hour;   // RotateImageH
    Bitmap32 minute; // RotateImageM
    Bitmap32 second; // RotateImageS
    Bitmap32 cap;    // ImageC
    TPoint pivot;    // CenterX, CenterY in window coordinates
};

// The three hand angles of a time, in degrees (negative turns clockwise): hour
// −(30·h + 6·(m div 12)), minute −6·m, second −6·s. 15:00:00 gives an hour angle of −450.
struct HandAngles {
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool operator==(const HandAngles&) const = default;
};
HandAngles ClockHandAngles(int hour, int minute, int second);

// Where a hand control sits: the UniqueSize square of its picture at
// (CenterX − ⌈side/2⌉, CenterY − ⌈side/2⌉). Empty for an empty picture.
TRect HandControlRect(TPoint pivot, int picture_width, int picture_height);
// Where the cap sits: at (CenterX − ⌈w/2⌉, CenterY − ⌈h/2⌉), its own size.
TRect CapRect(TPoint pivot, int width, int height);

// The five controls of the clock window, back to front, with the hands kept as TRotateImage
// (auto-size, centred, transparent, UniqueSize) so a hand is re-rotated only when its angle
// changes.
class ClockDial {
public:
    ClockDial() = default;
    explicit ClockDial(ClockFace face) { SetFace(std::move(face)); }

    // Takes a new face: the hands get their pictures and the controls their places.
    void SetFace(ClockFace face);
    const ClockFace& Face() const { return face_; }

    // Turns the hands to the time (hour 0–23).
    void SetClockHands(int hour, int minute, int second);

    const TRotateImage& HourHand() const { return hour_; }
    const TRotateImage& MinuteHand() const { return minute_; }
    const TRotateImage& SecondHand() const { return second_; }
    TRect HourRect() const { return hour_rect_; }
    TRect MinuteRect() const { return minute_rect_; }
    TRect SecondRect() const { return second_rect_; }
    TRect CapBounds() const { return cap_rect_; }

    // The window's picture, the face's size: the face, the hour, minute and second hands and
    // the cap, each keyed by its own transparent colour. Opaque pixels; the window's fuchsia
    // colour key is still in it (see KeyOutColor).
    Bitmap32 Picture() const;
    void Paint(Bitmap32& canvas) const;

private:
    ClockFace face_;
    TRotateImage hour_, minute_, second_;
    TRect hour_rect_, minute_rect_, second_rect_, cap_rect_;
};

// The picture of `face` at the time, as the window shows it (see ClockDial::Picture).
Bitmap32 ComposeClockPicture(const ClockFace& face, int hour, int minute, int second);

// Makes every pixel of colour `key` see-through (alpha 0) and every other pixel opaque: the
// window's colour key applied to its picture.
void KeyOutColor(Bitmap32& picture, TColor key = kClFuchsia);

} // namespace tobu
