// A small clock face for tests whose pictures can be followed pixel by pixel: an 11 × 11 white
// dial with a fuchsia corner, a 3 × 7 red hour hand on green, a 3 × 9 blue minute hand on
// black, a 1 × 6 yellow second hand on white and a 2 × 2 cyan cap with a grey key pixel.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "base/bitmap.h"
#include "faces/clock_dial.h"

namespace tobu::testing_face {

constexpr std::uint32_t kW = 0xFFFFFFFF, kF = 0xFFFF00FF, kR = 0xFFFF0000, kG = 0xFF00FF00,
                        kB = 0xFF0000FF, kK = 0xFF000000, kY = 0xFFFFFF00, kC = 0xFF00FFFF,
                        kGrey = 0xFF808080;

inline ClockFace SmallFace() {
    ClockFace f;
    f.face = Bitmap32(11, 11, kW);
    f.face.At(0, 0) = kF;
    f.hour = Bitmap32(3, 7, kG);
    for (int y = 0; y <= 3; ++y) f.hour.At(1, y) = kR;
    f.minute = Bitmap32(3, 9, kK);
    for (int y = 0; y <= 4; ++y) f.minute.At(1, y) = kB;
    f.second = Bitmap32(1, 6, kW);
    for (int y = 0; y <= 2; ++y) f.second.At(0, y) = kY;
    f.cap = Bitmap32(2, 2, kC);
    f.cap.At(0, 1) = kGrey;
    f.pivot = {5, 5};
    return f;
}

// The picture as letters (W white, F fuchsia, R red, B blue, Y yellow, C cyan, ? other).
inline std::vector<std::string> GridOf(const Bitmap32& b) {
    const std::map<std::uint32_t, char> names = {{kW, 'W'}, {kF, 'F'}, {kR, 'R'}, {kB, 'B'},
                                                 {kY, 'Y'}, {kC, 'C'}, {kG, 'G'}, {kK, 'K'}};
    std::vector<std::string> rows;
    for (int y = 0; y < b.height; ++y) {
        std::string row;
        for (int x = 0; x < b.width; ++x) {
            auto it = names.find(b.At(x, y));
            row += it == names.end() ? '?' : it->second;
        }
        rows.push_back(row);
    }
    return rows;
}

// The window's picture of SmallFace at 03:00:30, worked out by hand from the rotation rules.
inline std::vector<std::string> SmallFaceAt030030() {
    return {"FWWWBWWWWWW", "WWWWBWWWWWW", "WWWWBWWWWWW", "WWWWBWWWWWW",
            "WWWWCCRRWWW", "WWWWYCWWWWW", "WWWWYWWWWWW", "WWWWWWWWWWW",
            "WWWWWWWWWWW", "WWWWWWWWWWW", "WWWWWWWWWWW"};
}

} // namespace tobu::testing_face
