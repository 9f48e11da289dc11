#include "calendar/calendar_hint.h"

#include <algorithm>

#include "base/text.h"

namespace tobu {

HintLayout MeasureHint(std::string_view text, const TextMeasure& measure, const FontSpec& font) {
    HintLayout h;
    const bool labelled = text.find('=') != std::string_view::npos;
    std::vector<std::string_view> lines;
    size_t i = 0;
    while (i < text.size()) {
        size_t e = i;
        while (e < text.size() && text[e] != '\r' && text[e] != '\n') ++e;
        lines.push_back(text.substr(i, e - i));
        while (e < text.size() && (text[e] == '\r' || text[e] == '\n')) ++e;
        i = e;
    }
    for (std::string_view line : lines) {
        h.width = std::max(h.width, measure(font, line).cx + 10);
        if (!labelled) {
            h.values.emplace_back(line);
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            h.labels.emplace_back();
            h.values.emplace_back(line);
            continue;
        }
        std::string label = Trim(line.substr(0, eq)) + ":";
        h.labelWidth = std::max(h.labelWidth, measure(font, label).cx);
        h.labels.push_back(std::move(label));
        h.values.emplace_back(line.substr(eq + 1));
    }
    h.height = lines.empty() ? 0 : measure(font, text).cy * static_cast<int>(lines.size()) + 10;
    if (lines.empty()) h.width = 0;
    return h;
}

HintPoint PlaceHint(int pointerX, int pointerY, int width, int height, const TRect& screen) {
    HintPoint p{pointerX + 16, pointerY + 16};
    if (p.x + width > screen.right) p.x = screen.right - width;
    if (p.y + height > screen.bottom) p.y = screen.bottom - height;
    return p;
}

} // namespace tobu
