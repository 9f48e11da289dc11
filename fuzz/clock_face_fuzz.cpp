// corpus: tests/settings/corpus/clockface
//
// Feeds arbitrary bytes to the clock-face loader, then turns the loaded hands and paints the
// clock's picture, so a face that loads can never make the rotation or the painting misbehave.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "faces/clock_dial.h"
#include "faces/rotate_image.h"
#include "settings/clock_face_loader.h"
#include "settings/skin_package.h"

namespace {

void TurnAndPaint(const tobu::ClockFace& face, std::uint32_t seed) {
    // An angle from the input, with a fraction, so odd angles and far turns are reached too.
    const double angle = static_cast<std::int16_t>(seed & 0xFFFF) + (seed >> 16 & 0xFF) / 256.0;
    for (const tobu::Bitmap32* hand : {&face.hour, &face.minute, &face.second}) {
        const tobu::Bitmap32 r =
            tobu::RotateBitmap(*hand, tobu::BitmapTransparentPixel(*hand), angle);
        if (!hand->Empty() && (r.width < 0 || r.height < 0)) __builtin_trap();
    }
    const int h = static_cast<int>(seed % 24), m = static_cast<int>(seed / 24 % 60),
              s = static_cast<int>(seed / 1440 % 60);
    tobu::Bitmap32 pic = tobu::ComposeClockPicture(face, h, m, s);
    if (pic.width != face.face.width || pic.height != face.face.height) __builtin_trap();
    tobu::KeyOutColor(pic);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::uint32_t seed = 0;
    for (std::size_t i = 0; i < size && i < 4; ++i)
        seed |= std::uint32_t{data[size - 1 - i]} << (8 * i);

    // The load as the clock runs it.
    tobu::ClockFace face;
    if (tobu::LoadClockFaceBytes(bytes, face).Applied()) TurnAndPaint(face, seed);

    // The layout checks and the cutting whatever the version says, so the fuzzer reaches them
    // without first guessing "1.0".
    tobu::SkinContainer c;
    if (!tobu::ParseSkinContainer(bytes, c)) {
        tobu::OpenedSkin any;
        any.ini = tobu::SkinIni(tobu::SplitSkinLines(c.ini_text));
        if (!tobu::DecodeBmp(c.bitmap, any.sheet)) {
            tobu::ClockFace f;
            if (tobu::ApplyClockFace(any, f).Applied()) TurnAndPaint(f, seed);
        }
    }
    return 0;
}
