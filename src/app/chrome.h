// Window chrome pictures: the dialog frame painted from the nine pieces of a frame sprite, the
// caption and close-button places, the rounded window shape, and the drop-shadow picture.
// All of it works on plain pixel buffers so the windows only hand the results to the screen.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "base/bitmap.h"

namespace tobu {

// Copies the source rectangle onto the destination rectangle, scaling by pixel replication
// (each target pixel takes the source pixel at left + x × sw / dw). Parts outside either
// bitmap are skipped.
void StretchCopy(const Bitmap32& src, const TRect& from, Bitmap32& dst, const TRect& to);

// The frame of a W × H dialog painted from the frame sprite (FW × FH; FW ≥ 81, FH ≥ 40 are
// assumed). Magenta outside the one-pixel margin. The caption middle, the body, the side
// edges and the bottom edge first go through intermediate bitmaps of 80 × 28, (FW − 20) × 12,
// 10 × 12 and (FW − 20) × 10 and are then stretched to their places.
Bitmap32 PaintFrame(const Bitmap32& frame, int w, int h);

// Where the pieces go in a W × H frame.
struct FramePlaces {
    TRect caption_left, caption_right, caption_middle;
    TRect bottom_left, bottom_right, left_edge, right_edge, bottom_edge, body;
};
FramePlaces FrameLayout(int fw, int fh, int w, int h);

constexpr int kCaptionLeft = 10;        // caption text x
constexpr int kCaptionStripHeight = 28; // the drag strip along the top
// Caption text top for a measuring font `text_height` pixels high: (27 − h) div 2 + 2.
constexpr int CaptionTop(int text_height) {
    return (27 - text_height) / 2 + 2;
}
// The close button's top-left corner in a form `form_width` wide.
constexpr TPoint CloseButtonPos(int form_width, int button_width) {
    return {form_width - button_width - 10, 1};
}

// The window shape of a framed dialog: the rounded-rectangle region with bounds (1, 1, W, H)
// and a 13 × 13 corner ellipse. As with the system's regions of this kind the right and bottom
// bound are not part of it, so it covers x 1..W − 2 and y 1..H − 2: exactly the painted frame
// inside its one-pixel magenta margin. 1 inside, 0 outside.
Bitmap8 RoundRectMask(int w, int h);

// --- Drop shadow -------------------------------------------------------------------------------

constexpr int kShadowHalo = 16;

struct ShadowForm {
    int width = 0, height = 0;       // the form's window size
    const Bitmap8* region = nullptr; // its window shape (width × height) when not rectangular
    std::optional<TColor> transparent_color; // when the form uses a colour key
    const Bitmap32* client = nullptr;        // the form's client picture (for the colour key)
    TPoint client_origin;                    // client area inside the window
    bool alpha_blend = false;
    std::uint8_t alpha = 255;
};

struct ShadowPicture {
    Bitmap32 picture;                  // premultiplied 0xAARRGGBB, (W + 32) × (H + 32)
    std::uint8_t constant_alpha = 255; // the form's alpha when it blends, else 255
};

// 256 × 256 products i × j div 255, built once.
const std::array<std::array<std::uint8_t, 256>, 256>& ShadowProductTable();

// One in-place blur pass of distance a: rows top to bottom, pixels left to right, each colour
// byte becomes the sum of the four pixels at (x ± a, y ± a) (clamped to the picture) shifted
// right by 2. The alpha byte is left alone.
void ShadowBlurPass(Bitmap32& pic, int a);
// Alpha = blue; each colour = shadow colour component × alpha div 255.
void ShadowCompose(Bitmap32& pic, TColor color);
// The whole picture: shape, colour-key mask, three blur passes (1, 2, 3), cut-out, composition.
ShadowPicture DrawShadowPicture(const ShadowForm& form, TColor color = kClBlack);

// The shadow window's top-left corner for a form at (left, top).
constexpr TPoint ShadowPosition(int form_left, int form_top, int offset = 0) {
    return {form_left + offset - kShadowHalo, form_top + offset - kShadowHalo};
}

// When the shadow picture must be redrawn and where the shadow window goes.
class ShadowTracker {
public:
    bool Visible() const { return visible_; }
    // True when the stored state changed (the form must then re-send its position).
    bool SetVisible(bool v);
    void MarkDirty() { dirty_ = true; }
    void Attached(std::optional<TColor> key);

    // Redraw step 1: false when the current picture still fits the form.
    bool NeedsRedraw(int form_w, int form_h, std::optional<TColor> key);

    struct Placement {
        bool redraw = false;
        bool show = false;
        TPoint pos;
        int width = 0, height = 0;
    };
    // The form moved or changed size or state. `normal` = neither minimised nor maximised.
    Placement PositionChanged(int left, int top, int w, int h, bool normal, bool maximised,
                              std::optional<TColor> key, int offset = 0);

private:
    bool visible_ = false;
    bool dirty_ = true;
    std::optional<TColor> last_key_;
    int pic_w_ = 0, pic_h_ = 0;
};

// FadeOutForm's alpha steps from `alpha`: lower by 30 while above 30.
std::array<int, 9> FadeSteps(int alpha, int* count);

} // namespace tobu
