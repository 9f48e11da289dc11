// Raw glyph coverage for the text-effects engine from Qt's text rendering: the text is drawn
// white on black into an 8-bit picture at the (already scaled) font height.
#pragma once

#include <QFont>
#include <optional>

#include "faces/aa_engine.h"

namespace tobu {

class TQtGlyphSource : public TAAGlyphSource {
public:
    TSize TextExtent(const TAACanvasFont& font, std::string_view text) override;
    Bitmap8 Render(const TAACanvasFont& font, std::string_view text, int angle, int width,
                   int height) override;

    static QFont ToQFont(const TAACanvasFont& desc);
    static TAACanvasFont FromQFont(const QFont& font, TColor color);

private:
    const QFont& FontFor(const TAACanvasFont& desc);
    std::optional<TAACanvasFont> cachedKey_;
    QFont cachedFont_;
};

} // namespace tobu
