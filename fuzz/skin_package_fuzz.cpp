// corpus: tests/settings/corpus/skin
//
// Feeds arbitrary bytes to the skin package reader, the bitmap decoder and the loaders.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "settings/options_model.h"
#include "settings/skin_loaders.h"
#include "settings/skin_package.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // The whole load as the program runs it.
    tobu::OpenedSkin pkg;
    if (tobu::OpenSkinBytes(bytes, tobu::SkinVersionKey::Skin, pkg).Applied()) {
        tobu::BarSkin bar;
        tobu::ApplyBarSkin(pkg, bar);
    }

    // The loaders again whatever the version says, so the fuzzer reaches the sprite cutting
    // without first guessing "1.0".
    tobu::SkinContainer c;
    if (!tobu::ParseSkinContainer(bytes, c)) {
        tobu::OpenedSkin any;
        any.ini = tobu::SkinIni(tobu::SplitSkinLines(c.ini_text));
        if (!tobu::DecodeBmp(c.bitmap, any.sheet)) {
            tobu::BarSkin bar;
            tobu::ApplyBarSkin(any, bar);
            tobu::WinSkin win;
            tobu::ApplyWinSkin(any, win);
            tobu::WeatherSkin weather;
            tobu::ApplyWeatherSkin(any, weather);
        }
    }

    // The options dialog's previews of the same bytes as a skin and as a clock face.
    tobu::SkinPreview skin = tobu::MakeSkinPreviewBytes(bytes, 45000.5);
    if (skin.status == tobu::PreviewStatus::Shown && skin.picture.Empty()) __builtin_trap();
    tobu::FacePreview face = tobu::MakeFacePreviewBytes(bytes);
    if (face.size.width > 100 || face.size.height > 100) __builtin_trap();

    // The bitmap decoder on its own.
    tobu::Bitmap32 bmp;
    tobu::DecodeBmp(bytes, bmp);
    return 0;
}
