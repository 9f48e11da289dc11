#include "faces/qt/aa_glyphs.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <algorithm>

namespace tobu {

QFont TQtGlyphSource::ToQFont(const TAACanvasFont& desc) {
    QFont f(QString::fromStdString(desc.name));
    f.setPixelSize(std::max(std::abs(desc.height), 1));
    f.setBold(desc.bold);
    f.setItalic(desc.italic);
    f.setUnderline(desc.underline);
    f.setStrikeOut(desc.strikeOut);
    // The engine makes its own anti-aliasing by sampling at 2-4 times the size; the raw
    // coverage is the crisp, unsmoothed glyph (embedded bitmaps where the font has them).
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

TAACanvasFont TQtGlyphSource::FromQFont(const QFont& font, TColor color) {
    TAACanvasFont desc;
    desc.name = font.family().toStdString();
    desc.height = font.pixelSize() > 0 ? font.pixelSize() : QFontMetrics(font).height();
    desc.color = color;
    desc.bold = font.bold();
    desc.italic = font.italic();
    desc.underline = font.underline();
    desc.strikeOut = font.strikeOut();
    return desc;
}

const QFont& TQtGlyphSource::FontFor(const TAACanvasFont& desc) {
    // The colour does not change the glyphs; compare everything else.
    TAACanvasFont key = desc;
    key.color = 0;
    if (!cachedKey_ || !(*cachedKey_ == key)) {
        cachedFont_ = ToQFont(key);
        cachedKey_ = key;
    }
    return cachedFont_;
}

TSize TQtGlyphSource::TextExtent(const TAACanvasFont& font, std::string_view text) {
    const QFontMetrics fm(FontFor(font));
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    return {fm.horizontalAdvance(s), fm.ascent() + fm.descent()};
}

Bitmap8 TQtGlyphSource::Render(const TAACanvasFont& font, std::string_view text, int angle,
                               int width, int height) {
    Bitmap8 out(width, height);
    if (out.width == 0 || out.height == 0) return out;
    QImage img(out.width, out.height, QImage::Format_RGB32);
    img.fill(Qt::black);
    {
        const QFont& f = FontFor(font);
        const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        QPainter p(&img);
        p.setFont(f);
        p.setPen(Qt::white);
        // The underline is drawn here, inside the text box: small fonts would put it below
        // their descent, where the mask ends.
        QFont plain = f;
        plain.setUnderline(false);
        p.setFont(plain);
        const QFontMetrics fm(f);
        const int tw = fm.horizontalAdvance(s), th = fm.ascent() + fm.descent();
        int left = 0, top = 0;
        if (angle % 360 != 0) {
            // Turned about the picture's centre; counter-clockwise on screen.
            p.translate(out.width / 2.0, out.height / 2.0);
            p.rotate(-angle);
            left = -tw / 2;
            top = -th / 2;
        }
        p.drawText(left, top + fm.ascent(), s);
        if (font.underline) {
            const int thick = std::max(fm.lineWidth(), 1);
            const int y = std::min(fm.ascent() + fm.underlinePos(), th - thick);
            p.fillRect(left, top + y, tw, thick, Qt::white);
        }
    }
    for (int y = 0; y < out.height; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < out.width; ++x) {
            const QRgb c = row[x];
            out.At(x, y) = static_cast<std::uint8_t>(std::max({qRed(c), qGreen(c), qBlue(c)}));
        }
    }
    return out;
}

} // namespace tobu
