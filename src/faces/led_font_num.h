// The seven-segment LED display: its properties with their setter rules, the segment geometry
// of one character cell and the drawing of a whole text into a Bitmap32. The Qt control
// TLEDFontNum (faces/qt/led_font_num_widget.h) owns one of these and only forwards to it.
#pragma once

#include <cstddef> // base/bitmap.h uses size_t

#include "base/bitmap.h"
#include "faces/polygon_fill.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tobu {

// What a property change asks of the control that shows the display.
enum LedChange : unsigned {
    kLedNone = 0,
    kLedRepaint = 1, // repaint when convenient
    kLedDrawNow = 2, // draw at once (Text, DrawDarkColor)
    kLedResize = 4,  // the control's size changed: Width() and Height() hold the new one
};

// Segment numbers: 0 top, 1 upper right, 2 lower right, 3 bottom, 4 lower left, 5 upper left,
// 6 middle, 7 decimal point, 8 upper colon dot, 9 lower colon dot.
constexpr int kLedSegments = 10;
constexpr int kLedPointsPerSegment = 6;
using LedSegmentPoints = std::array<std::array<PolyPoint, kLedPointsPerSegment>, kLedSegments>;

// The segments each character lights, one decimal digit per segment, in drawing order.
// Entries 0..9 are the digits ("8" is also the set of all digit segments), 10 is "-",
// 11 the decimal point and 12 the colon.
using LedSegmentTable = std::array<std::string_view, 13>;
const LedSegmentTable& SegmentTable();

// The ten polygons of the cell whose top-left corner is (x, y).
LedSegmentPoints ComputeSegments(std::int64_t x, std::int64_t y, int wordWidth, int wordHeight,
                                 int thick);

// A text split into character cells and the marks drawn after them.
struct LedText {
    // One byte per cell: the ASCII character, or kLedOtherCell for each GBK byte of a
    // character outside ASCII (such cells light nothing).
    std::string cells;
    // For every "." and ":", the 1-based cell it follows (0: at the very start, never drawn),
    // counted in the cells above; ascending.
    std::vector<size_t> points;
    std::vector<size_t> colons;
};
constexpr char kLedOtherCell = '\x7f';
LedText ParseLedText(std::string_view utf8);

class LEDFontNum {
public:
    // Sizes the control never exceeds when it sizes itself (the largest X11 window side).
    static constexpr int kMaxControlSide = 32767;

    LEDFontNum();

    int OffSetX() const { return offSetX_; }
    int OffSetY() const { return offSetY_; }
    int WordWidth() const { return wordWidth_; }
    int WordHeight() const { return wordHeight_; }
    int Thick() const { return thick_; }
    int Space() const { return space_; }
    const std::string& Text() const { return text_; }
    TColor BGColor() const { return bgColor_; }
    TColor LightColor() const { return lightColor_; }
    TColor DarkColor() const { return darkColor_; }
    bool AutoSize() const { return autoSize_; }
    bool DrawDarkColor() const { return drawDarkColor_; }

    // Every setter returns a combination of LedChange flags; kLedNone when the value was
    // refused or unchanged.
    unsigned SetOffSetX(int value);
    unsigned SetOffSetY(int value);
    unsigned SetSpace(int value);
    unsigned SetBGColor(TColor value);
    unsigned SetLightColor(TColor value);
    unsigned SetDarkColor(TColor value);
    // Accepted when different and greater than 2 × Thick.
    unsigned SetWordWidth(int value);
    // Refused when equal or not greater than 4 × Thick − 1; an even value is stored as the
    // next odd one, so the height stays odd.
    unsigned SetWordHeight(int value);
    // Refused when equal, below 1, when 2 × value ≥ WordWidth, when 4 × value − 1 ≥ WordHeight
    // or when WordHeight − 4 × value + 1 is odd.
    unsigned SetThick(int value);
    unsigned SetText(std::string_view value);
    unsigned SetDrawDarkColor(bool value);
    // Switching it on fits the control to the text at once.
    unsigned SetAutoSize(bool value);

    // The control's size, which drawing fills. A new control is 47 × 38.
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetSize(int width, int height);

    // The width n × WordWidth + (n − 1) × Space + 2 × OffSetX for the current text of n cells,
    // and the height 2 × OffSetY + WordHeight, both kept within 1 .. kMaxControlSide.
    int FitWidth() const;
    int FitHeight() const;
    // The fitting that follows each drawing: with AutoSize on and a width other than
    // FitWidth() + 1, the control takes FitWidth() × FitHeight(). Returns kLedResize when
    // the size changed.
    unsigned ApplyAutoSize();

    // Draws the whole control: background, then every cell. `out` is resized to
    // Width() × Height() (its buffer is reused when the size already fits).
    void DrawDigits(Bitmap32& out) const;

private:
    int offSetX_ = 4;
    int offSetY_ = 4;
    int wordWidth_ = 17;
    int wordHeight_ = 29;
    int thick_ = 3;
    int space_ = 4;
    std::string text_ = "00";
    TColor bgColor_ = 4866634;   // red 74, green 66, blue 74
    TColor lightColor_ = 65527;  // red 247, green 255, blue 0
    TColor darkColor_ = 6513507; // grey 99
    bool autoSize_ = true;
    bool drawDarkColor_ = false;
    int width_ = 47;
    int height_ = 38;
    LedText parsed_; // text_ split into cells

    std::int64_t RawFitWidth() const;
};

} // namespace tobu
