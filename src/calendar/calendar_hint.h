// The grid's hint popup (TCalendarHint) without its window: how a text is measured into
// labels and values and where the popup goes beside the pointer.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "calendar/month_grid.h"

namespace tobu {

struct HintLayout {
    std::vector<std::string>
        labels; // "公元:" …; empty for a line without "=" or an unlabelled text
    std::vector<std::string> values;
    int labelWidth = 0; // the widest label in pixels
    int width = 0, height = 0;
    bool Visible() const { return width != 0 && height != 0; }
};

// Lines split at runs of CR/LF; width = widest line + 10, height = text height × lines + 10.
// A text with "=" anywhere is labelled: each line's label is the part before its first "="
// trimmed, with ":".
HintLayout MeasureHint(std::string_view text, const TextMeasure& measure, const FontSpec& font);

struct HintPoint {
    int x = 0, y = 0;
};
// Pointer + 16 each way, pulled back so that the popup ends at the screen's right and bottom
// edges (screen given as left, top, right, bottom).
HintPoint PlaceHint(int pointerX, int pointerY, int width, int height, const TRect& screen);

} // namespace tobu
