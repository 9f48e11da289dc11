#include "calendar/festival_list.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "base/text.h"

namespace tobu {
namespace {

// Built-in festivals: characters 1-4 are the key, the fifth ("*" or a blank) is not used, the
// rest is the name text. A later row with the key of an earlier one adds its names to that
// row's entry (1 October is 国庆节 as well as 国际音乐日).
const char* const kSolarTable[] = {
    "0101*新年元旦",
    "0202 世界湿地日",
    "0207 国际声援南非日",
    "0210 国际气象节",
    "0212 国际足球比赛日",
    "0214 西方情人节",
    "0301 国际海豹日",
    "0303 全国爱耳日",
    "0308 国际妇女节",
    "0312 植树节 孙中山逝世纪念日 复活节",
    "0314 国际警察日",
    "0315 国际消费者权益日",
    "0317 中国国医节 国际航海日",
    "0321 世界森林日 消除种族歧视国际日",
    "0321 世界儿歌日",
    "0322 世界水日",
    "0323 世界气象日",
    "0324 世界防治结核病日",
    "0325 全国中小学生安全教育日",
    "0330 巴勒斯坦国土日",
    "0401 愚人节 全国爱国卫生运动月(四月) 税收宣传月(四月)",
    "0407 世界卫生日",
    "0422 世界地球日",
    "0423 世界图书和版权日",
    "0424 亚非新闻工作者日",
    "0501*国际劳动节",
    "0504 中国五四青年节",
    "0505 碘缺乏病防治日",
    "0508 世界红十字日",
    "0512 国际护士节",
    "0515 国际家庭日",
    "0517 世界电信日",
    "0518 国际博物馆日",
    "0520 全国学生营养日",
    "0523 国际牛奶日",
    "0531 世界无烟日",
    "0601*国际儿童节",
    "0605 世界环境日",
    "0606 全国爱眼日",
    "0617 防治荒漠化和干旱日",
    "0623 国际奥林匹克日",
    "0625 全国土地日",
    "0626 国际反毒品日",
    "0701 香港回归纪念 中国共产党建党日 世界建筑日",
    "0702 国际体育记者日",
    "0707 七七事变 中国人民抗日战争纪念日",
    "0711 世界人口日",
    "0730 非洲妇女日",
    "0801 中国建军节",
    "0808 中国男子节(爸爸节)",
    "0815 日本正式宣布无条件投降日",
    "0903 抗日战争胜利纪念日",
    "0908 国际扫盲日 国际新闻工作者日",
    "0909 毛泽东逝世纪念日",
    "0910*教师节",
    "0914 世界清洁地球日",
    "0916 国际臭氧层保护日",
    "0917 甲午海战(1894年)",
    "0918 国耻日 九·一八事变纪念日",
    "0920 国际爱牙日",
    "0927 世界旅游日",
    "0928 孔子诞辰",
    "1001*国庆节 世界音乐日 国际老人节",
    "1001 国际音乐日",
    "1002 国际和平与民主自由斗争日",
    "1004 世界动物日",
    "1008 全国高血压日",
    "1008 世界视觉日",
    "1009 世界邮政日 万国邮联日",
    "1010 辛亥革命纪念日 世界精神卫生日",
    "1013 世界保健日 国际教师节",
    "1014 世界标准日",
    "1015 国际盲人节(白手杖节)",
    "1016 世界粮食日",
    "1017 世界消除贫困日",
    "1022 世界传统医药日",
    "1024 联合国日 世界发展信息日",
    "1031 世界勤俭日 万圣节",
    "1107 十月社会主义革命纪念日",
    "1108 中国记者日",
    "1109 全国消防安全宣传教育日",
    "1110 世界青年节",
    "1111 国际科学与和平周(本日所属的一周) 光棍节",
    "1112 孙中山诞辰纪念日",
    "1114 世界糖尿病日",
    "1117 国际大学生节 世界学生节",
    "1220 澳门回归纪念日",
    "1121 世界问候日 世界电视日",
    "1129 国际声援巴勒斯坦人民国际日",
    "1201 世界艾滋病日",
    "1203 世界残疾人日",
    "1205 国际经济和社会发展志愿人员日",
    "1208 国际儿童电视日",
    "1209 世界足球日",
    "1210 世界人权日",
    "1212 西安事变纪念日",
    "1213 南京大屠杀(1937年)纪念日！紧记血泪史！",
    "1221 国际篮球日",
    "1224 平安夜",
    "1225*圣诞节",
    "1226 毛泽东诞辰纪念日",
    "1229 国际生物多样性日",
};

const char* const kLunarTable[] = {
    "0101*春节",         "0115*元宵节 中国情人节",
    "0202 龙抬头节",     "0323 妈祖生辰",
    "0505*端午节",       "0707 七夕中国情人节",
    "0715 中元节",       "0815*中秋节",
    "0909*重阳节",       "1208 腊八节",
    "1223 灶君(祭灶)节", "1224 小年",
    "0100*除夕",
};

const char* const kWeekTable[] = {
    "0110 黑人日",
    "0150 世界麻风日",
    "0520 国际母亲节",
    "0530 全国助残日",
    "0630 父亲节",
    "0911 劳动节",
    "0932 国际和平日",
    "0940 国际聋人节 世界儿童日",
    "0950 世界海事日",
    "1011 国际住房日",
    "1013 国际减轻自然灾害日(减灾日)",
    "1144 感恩节",
};

// Case-insensitive order of the lists (ASCII letters; other bytes as they stand).
int CompareText(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char ca = static_cast<unsigned char>(a[i]);
        unsigned char cb = static_cast<unsigned char>(b[i]);
        if (ca >= 'A' && ca <= 'Z') ca = static_cast<unsigned char>(ca + 32);
        if (cb >= 'A' && cb <= 'Z') cb = static_cast<unsigned char>(cb + 32);
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

// The part of a festival entry before its first "=", or nothing when it has none.
bool EntryKey(std::string_view entry, std::string_view& key) {
    const size_t eq = entry.find('=');
    if (eq == std::string_view::npos) return false;
    key = entry.substr(0, eq);
    return true;
}

bool InDateRange(TDateTime value) {
    return value >= -693593.0 && value < 2958466.0; // years 1 .. 9999
}

std::string TwoDigits(int v) {
    if (v >= 0 && v <= 99)
        return {static_cast<char>('0' + v / 10), static_cast<char>('0' + v % 10)};
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

// Finds entries whose part before the first "=" is a given key, ignoring letter case.
class KeyMatcher {
public:
    explicit KeyMatcher(std::string_view key)
        : key_(key), plain_(key.find('=') == std::string_view::npos) {}

    bool operator()(std::string_view entry) const {
        if (!plain_) {
            std::string_view entryKey;
            return EntryKey(entry, entryKey) && CompareText(entryKey, key_) == 0;
        }
        // The usual case, asked a few hundred times per repaint of the month grid: the entry
        // starts with the key and "=" follows it.
        const size_t n = key_.size();
        if (entry.size() <= n || entry[n] != '=') return false;
        for (size_t i = 0; i < n; ++i)
            if (Lower(entry[i]) != Lower(key_[i])) return false;
        return true;
    }

private:
    static char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

    std::string_view key_;
    bool plain_;
};

// A look-up that found nothing answers empty text and -1.
bool Matched(const TFestival& f) {
    return !f.Name.empty() || f.Color != -1;
}

// The blank-separated names of `first` followed by those of `more` that `first` lacks.
std::string MergeNames(const std::string& first, const std::string& more) {
    std::vector<std::string> names;
    for (const std::string& text : {first, more})
        for (std::string& n : Split(text, ' '))
            if (!n.empty() && std::find(names.begin(), names.end(), n) == names.end())
                names.push_back(std::move(n));
    std::string r;
    for (const auto& n : names) r += (r.empty() ? "" : " ") + n;
    return r;
}

struct WeekKeys {
    std::string fromStart, fromEnd;
};

WeekKeys WeekKeysOf(TDateTime date) {
    const DateParts d = DecodeDate(date);
    const int weekday = DayOfWeek(date) - 1; // 0 = Sunday
    const int n = (d.day - 1) / 7 + 1;
    const int r = (DaysInMonth(d.year, d.month) - d.day) / 7 + 1;
    return {WeekKey(d.month, n, weekday), WeekKey(d.month, r + 4, weekday)};
}

} // namespace

// ---- TColorStringList ----

std::vector<std::string> TColorStringList::Texts() const {
    std::vector<std::string> r;
    r.reserve(items_.size());
    for (const auto& it : items_) r.push_back(it.Text);
    return r;
}

bool TColorStringList::Add(std::string text, std::int32_t color) {
    auto pos = std::lower_bound(
        items_.begin(), items_.end(), text,
        [](const Item& item, const std::string& t) { return CompareText(item.Text, t) < 0; });
    if (pos != items_.end() && CompareText(pos->Text, text) == 0) return false;
    items_.insert(pos, Item{std::move(text), color});
    return true;
}

int TColorStringList::IndexOf(std::string_view text) const {
    auto pos = std::lower_bound(
        items_.begin(), items_.end(), text,
        [](const Item& item, std::string_view t) { return CompareText(item.Text, t) < 0; });
    if (pos == items_.end() || CompareText(pos->Text, text) != 0) return -1;
    return static_cast<int>(pos - items_.begin());
}

void TColorStringList::Delete(size_t index) {
    if (index < items_.size()) items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
}

void TColorStringList::SetTexts(const std::vector<std::string>& texts) {
    items_.clear();
    for (const auto& t : texts) Add(t, 0);
}

void TColorStringList::Assign(const TColorStringList& other) {
    if (&other == this) return;
    items_.clear();
    for (const auto& it : other.items_) Add(it.Text, it.Color);
}

// ---- TFestivalList ----

TFestivalList::TFestivalList(TLssCalendar* owner) : owner_(owner) {
    auto addTable = [this](int kind, const auto& table, std::int32_t color) {
        for (const char* row : table) {
            const std::string_view s(row);
            const std::string key(s.substr(0, 4));
            std::string name = Trim(s.substr(std::min<size_t>(5, s.size())));
            // A repeated key keeps the first row's entry and colour and gains the names it
            // does not hold yet, in table order.
            const TFestival earlier = FindFestival(kind, key);
            if (Matched(earlier)) {
                name = MergeNames(earlier.Name, name);
                AddFestival(kind, key, earlier.Color, name);
            } else {
                AddFestival(kind, key, color, name);
            }
        }
    };
    addTable(kSolarKind, kSolarTable, kSolarFestivalColor);
    addTable(kLunarKind, kLunarTable, kLunarFestivalColor);
    addTable(kWeekKind, kWeekTable, kWeekFestivalColor);
}

bool TFestivalList::AddFestival(int kind, std::string_view key, std::int32_t color,
                                std::string_view name) {
    if (kind < 0 || kind > 2 || key.empty() || name.empty()) return false;
    TColorStringList& list = festivals_[kind];
    // Remove every entry with this key (a restored list may hold more than one).
    const KeyMatcher matches(key);
    for (size_t i = list.Count(); i-- > 0;)
        if (matches(list[i].Text)) list.Delete(i);
    std::string entry(key);
    entry += '=';
    entry += Trim(name);
    list.Add(std::move(entry), color);
    return true;
}

bool TFestivalList::AddMark(int kind, std::string_view key, std::int32_t color) {
    if (kind < 0 || kind > 2 || key.empty()) return false;
    DeleteMark(kind, key);
    marks_[kind].Add(std::string(key), color);
    return true;
}

void TFestivalList::DeleteMark(int kind, std::string_view key) {
    if (kind < 0 || kind > 2) return;
    const int i = marks_[kind].IndexOf(key);
    if (i >= 0) marks_[kind].Delete(static_cast<size_t>(i));
}

TFestival TFestivalList::FindFestival(int kind, const std::string& key) const {
    // Festival lists are short (about 100 entries): scan from the start.
    const KeyMatcher matches(key);
    for (const auto& item : festivals_[kind].Items())
        if (matches(item.Text))
            return {item.Text.size() > 5 ? item.Text.substr(5) : std::string(), item.Color};
    return {};
}

std::int32_t TFestivalList::FindMark(int kind, const std::string& key) const {
    const int i = marks_[kind].IndexOf(key);
    return i < 0 ? -1 : marks_[kind][static_cast<size_t>(i)].Color;
}

TFestival TFestivalList::GetSolarFestival(TDateTime date) const {
    if (!InDateRange(date)) return {};
    return FindFestival(kSolarKind, SolarKey(date));
}

TFestival TFestivalList::GetLunarFestival(const TLunarDate& date) const {
    return FindFestival(kLunarKind, LunarKey(date.Month, date.Day));
}

TFestival TFestivalList::GetWeekFestival(TDateTime date) const {
    if (!InDateRange(date)) return {};
    const WeekKeys keys = WeekKeysOf(date);
    TFestival r = FindFestival(kWeekKind, keys.fromStart);
    TFestival fromEnd = FindFestival(kWeekKind, keys.fromEnd);
    if (!fromEnd.Name.empty() || fromEnd.Color != -1) r = std::move(fromEnd);
    return r;
}

std::int32_t TFestivalList::GetSolarMarkColor(TDateTime date) const {
    if (!InDateRange(date)) return -1;
    return FindMark(kSolarKind, SolarKey(date));
}

std::int32_t TFestivalList::GetLunarMarkColor(const TLunarDate& date) const {
    return FindMark(kLunarKind, LunarKey(date.Month, date.Day));
}

std::int32_t TFestivalList::GetWeekMarkColor(TDateTime date) const {
    if (!InDateRange(date)) return -1;
    const WeekKeys keys = WeekKeysOf(date);
    std::int32_t r = -1;
    if (marks_[kWeekKind].IndexOf(keys.fromStart) >= 0) r = FindMark(kWeekKind, keys.fromStart);
    if (marks_[kWeekKind].IndexOf(keys.fromEnd) >= 0) r = FindMark(kWeekKind, keys.fromEnd);
    return r;
}

void TFestivalList::Assign(const TFestivalList& other) {
    for (int k = 0; k < 3; ++k) {
        festivals_[k].Assign(other.festivals_[k]);
        marks_[k].Assign(other.marks_[k]);
    }
}

void TFestivalList::SetFestivalList(int index, const TColorStringList& list) {
    if (index >= 0 && index <= 2) festivals_[index].Assign(list);
}

void TFestivalList::SetMarkList(int index, const TColorStringList& list) {
    if (index >= 0 && index <= 2) marks_[index].Assign(list);
}

// ---- combined queries ----

TFestival GetFestivals(const TFestivalList& list, TDateTime date) {
    TFestival r;
    const TLunarDate l1 = SolarToLunar(date);
    const TLunarDate l2 = SolarToLunar(date + 1);
    if (l1.Month != l2.Month) {
        TFestival eve = list.GetLunarFestival(TLunarDate{l2.Year, l2.Month, 0, false});
        if (Matched(eve)) r = std::move(eve);
    }
    auto append = [&r](const TFestival& f) {
        if (!Matched(f)) return;
        r.Name = Trim(r.Name + " " + f.Name);
        if (r.Color == -1) r.Color = f.Color;
    };
    append(list.GetLunarFestival(l1));
    append(list.GetSolarFestival(date));
    append(list.GetWeekFestival(date));
    return r;
}

std::string GetFestivalText(const TFestivalList& list, TDateTime value) {
    if (!InDateRange(value)) return {};
    return GetFestivals(list, DateOf(value)).Name;
}

std::int32_t GetMarkColor(const TFestivalList& list, TDateTime date) {
    // A date without a lunar date has no lunar key and matches no lunar mark.
    const TLunarDate lunar = SolarToLunar(date);
    std::int32_t c = lunar.Day == 0 ? -1 : list.GetLunarMarkColor(lunar);
    if (c != -1) return c;
    c = list.GetSolarMarkColor(date);
    if (c != -1) return c;
    return list.GetWeekMarkColor(date);
}

namespace {

TFestivalList BuildGridFestivalList() {
    const TFestivalList builtIn;
    TFestivalList grid;
    for (int k = 0; k < 3; ++k) {
        TColorStringList black;
        const TColorStringList& source = k == kSolarKind   ? builtIn.SolarFestivals()
                                         : k == kLunarKind ? builtIn.LunarFestivals()
                                                           : builtIn.WeekFestivals();
        for (const auto& item : source.Items()) {
            const bool mothersDay = k == kWeekKind && item.Text.rfind("0520=", 0) == 0;
            black.Add(mothersDay ? std::string("0520=母亲节") : item.Text, 0);
        }
        grid.SetFestivalList(k, black);
    }
    return grid;
}

} // namespace

TFestivalList MakeGridFestivalList() {
    // Built once: every month grid and every mark look-up starts from a copy.
    static const TFestivalList grid = BuildGridFestivalList();
    return grid;
}

// ---- keys ----

std::string SolarKey(TDateTime date) {
    const DateParts d = DecodeDate(date);
    return TwoDigits(d.month) + TwoDigits(d.day);
}

std::string LunarKey(int month, int day) {
    return TwoDigits(month) + TwoDigits(day);
}

std::string WeekKey(int month, int occurrence, int weekday) {
    return TwoDigits(month) + std::to_string(occurrence) + std::to_string(weekday);
}

} // namespace tobu
