// The clock-face loader: a face package (.cl, the skin container) read into a ClockFace.
//
// The package's settings text holds ClockVer "1.0" in section VER, the five rectangles (face,
// hour, minute and second hand, centre cap) in section Clock, and the pivot CenterX, CenterY
// (default: the middle of the face, integer division) in section CLOCK. A face is refused as a
// whole, keeping the clock's current face, when its version is not exactly "1.0" or when its
// layout is unusable: a rectangle with a negative size or larger than the sheet, an empty face,
// a pivot outside the face, or a hand whose turning square would be far larger than the sheet.
// So a loaded face never costs more than a few times its sheet's size.
#pragma once

#include <string>
#include <vector>

#include "faces/clock_dial.h"
#include "settings/skin_package.h"

namespace tobu {

// The layout a face package describes, as read (before any check).
struct ClockFaceLayout {
    SpriteRect face, hour, minute, second, cap;
    TPoint pivot;
    bool pivot_explicit = false; // CenterX or CenterY present
};

// The layout of a package's settings text; the default pivot is the middle of the face
// rectangle as read.
ClockFaceLayout ReadClockFaceLayout(const SkinIni& ini);

// What makes the clock refuse a layout on a sheet of sheet_width × sheet_height, one line each
// (empty when the face is usable).
std::vector<std::string> ClockFaceProblems(const ClockFaceLayout& layout, int sheet_width,
                                           int sheet_height);

// A hand's turning square may hold at most this many times the sheet's pixels (or
// kMinHandSquarePixels, so small test sheets with long hands still load).
constexpr int kHandSquareSheetFactor = 4;
constexpr long long kMinHandSquarePixels = 1 << 16;

// Cuts the face from a package already open (version accepted). On Applied `out` holds the new
// face; otherwise `out` is untouched and the result is Damaged with the problems in `error`.
SkinLoadResult ApplyClockFace(const OpenedSkin& pkg, ClockFace& out);

// LoadClockFace's reading part on the package at `path`: Missing (no such file), WrongVersion,
// Damaged (unreadable package or picture, or an unusable layout) leave `out` untouched.
SkinLoadResult LoadClockFaceSkin(const std::string& path, ClockFace& out);
// The same on package bytes in memory (the fuzz target, `tobu face`).
SkinLoadResult LoadClockFaceBytes(std::string_view bytes, ClockFace& out);

} // namespace tobu
