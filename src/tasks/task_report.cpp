#include "tasks/task_report.h"

#include <cstdio>
#include <set>
#include <tuple>
#include <vector>

#include "base/datetime.h"

namespace tobu {

namespace {
constexpr int64_t kDay = 86400;

bool Digits(std::string_view s, size_t at, size_t n, int& v) {
    v = 0;
    for (size_t i = at; i < at + n; ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        v = v * 10 + (s[i] - '0');
    }
    return true;
}

std::string Field(int v, int width, bool any) {
    if (any) return std::string(static_cast<size_t>(width), '*');
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*d", width, v);
    return buf;
}
} // namespace

std::optional<int64_t> ParseTaskTime(std::string_view s) {
    if (s.size() != 19 || s[4] != '-' || s[7] != '-' || (s[10] != ' ' && s[10] != 'T') ||
        s[13] != ':' || s[16] != ':')
        return std::nullopt;
    int y, mo, d, h, mi, se;
    if (!Digits(s, 0, 4, y) || !Digits(s, 5, 2, mo) || !Digits(s, 8, 2, d) ||
        !Digits(s, 11, 2, h) || !Digits(s, 14, 2, mi) || !Digits(s, 17, 2, se))
        return std::nullopt;
    TDateTime date;
    if (!TryEncodeDate(y, mo, d, date) || h > 23 || mi > 59 || se > 59) return std::nullopt;
    return static_cast<int64_t>(date) * kDay + h * 3600 + mi * 60 + se;
}

std::string TaskTimeText(int64_t second) {
    DateParts d = DecodeDate(static_cast<TDateTime>(second / kDay));
    int64_t r = second % kDay;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day,
                  static_cast<int>(r / 3600), static_cast<int>(r / 60 % 60),
                  static_cast<int>(r % 60));
    return buf;
}

std::string ActLabel(int kind) {
    if (kind == 0) return "播放";
    if (kind == 1) return "消息";
    if (kind == 2) return "执行";
    return "类型" + std::to_string(kind);
}

std::string JsonString(std::string_view s) {
    std::string out = "\"";
    for (char c : s) {
        auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", u);
            out += buf;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string ActsJson(const TTaskRec& task) {
    std::string out = "[";
    for (size_t i = 0; i < task.Acts.size(); ++i) {
        if (i) out += ",";
        out += "{\"kind\":" + std::to_string(task.Acts[i].Kind) +
               ",\"text\":" + JsonString(task.Acts[i].Text) + "}";
    }
    return out + "]";
}

std::string ListText(const TaskTable& table) {
    std::string out;
    for (size_t i = 0; i < table.size(); ++i) {
        const TTaskRec& t = table[i];
        out += std::to_string(i + 1) + "\t" + (t.Enabled ? "启用" : "停止") + "\t" +
               Field(t.Year, 4, t.Year == -1) + "-" + Field(t.Month, 2, t.Month == -1) + "-" +
               Field(t.Day, 2, t.Day == -1) + " " + Field(t.Hour, 2, t.Hour == -1) + ":" +
               Field(t.Minute, 2, t.Minute == -1) + ":" + Field(t.Second, 2, t.Second == -1) + "\n";
        for (const TActRec& a : t.Acts) out += "\t" + ActLabel(a.Kind) + "\t" + a.Text + "\n";
    }
    return out;
}

std::string ListJson(const TaskTable& table) {
    std::string out;
    for (size_t i = 0; i < table.size(); ++i) {
        const TTaskRec& t = table[i];
        out += "{\"index\":" + std::to_string(i + 1) +
               ",\"enabled\":" + (t.Enabled ? "true" : "false") +
               ",\"year\":" + std::to_string(t.Year) + ",\"month\":" + std::to_string(t.Month) +
               ",\"day\":" + std::to_string(t.Day) + ",\"hour\":" + std::to_string(t.Hour) +
               ",\"minute\":" + std::to_string(t.Minute) +
               ",\"second\":" + std::to_string(t.Second) + ",\"acts\":" + ActsJson(t) + "}\n";
    }
    return out;
}

void ForEachDue(const TaskTable& table, int64_t from, int64_t to,
                const std::function<void(int64_t, int)>& due) {
    if (to < from) return;
    auto fits = [](int field, int value) { return field == -1 || field == value; };
    auto values = [](int field, int count) {
        std::vector<int> v;
        if (field == -1)
            for (int k = 0; k < count; ++k) v.push_back(k);
        else if (field >= 0 && field < count)
            v.push_back(field);
        return v;
    };
    std::vector<int> first;
    for (int64_t day = from / kDay; day <= to / kDay; ++day) {
        DateParts d = DecodeDate(static_cast<TDateTime>(day));
        // Most days nothing can run: no task with a time field fits the date.
        bool any = false;
        for (size_t i = 0; i < table.size() && !any; ++i) {
            const TTaskRec& t = table[i];
            any = t.Enabled && (t.Hour != -1 || t.Minute != -1 || t.Second != -1) &&
                  fits(t.Year, d.year) && fits(t.Month, d.month) && fits(t.Day, d.day);
        }
        if (!any) continue;
        // Only the seconds of this day that lie in [from, to] are filled.
        const int lo = day == from / kDay ? static_cast<int>(from % kDay) : 0;
        const int hi = day == to / kDay ? static_cast<int>(to % kDay) : static_cast<int>(kDay - 1);
        const int span = hi - lo + 1;
        first.assign(static_cast<size_t>(span), -1);
        int filled = 0;
        // A later task with the same time fields never wins a second; it is passed over.
        std::set<std::tuple<int, int, int>> seen;
        for (size_t i = 0; i < table.size() && filled < span; ++i) {
            const TTaskRec& t = table[i];
            if (!t.Enabled || (t.Hour == -1 && t.Minute == -1 && t.Second == -1)) continue;
            if (!fits(t.Year, d.year) || !fits(t.Month, d.month) || !fits(t.Day, d.day)) continue;
            if (!seen.insert({t.Hour, t.Minute, t.Second}).second) continue;
            for (int h : values(t.Hour, 24)) {
                if (h * 3600 + 3599 < lo || h * 3600 > hi) continue;
                for (int m : values(t.Minute, 60)) {
                    const int minute = h * 3600 + m * 60;
                    if (minute + 59 < lo || minute > hi) continue;
                    for (int s : values(t.Second, 60)) {
                        if (minute + s < lo || minute + s > hi) continue;
                        int& slot = first[static_cast<size_t>(minute + s - lo)];
                        if (slot == -1) {
                            slot = static_cast<int>(i);
                            ++filled;
                        }
                    }
                }
            }
        }
        for (int k = 0; k < span; ++k)
            if (first[static_cast<size_t>(k)] >= 0)
                due(day * kDay + lo + k, first[static_cast<size_t>(k)]);
    }
}

std::string DueLine(const TaskTable& table, int64_t second, int index, bool json) {
    const TTaskRec& t = table[static_cast<size_t>(index)];
    if (json)
        return "{\"time\":\"" + TaskTimeText(second) + "\",\"task\":" + std::to_string(index + 1) +
               ",\"acts\":" + ActsJson(t) + "}\n";
    std::string out = TaskTimeText(second) + "\t" + std::to_string(index + 1);
    for (const TActRec& a : t.Acts) out += "\t" + ActLabel(a.Kind) + " (" + a.Text + ")";
    return out + "\n";
}

} // namespace tobu
