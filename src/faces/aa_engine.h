// The text-effects engine: draws one line of text onto a canvas through a coverage mask, with
// anti-aliasing, a drop shadow, blur, outline, spray, mirrors, rotation and a colour, gradient,
// texture or noise fill. The raw glyph coverage comes from a TAAGlyphSource (the Qt side
// renders it); everything after that works on plain byte buffers here.
#pragma once

#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/bitmap.h"
#include "faces/aa_effect.h"

namespace tobu {

class EInvalidLine : public std::runtime_error {
public:
    EInvalidLine() : std::runtime_error("Invalid line!") {}
};

class EInvalidForeBmp : public std::runtime_error {
public:
    EInvalidForeBmp() : std::runtime_error("Invalid foreground bitmap!") {}
};

// Mask quality and its sampling factor.
enum class TAAQuality { aqHigh, aqNormal, aqLow, aqNone };
int QualityFactor(TAAQuality q); // aqHigh 4, aqNormal 3, aqLow 2, aqNone 1

struct TSize {
    int cx = 0, cy = 0;
    bool operator==(const TSize&) const = default;
};

// A font as the canvas holds it: face, character height in pixels, colour and style.
struct TAACanvasFont {
    std::string name = "宋体";
    int height = 12;
    TColor color = kClBlack;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    bool operator==(const TAACanvasFont&) const = default;
};

enum class TBrushStyle { bsSolid, bsClear };

// What the engine draws on: the target pixels plus the canvas font and brush.
struct TAACanvas {
    Bitmap32* bitmap = nullptr;
    TAACanvasFont font;
    TColor brushColor = kClWhite;
    TBrushStyle brushStyle = TBrushStyle::bsSolid;
};

// The platform's text output. Both calls take the font at the (already scaled) height.
class TAAGlyphSource {
public:
    virtual ~TAAGlyphSource() = default;
    // Advance width and line height (ascent + descent) of the text.
    virtual TSize TextExtent(const TAACanvasFont& font, std::string_view text) = 0;
    // The text white on black as 8-bit coverage in a picture of width × height. Unrotated, the
    // text's top-left corner lies at (0, 0); with a non-zero angle the text is turned that many
    // degrees counter-clockwise about the centre of the picture.
    virtual Bitmap8 Render(const TAACanvasFont& font, std::string_view text, int angle, int width,
                           int height) = 0;
};

// Coverage of one text, one byte per pixel (0 no ink, 255 full ink). Rows are stored bottom-up,
// each rounded up to a multiple of 4 bytes; ScanLine counts rows from the top.
class TAAMask {
public:
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Stride() const { return stride_; }
    TAAQuality Quality() const { return quality_; }
    void SetQuality(TAAQuality q) { quality_ = q; }

    void SetSize(int width, int height); // cleared to 0
    std::uint8_t* ScanLine(int row);     // throws EInvalidLine outside 0..Height-1
    const std::uint8_t* ScanLine(int row) const;
    std::uint8_t At(int x, int y) const { return ScanLine(y)[x]; }
    void Set(int x, int y, std::uint8_t v) { ScanLine(y)[x] = v; }
    const std::vector<std::uint8_t>& Data() const { return data_; }

    // Reduces a raw coverage picture sampled at the quality's factor to width × height:
    // factor 1 copies, 2 averages 2 × 2 blocks (sum >> 2), 3 sums nine samples with the
    // top-left and bottom-right ones counting half (sum >> 3), 4 averages 4 × 4 blocks
    // (sum >> 4). Samples outside the raw picture count as 0.
    void Reduce(const Bitmap8& raw, int width, int height);

private:
    int width_ = 0, height_ = 0, stride_ = 0;
    TAAQuality quality_ = TAAQuality::aqNormal;
    std::vector<std::uint8_t> data_;
};

// Mask operations, in the order Draw applies them.
void AAOutline(TAAMask& mask);
void AASpray(TAAMask& mask, int range, std::mt19937& rng);
void AAHorzMirror(TAAMask& mask);
void AAVertMirror(TAAMask& mask);
// 5 × 5 average with edge clamping, weighted by strength 0..100.
void AABlur(TAAMask& mask, int strength);

// Foregrounds of the mask's size (opaque 0xFFRRGGBB pixels).
Bitmap32 AAGradientForeground(int width, int height, TGradualStyle style, TColor start, TColor end);
Bitmap32 AATextureForeground(int width, int height, const Bitmap32& picture, TTextureMode mode,
                             TColor fill);
// Adds r − n / 2 (r random in 0..n−1) to every colour byte, clamped to 0..255.
void AAAddNoise(Bitmap32& bmp, int n, std::mt19937& rng);

// The two work bitmaps of a blend: the foreground and the blend area.
class TAABlend {
public:
    Bitmap32& Foreground() { return foreground_; }
    // Blends colour c through the mask placed at (x, y) at alpha 0..100. The blend area is taken
    // from the canvas under a clear brush, filled with the brush colour under a solid one.
    void BlendColor(TAACanvas& canvas, const TAAMask& mask, int x, int y, TColor c, int alpha);
    // The same with the foreground's pixels in place of the colour; the foreground must have
    // exactly the mask's size (EInvalidForeBmp otherwise).
    void BlendForeground(TAACanvas& canvas, const TAAMask& mask, int x, int y, int alpha);

private:
    template <typename ColorAt>
    void Blend(TAACanvas& canvas, const TAAMask& mask, int x, int y, int alpha, ColorAt colorAt);
    Bitmap32 foreground_;
};

// Binds a canvas to one mask and one blend. Plain text: colour fill, no effect.
class TAAFont {
public:
    explicit TAAFont(TAAGlyphSource* glyphs) : glyphs_(glyphs) {}
    virtual ~TAAFont() = default;

    TAACanvas* Canvas() const { return canvas_; }
    void SetCanvas(TAACanvas* canvas) { canvas_ = canvas; }
    TAAGlyphSource* Glyphs() const { return glyphs_; }
    TAAQuality Quality() const { return mask_.Quality(); }
    void SetQuality(TAAQuality q) { mask_.SetQuality(q); }

    virtual TSize Measure(std::string_view text);
    int TextWidth(std::string_view text) { return Measure(text).cx; }
    int TextHeight(std::string_view text) { return Measure(text).cy; }
    virtual void Draw(int x, int y, std::string_view text);

    const TAAMask& Mask() const { return mask_; }

protected:
    // The size of the text itself at the canvas font: factor scaling, italic widening, angle.
    TSize TextSize(std::string_view text, int angle);
    // False (and an empty mask) when the text has no ink area or is too large to sample.
    bool RenderMask(std::string_view text, int angle);
    static constexpr long long kMaxRawSide = 16384;
    static constexpr long long kMaxRawPixels = 32ll * 1024 * 1024;

    TAAGlyphSource* glyphs_;
    TAACanvas* canvas_ = nullptr;
    TAAMask mask_;
    TAABlend blend_;
};

class TAAFontEx : public TAAFont {
public:
    explicit TAAFontEx(TAAGlyphSource* glyphs) : TAAFont(glyphs) {}

    TAAEffect& Effect() { return effect_; }
    const TAAEffect& Effect() const { return effect_; }
    void SetRandomSeed(unsigned seed) { rng_.seed(seed); }

    TSize Measure(std::string_view text) override;
    void Draw(int x, int y, std::string_view text) override;

private:
    TAAEffect effect_;
    std::mt19937 rng_{0x5EED};
};

} // namespace tobu
