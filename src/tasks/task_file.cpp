#include "tasks/task_file.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <iconv.h>

#include "base/text.h"
#include "settings/ini_file.h"

namespace tobu {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsLead(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}
bool IsTrail(unsigned char c) {
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFE);
}

// Converts a run of well-formed units (ASCII, 0x80, lead + trail pairs) with one converter; a
// pair GBK does not assign becomes one U+FFFD.
void DecodeRun(iconv_t cd, std::string_view run, std::u32string& out) {
    char* src = const_cast<char*>(run.data());
    size_t left = run.size();
    char buf[1024];
    while (left > 0) {
        char* dst = buf;
        size_t room = sizeof buf;
        size_t r = iconv(cd, &src, &left, &dst, &room);
        for (char* p = buf; p + 4 <= dst; p += 4) {
            auto b = [&](int k) { return static_cast<char32_t>(static_cast<unsigned char>(p[k])); };
            out += b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24;
        }
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            out += kReplacement;
            size_t skip = IsLead(static_cast<unsigned char>(*src)) && left >= 2 ? 2 : 1;
            src += skip;
            left -= skip;
        }
    }
}

} // namespace

std::u32string DecodeTaskText(std::string_view gbk) {
    std::u32string out;
    out.reserve(gbk.size());
    iconv_t cd = iconv_open("UTF-32LE", "GBK");
    size_t i = 0, n = gbk.size();
    while (i < n) {
        // The longest run of well-formed units from here.
        size_t j = i;
        bool ascii = true;
        while (j < n) {
            auto c = static_cast<unsigned char>(gbk[j]);
            if (c < 0x80) {
                ++j;
            } else if (c == 0x80) {
                ascii = false;
                ++j;
            } else if (IsLead(c) && j + 1 < n && IsTrail(static_cast<unsigned char>(gbk[j + 1]))) {
                ascii = false;
                j += 2;
            } else {
                break;
            }
        }
        if (j > i) {
            if (ascii || cd == reinterpret_cast<iconv_t>(-1)) {
                for (size_t k = i; k < j; ++k) {
                    auto c = static_cast<unsigned char>(gbk[k]);
                    out += c < 0x80 ? c : kReplacement;
                }
            } else {
                DecodeRun(cd, gbk.substr(i, j - i), out);
            }
        }
        if (j < n) {
            out += kReplacement; // 0xFF, or a lead byte without its trail byte
            ++j;
        }
        i = j;
    }
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    return out;
}

std::string ToUtf8(std::u32string_view chars) {
    std::string out;
    out.reserve(chars.size());
    for (char32_t c : chars) {
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u32string FromUtf8(std::string_view s) {
    std::u32string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        bool ok = len != 0 && i + len <= s.size();
        for (size_t k = 1; ok && k < len; ++k)
            ok = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
        if (!ok) {
            out += kReplacement;
            ++i;
            continue;
        }
        char32_t v = len == 1 ? c : len == 2 ? c & 0x1F : len == 3 ? c & 0x0F : c & 0x07;
        for (size_t k = 1; k < len; ++k) v = v << 6 | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out += v;
        i += len;
    }
    return out;
}

std::vector<std::u32string> TaskFileLines(std::string_view gbk) {
    std::u32string text = DecodeTaskText(gbk);
    std::vector<std::u32string> lines;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != U'\r' && text[i] != U'\n') continue;
        if (i > start) lines.emplace_back(text, start, i - start);
        if (i < text.size() && text[i] == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n') ++i;
        start = i + 1;
    }
    return lines;
}

std::u32string CutField(std::u32string& pattern, char32_t unit) {
    size_t p = pattern.find(unit);
    if (p == std::u32string::npos) return {};
    std::u32string field = pattern.substr(0, p);
    pattern.erase(0, p + 1);
    return field;
}

std::string CutField(std::string& pattern, std::string_view unit) {
    std::u32string chars = FromUtf8(pattern);
    std::u32string u = FromUtf8(unit);
    std::u32string field = u.size() == 1 ? CutField(chars, u[0]) : std::u32string();
    pattern = ToUtf8(chars);
    return ToUtf8(field);
}

int TaskFieldValue(std::u32string_view text) {
    size_t i = 0;
    bool neg = false;
    if (i < text.size() && (text[i] == U'+' || text[i] == U'-')) neg = text[i++] == U'-';
    if (i >= text.size()) return -1;
    long long v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < U'0' || text[i] > U'9') return -1;
        v = v * 10 + (text[i] - U'0');
        if (v > 2147483648LL) return -1;
    }
    if (neg) return static_cast<int>(-v);
    if (v > INT_MAX) return -1;
    return static_cast<int>(v);
}

std::u32string ActionText(std::u32string_view line) {
    size_t open = line.find(U'(');
    if (open == std::u32string_view::npos || line.empty()) return {};
    size_t end = line.size() - 1;
    if (open + 1 >= end) return {};
    return std::u32string(line.substr(open + 1, end - open - 1));
}

std::string ActionText(std::string_view utf8) {
    return ToUtf8(ActionText(FromUtf8(utf8)));
}

namespace {
bool IsDigit(char32_t c) {
    return c >= U'0' && c <= U'9';
}

TTaskRec TaskFromLine(const std::u32string& line) {
    TTaskRec t;
    t.Enabled = line.size() >= 2 && line[1] == U'0';
    std::u32string pattern = line.size() > 2 ? line.substr(2) : std::u32string();
    int* fields[] = {&t.Year, &t.Month, &t.Day, &t.Hour, &t.Minute, &t.Second};
    const char32_t units[] = {U'年', U'月', U'日', U'时', U'分', U'秒'};
    for (int k = 0; k < 6; ++k) *fields[k] = TaskFieldValue(CutField(pattern, units[k]));
    if (t.Hour != -1 && t.Minute == -1 && t.Second == -1) t.Minute = t.Second = 0;
    if (t.Minute != -1 && t.Second == -1) t.Second = 0;
    return t;
}
} // namespace

TaskTable LoadTaskList(std::string_view gbk) {
    TaskTable table;
    for (const std::u32string& line : TaskFileLines(gbk)) {
        if (line[0] == U'*') {
            table.push_back(TaskFromLine(line));
        } else if (!table.empty() && IsDigit(line[0])) {
            table.back().Acts.push_back(
                TActRec{static_cast<int>(line[0] - U'0') - 2, ToUtf8(ActionText(line))});
        }
    }
    return table;
}

bool ReadTaskFileBytes(const std::string& path, std::string& out) {
    out.clear();
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    char buf[65536];
    size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, got);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

bool LoadTaskListFile(const std::string& path, TaskTable& table) {
    ClearTaskList(table);
    std::string bytes;
    if (!ReadTaskFileBytes(path, bytes)) return false;
    table = LoadTaskList(bytes);
    return true;
}

void ClearTaskList(TaskTable& table) {
    for (TTaskRec& t : table) t.Acts.clear();
    table.clear();
}

TaskTree LoadTree(std::string_view gbk) {
    TaskTree tree;
    for (const std::u32string& line : TaskFileLines(gbk)) {
        if (line[0] == U'*') {
            if (!tree.empty()) tree.back().expanded = tree.back().image == kImgEnabled;
            TaskNode node;
            node.text = line.size() > 2 ? ToUtf8(line.substr(2)) : std::string();
            // A state that is not a digit shows the task stopped, as the table treats it.
            node.image = line.size() >= 2 && IsDigit(line[1]) ? static_cast<int>(line[1] - U'0')
                                                              : kImgStopped;
            tree.push_back(std::move(node));
        } else if (!tree.empty() && IsDigit(line[0])) {
            tree.back().acts.push_back(
                TaskActNode{ToUtf8(line.substr(1)), static_cast<int>(line[0] - U'0')});
        }
    }
    if (!tree.empty()) tree.back().expanded = tree.back().image == kImgEnabled;
    return tree;
}

TaskTree LoadTreeFile(const std::string& path) {
    std::string bytes;
    if (!ReadTaskFileBytes(path, bytes)) return {};
    return LoadTree(bytes);
}

std::string SaveTree(const TaskTree& tree) {
    std::string text;
    for (const TaskNode& task : tree) {
        text += "*" + std::to_string(task.image) + task.text + "\r\n";
        for (const TaskActNode& act : task.acts)
            text += std::to_string(act.image) + act.text + "\r\n";
    }
    return Utf8ToGbk(text);
}

bool SaveTreeFile(const std::string& path, const TaskTree& tree) {
    return WriteFileAtomically(path, SaveTree(tree));
}

std::string PatternText(int year, int month, int day, int hour, int minute, int second) {
    std::string out;
    auto add = [&](int v, int width, const char* unit) {
        if (v < 0) return;
        char buf[16];
        std::snprintf(buf, sizeof buf, "%0*d", width, v);
        out += buf;
        out += unit;
    };
    add(year, 4, "年");
    add(month, 2, "月");
    add(day, 2, "日");
    add(hour, 2, "时");
    add(minute, 2, "分");
    add(second, 2, "秒");
    return out;
}

} // namespace tobu
