#include "settings/clock_face_loader.h"

#include <algorithm>

namespace tobu {

ClockFaceLayout ReadClockFaceLayout(const SkinIni& ini) {
    ClockFaceLayout l;
    l.face = ReadSpriteRect(ini, "Clock", "Clock", {});
    l.hour = ReadSpriteRect(ini, "Clock", "HourHand", {});
    l.minute = ReadSpriteRect(ini, "Clock", "MinuteHand", {});
    l.second = ReadSpriteRect(ini, "Clock", "SecondHand", {});
    l.cap = ReadSpriteRect(ini, "Clock", "CenterPoint", {});
    // The pivot's defaults come from the window size the face gives it.
    const int w = std::max(l.face.width, 0);
    const int h = std::max(l.face.height, 0);
    l.pivot_explicit = ini.Find("CLOCK", "CenterX") || ini.Find("CLOCK", "CenterY");
    l.pivot = {ini.ReadInteger("CLOCK", "CenterX", w / 2),
               ini.ReadInteger("CLOCK", "CenterY", h / 2)};
    return l;
}

std::vector<std::string> ClockFaceProblems(const ClockFaceLayout& l, int sheet_width,
                                           int sheet_height) {
    std::vector<std::string> problems;
    const long long sheet_pixels = static_cast<long long>(sheet_width) * sheet_height;
    const long long square_limit =
        std::max(kMinHandSquarePixels, kHandSquareSheetFactor * sheet_pixels);
    struct Named {
        const char* name;
        const SpriteRect* r;
        bool hand;
    };
    const Named rects[] = {{"face", &l.face, false},
                           {"hour hand", &l.hour, true},
                           {"minute hand", &l.minute, true},
                           {"second hand", &l.second, true},
                           {"centre cap", &l.cap, false}};
    for (const auto& n : rects) {
        const SpriteRect& r = *n.r;
        const std::string size = std::to_string(r.width) + " x " + std::to_string(r.height);
        if (r.width < 0 || r.height < 0) {
            problems.push_back(std::string(n.name) + " has a negative size " + size);
        } else if (r.width > sheet_width || r.height > sheet_height) {
            problems.push_back(std::string(n.name) + " " + size + " is larger than the sheet " +
                               std::to_string(sheet_width) + " x " + std::to_string(sheet_height));
        } else if (n.hand && r.width > 0 && r.height > 0) {
            const long long side = UniqueSide(r.width, r.height);
            if (side * side > square_limit)
                problems.push_back(std::string(n.name) + " " + size +
                                   " turns in a square far larger than the sheet");
        }
    }
    if (l.face.width <= 0 || l.face.height <= 0) {
        problems.push_back("the face is empty");
    } else if (l.pivot.x < 0 || l.pivot.y < 0 || l.pivot.x >= l.face.width ||
               l.pivot.y >= l.face.height) {
        problems.push_back("pivot (" + std::to_string(l.pivot.x) + ", " +
                           std::to_string(l.pivot.y) + ") is outside the face");
    }
    return problems;
}

SkinLoadResult ApplyClockFace(const OpenedSkin& pkg, ClockFace& out) {
    const ClockFaceLayout l = ReadClockFaceLayout(pkg.ini);
    const auto problems = ClockFaceProblems(l, pkg.sheet.width, pkg.sheet.height);
    if (!problems.empty()) {
        std::string why;
        for (const auto& p : problems) why += (why.empty() ? "" : "; ") + p;
        return {SkinLoadStatus::Damaged, why};
    }
    ClockFace f;
    try {
        CutSprite(pkg.sheet, f.face, l.face);
        CutSprite(pkg.sheet, f.hour, l.hour);
        CutSprite(pkg.sheet, f.minute, l.minute);
        CutSprite(pkg.sheet, f.second, l.second);
        CutSprite(pkg.sheet, f.cap, l.cap);
    } catch (const SkinError& e) {
        return {SkinLoadStatus::Damaged, e.what()};
    }
    f.pivot = l.pivot;
    out = std::move(f);
    return {SkinLoadStatus::Applied, {}};
}

SkinLoadResult LoadClockFaceSkin(const std::string& path, ClockFace& out) {
    OpenedSkin pkg;
    SkinLoadResult r = OpenSkinPackage(path, SkinVersionKey::Clock, pkg);
    if (!r.Applied()) return r;
    return ApplyClockFace(pkg, out);
}

SkinLoadResult LoadClockFaceBytes(std::string_view bytes, ClockFace& out) {
    OpenedSkin pkg;
    SkinLoadResult r = OpenSkinBytes(bytes, SkinVersionKey::Clock, pkg);
    if (!r.Applied()) return r;
    return ApplyClockFace(pkg, out);
}

} // namespace tobu
