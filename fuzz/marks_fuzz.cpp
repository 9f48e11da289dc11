// corpus: tests/calendar/corpus/marks
// Reads arbitrary bytes as Marks.rec and checks the file's promises: every non-empty line is
// kept byte for byte (a save writes exactly the lines read, each with CR LF, and reads back to
// the same lines), sorting only reorders, and the look-ups, the grid's mark entries and the
// listings of `tobu marks` never fail on what they read.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/marks.h"
#include "calendar/month_report.h"

using namespace tobu;

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

std::vector<std::string> RawLines(std::string_view bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = start;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
        if (end > start) lines.emplace_back(bytes.substr(start, end - start));
        if (end < bytes.size() && bytes[end] == '\r' && end + 1 < bytes.size() &&
            bytes[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    MarkList marks = MarkList::FromBytes(bytes);
    const std::vector<std::string> raw = RawLines(bytes);
    Check(marks.Count() == raw.size());
    std::string expected;
    for (const std::string& l : raw) expected += l + "\r\n";
    Check(marks.ToBytes() == expected);
    Check(MarkList::FromBytes(marks.ToBytes()).ToBytes() == expected);

    MarkList sorted = marks;
    sorted.Sort();
    std::vector<std::string> a, b;
    for (const MarkLine& l : marks.Lines()) a.push_back(l.bytes);
    for (const MarkLine& l : sorted.Lines()) b.push_back(l.bytes);
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    Check(a == b);

    static const TFestivalList grid = MakeGridFestivalList();
    TFestivalList list = grid;
    marks.ApplyTo(list, kDefaultMarkColor);
    const TDateTime dates[] = {EncodeDate(1900, 1, 1), EncodeDate(2024, 2, 10),
                               EncodeDate(2023, 3, 22), EncodeDate(2100, 12, 31)};
    for (TDateTime d : dates) {
        (void)GetDayMarksText(marks, d);
        (void)GetMarkColor(list, d);
    }
    (void)MarksOnJson(marks, dates[1]);
    for (const MarkLine& l : marks.Lines()) {
        (void)l.Valid();
        (void)l.Row();
        Check(marks.IndexOfName(l.LookupName()) >= 0);
        (void)SolarKeyToLunarKey(l.Key(), dates[1]);
        (void)LunarKeyToSolarKey(l.Key(), dates[1]);
    }
    (void)MarksListJson(marks);
    (void)MarksListText(marks);
    return 0;
}
