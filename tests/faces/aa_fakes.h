// Test doubles of the fade-text and engine tests: a block "font" whose glyphs are solid boxes,
// manual timers and a host that records paints.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "faces/aa_engine.h"
#include "faces/aa_fadetext.h"

namespace tobu::testing {

// Every code point is a box: ASCII height / 2 wide, others height wide; the line is height + 2
// high. Glyph boxes are full ink with a one-pixel clear margin; an underlined font also inks the
// last row across the whole text.
class BlockGlyphs : public TAAGlyphSource {
public:
    static int CodePoints(std::string_view s, int height, int& width) {
        int n = 0;
        width = 0;
        for (size_t i = 0; i < s.size();) {
            const unsigned char c = s[i];
            const int len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
            width += c < 0x80 ? height / 2 : height;
            i += len;
            ++n;
        }
        return n;
    }
    TSize TextExtent(const TAACanvasFont& font, std::string_view text) override {
        int w = 0;
        CodePoints(text, font.height, w);
        return {w, font.height + 2};
    }
    Bitmap8 Render(const TAACanvasFont& font, std::string_view text, int angle, int width,
                   int height) override {
        rendered.push_back(font);
        renderedText.emplace_back(text);
        lastAngle = angle;
        Bitmap8 out(width, height);
        int x = 0;
        for (size_t i = 0; i < text.size();) {
            const unsigned char c = text[i];
            const int len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
            const int gw = c < 0x80 ? font.height / 2 : font.height;
            if (c != ' ')
                for (int yy = 1; yy < font.height + 1 && yy < height; ++yy)
                    for (int xx = x + 1; xx < x + gw - 1 && xx < width; ++xx) out.At(xx, yy) = 255;
            x += gw;
            i += len;
        }
        if (font.underline && height > 0)
            for (int xx = 0; xx < std::min(x, width); ++xx) out.At(xx, height - 1) = 255;
        return out;
    }
    std::vector<TAACanvasFont> rendered;
    std::vector<std::string> renderedText;
    int lastAngle = 0;
};

class ManualTimer : public TUITimer {
public:
    void SetInterval(unsigned ms) override { interval = ms; }
    unsigned Interval() const override { return interval; }
    void SetEnabled(bool on) override {
        if (on && !enabled) ++starts;
        enabled = on;
    }
    bool Enabled() const override { return enabled; }
    unsigned interval = 0;
    bool enabled = false;
    int starts = 0;
};

class RecordingHost : public TFadeTextHost {
public:
    bool Updating() const override { return lock > 0; }
    bool IsLoaded() const override { return loaded; }
    TSize ClientSize() const override { return size; }
    void CopyBackground(Bitmap32& target) override {
        ++backgroundCopies;
        for (auto& p : target.pixels) p = background;
    }
    void Invalidate() override { ++invalidates; }
    void PaintNow() override {
        ++paints;
        if (core) core->PaintCanvas();
    }
    TFadeTextCore* core = nullptr;
    int lock = 0;
    bool loaded = false;
    TSize size{154, 20};
    std::uint32_t background = 0xFF102040;
    int backgroundCopies = 0;
    int invalidates = 0;
    int paints = 0;
};

} // namespace tobu::testing
