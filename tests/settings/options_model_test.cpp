// The options dialog without its window: loading, enabling, labels, previews, the package lists
// and what closing saves and hands to the bar, in order.
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

#include "settings/config_rules.h"
#include "settings/options_model.h"
#include "settings/skin_test_util.h"
#include "support/home_guard.h"

namespace {

using namespace tobu;
using namespace tobu::testing_skin;

static const bool kHomeGuard = tobu::testing::InstallHomeGuard();

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Records every call of the close and the live apply in one log.
struct Recorder : LiveTarget, AutostartStore {
    std::vector<std::string> log;
    std::string mods, letter; // the registered hot key ("" when none)
    bool registered = false;
    std::string skin = "A.sk", face = "A.cl";

    void SetMessageOptions(const MessageOptions& m) override {
        log.push_back("msg " + std::to_string(m.auto_sec) + " " + std::to_string(m.tran) + " " +
                      std::to_string(m.calendar_lx) + " " + std::to_string(m.war_step_interval_ms));
    }
    void SetChimeOptions(const ClockSettings::Clock& c) override {
        log.push_back("chime " + std::to_string(c.alarm) + std::to_string(c.half_alarm) + " " +
                      std::to_string(c.alarm_type));
    }
    void SetTimeSync(const ClockSettings::Time& t) override {
        log.push_back("sync " + std::to_string(t.auto_check) + " " + std::to_string(t.step_hour));
    }
    bool HotKeyRegisteredAs(const std::string& m, const std::string& l) const override {
        return registered && m == mods && l == letter;
    }
    void RegisterHotKey(const std::string& m, const std::string& l) override {
        log.push_back("register " + m + "/" + l);
        registered = true, mods = m, letter = l;
    }
    void UnregisterHotKey() override {
        log.push_back("unregister");
        registered = false;
    }
    void NotifySettingsSaved() override { log.push_back("notify"); }
    void SetTimeDisplay(bool led, const TimeFont& f) override {
        log.push_back(std::string(led ? "led " : "plain ") + f.name);
    }
    void SetAlpha(int a) override { log.push_back("alpha " + std::to_string(a)); }
    void SetOnTop(bool top) override { log.push_back("ontop " + std::to_string(top)); }
    std::string SkinFileInUse() const override { return skin; }
    void ApplySkin() override { log.push_back("skin"); }
    std::string ClockFileInUse() const override { return face; }
    void ApplyClockFace(const std::string& n) override { log.push_back("face " + n); }
    void SetStartOptions(bool hide, int def_win) override {
        log.push_back("start " + std::to_string(hide) + " " + std::to_string(def_win));
    }
    bool on = false;
    bool IsOn() const override { return on; }
    bool Enable(std::string*) override {
        log.push_back("autostart on");
        return on = true;
    }
    bool Disable(std::string*) override {
        log.push_back("autostart off");
        on = false;
        return true;
    }
};

TEST(OptionsModel, LoadingFollowsTheFileRulesAndTheBarsLiveState) {
    IniFile ini = IniFile::FromBytes("[MSG]\r\nAutoSec=0x1F\r\nCalendarLX=9\r\nTran=7\r\n"
                                     "[BAR]\r\nTr=60\r\nDefWin=4\r\nOnStartHide=$1F\r\n"
                                     "[CLOCK]\r\nHotKey=1\r\nHotKey1=alt + ctrl\r\nHotKey2=Q\r\n"
                                     "AlarmType=-1\r\n[TIME]\r\nStepHour=0\r\n"
                                     "[LED]\r\nLEDFont=0\r\nFontName=Arial\r\n");
    BarFacts bar;
    bar.alpha = 300;
    bar.led_visible = true;
    bar.font.name = "宋体";
    OptionsValues v = LoadOptionsValues(ini, bar);
    EXPECT_EQ(v.auto_sec, 31);
    EXPECT_EQ(v.calendar_lx, 1); // outside the list: the default item, saved as its index
    EXPECT_EQ(v.tran, 55);
    EXPECT_EQ(v.def_win, 1);
    EXPECT_EQ(v.alarm_type, 0);
    EXPECT_TRUE(v.on_start_hide);
    EXPECT_EQ(v.hot_key1, "");
    EXPECT_EQ(v.hot_key2, "Q");
    EXPECT_EQ(v.step_hour, 1);
    // Transparency, LED and font come from the bar, not the file.
    EXPECT_EQ(v.tr, 255);
    EXPECT_TRUE(v.led_font);
    EXPECT_EQ(v.font.name, "宋体");

    // Every value that comes from the file is what `tobu config get` prints for it.
    LiveSettings live = ReadLiveSettings(ini);
    EXPECT_EQ(live.values.tr, 60);
    EXPECT_FALSE(live.values.led_font);
    EXPECT_EQ(live.values.font.name, "Arial");
    IniFile written = IniFile::FromBytes("");
    ASSERT_TRUE(WriteOptionsValues(written, live.values));
    for (const ConfigKey& k : ConfigKeys()) {
        if (k.kind == ConfigKind::Package) continue;
        EXPECT_EQ(ConfigGet(written, k).value, ConfigGet(ini, k).value) << k.Name();
    }
}

TEST(OptionsModel, DependentEnablingAndLabels) {
    OptionsValues v;
    v.alarm = v.half_alarm = false;
    v.hot_key = false;
    v.msg_auto = false;
    v.calendar_lx = 1;
    v.auto_check = false;
    v.led_font = true;
    EXPECT_EQ(EnablingOf(v), OptionsEnabling{});
    v.half_alarm = true;
    v.hot_key = true;
    v.msg_auto = true;
    v.calendar_lx = 2;
    v.auto_check = true;
    v.led_font = false;
    EXPECT_EQ(EnablingOf(v), (OptionsEnabling{true, true, true, true, true, true}));

    EXPECT_EQ(TransparencyLabel(255), "0%");
    EXPECT_EQ(TransparencyLabel(55), "80%");
    EXPECT_EQ(TransparencyLabel(155), "40%");
    EXPECT_EQ(TransparencyLabel(200), "22%");

    TempDir dir;
    EXPECT_EQ(LastSyncLabel(dir.path() + "TimeCheck.lst"), "最后校正于:");
    dir.Write("TimeCheck.lst", "");
    EXPECT_EQ(LastSyncLabel(dir.path() + "TimeCheck.lst"), "最后校正于:");
    dir.Write("TimeCheck.lst", "2024/2/10 13:59:52\r\n2024/2/9 8:00:00\r\n");
    EXPECT_EQ(LastSyncLabel(dir.path() + "TimeCheck.lst"), "最后校正于: 2024/2/10 13:59:52");
}

TEST(OptionsModel, FacePreviewSizes) {
    EXPECT_EQ(FacePreviewSize(200, 100), (PreviewSize{100, 50}));
    EXPECT_EQ(FacePreviewSize(80, 120), (PreviewSize{67, 100}));
    EXPECT_EQ(FacePreviewSize(90, 60), (PreviewSize{90, 60}));
    EXPECT_EQ(FacePreviewSize(100, 100), (PreviewSize{100, 100}));
    EXPECT_EQ(FacePreviewSize(300, 300), (PreviewSize{100, 100}));
    EXPECT_EQ(FacePreviewSize(-5, 300), (PreviewSize{0, 100}));
    EXPECT_EQ(FacePreviewSize(-5, -5), (PreviewSize{0, 0}));
    EXPECT_EQ(FacePreviewSize(2000000000, 3), (PreviewSize{100, 0}));
}

TEST(OptionsModel, PackageListsAndPreviews) {
    TempDir dir;
    Bitmap32 sheet = PositionSheet(332, 620);
    std::string ini = "[VER]\nSkinVer=1.0\n[BAR]\nLEDBorderColor=255\nLEDBkColor=65280\n"
                      "FontColor=16711680\n";
    dir.Write("b.sk", Package(ini, sheet));
    dir.Write("A.SK", Package(ini, sheet));
    dir.Write("c.sk.bak", "x");
    dir.Write("NoVer.sk", Package("[BAR]\nFontColor=1\n", sheet));
    std::string whole = Package(ini, sheet);
    dir.Write("Cut.sk", whole.substr(0, whole.size() - 100));
    std::filesystem::create_directory(dir.path() + "dir.sk");
    auto names = ListPackages(dir.path(), ".sk");
    EXPECT_EQ(names, (std::vector<std::string>{"A.SK", "b.sk", "Cut.sk", "NoVer.sk"}));
    EXPECT_EQ(SelectedPackage(names, "b.sk"), 1);
    EXPECT_EQ(SelectedPackage(names, "B.sk"), 0);
    EXPECT_EQ(SelectedPackage({}, "b.sk"), -1);

    SkinPreview p = MakeSkinPreview(dir.path() + "b.sk", EncodeDate(2024, 2, 10));
    ASSERT_EQ(p.status, PreviewStatus::Shown);
    ASSERT_EQ(p.picture.width, 332);
    ASSERT_EQ(p.picture.height, 34);
    EXPECT_EQ(p.picture.At(0, 0), PositionPixel(0, 0));      // background
    EXPECT_EQ(p.picture.At(8, 4), PositionPixel(0, 584));    // menu button
    EXPECT_EQ(p.picture.At(296, 1), PositionPixel(86, 584)); // minimise button
    EXPECT_EQ(p.picture.At(61, 4), ColorToPixel(255));       // outline
    EXPECT_EQ(p.picture.At(176, 29), ColorToPixel(255));
    EXPECT_EQ(p.picture.At(62, 5), ColorToPixel(65280));      // fill
    EXPECT_EQ(p.picture.At(177, 30), PositionPixel(177, 30)); // outside the rectangle
    EXPECT_EQ(p.date_text, "2024年02月10日 星期六");
    EXPECT_EQ(p.font_color, 16711680u);
    EXPECT_EQ(MakeSkinPreview(dir.path() + "NoVer.sk", 0).status, PreviewStatus::WrongVersion);
    EXPECT_EQ(MakeSkinPreview(dir.path() + "Cut.sk", 0).status, PreviewStatus::Unusable);
    EXPECT_EQ(MakeSkinPreview(dir.path() + "gone.sk", 0).status, PreviewStatus::Unusable);

    dir.Write("Wide.cl", Package("[VER]\nClockVer=1.0\n[Clock]\nClockWidth=200\nClockHeight=100\n",
                                 PositionSheet(200, 100)));
    dir.Write("Huge.cl", Package("[VER]\nClockVer=1.0\n[Clock]\nClockWidth=2000000000\n"
                                 "ClockHeight=2000000000\n",
                                 PositionSheet(4, 4)));
    dir.Write("Old.cl", Package("[VER]\nClockVer=2.0\n", PositionSheet(4, 4)));
    FacePreview f = MakeFacePreview(dir.path() + "Wide.cl");
    ASSERT_EQ(f.status, PreviewStatus::Shown);
    EXPECT_EQ(f.size, (PreviewSize{100, 50}));
    EXPECT_EQ(f.picture.width, 200);
    EXPECT_EQ(MakeFacePreview(dir.path() + "Huge.cl").status, PreviewStatus::Unusable);
    EXPECT_EQ(MakeFacePreview(dir.path() + "Old.cl").status, PreviewStatus::WrongVersion);
}

TEST(OptionsModel, ClosingSavesEverythingThenHandsItOutInOrder) {
    TempDir dir;
    const std::string path = dir.path() + "skin.ini";
    const std::string user = "; mine\r\n[BAR]\r\nLeft=10\r\nTr=0x10\r\n[Odd]\r\nx=\xC4\xE3\r\n\r\n";
    dir.Write("skin.ini", user);
    Recorder r;
    OptionsCloseState s;
    s.values = LoadOptionsValues(IniFile(path), BarFacts{});
    s.autostart_changed = true;
    s.autostart_checked = true;
    CloseResult res = CloseOptions(s, path, r, r);
    EXPECT_TRUE(res.saved);
    EXPECT_TRUE(res.applied);
    EXPECT_EQ(r.log, (std::vector<std::string>{"autostart on", "msg 5 200 1 300000", "chime 00 0",
                                               "sync 0 1", "unregister", "notify"}));
    // An untouched close rewrites every key of the save list; the user's lines stay.
    EXPECT_EQ(
        Slurp(path),
        "; mine\r\n[BAR]\r\nLeft=10\r\nTr=200\r\nOnTop=0\r\nOnStartHide=0\r\nDefWin=1\r\n"
        "DateLoop=0\r\n[Odd]\r\nx=\xC4\xE3\r\n\r\n[LED]\r\nLEDFont=1\r\n[CLOCK]\r\nAlarm=0\r\n"
        "HalfAlarm=0\r\nAlarmType=0\r\nHotKey1=\r\nHotKey2=\r\nHotKey=0\r\n[MSG]\r\n"
        "Auto=1\r\nAutoSec=5\r\nTran=200\r\nCalendarLX=1\r\nCalendarStep=5\r\n[TIME]\r\n"
        "AutoChcek=0\r\nStepHour=1\r\n");

    // "普通" saves the font; manual closing hands -1; the same hot key stays registered, a
    // new one replaces it.
    r.log.clear();
    s.autostart_changed = false;
    s.values.led_font = false;
    s.values.font = TimeFont{"宋体", 12, 255, true, false, true, false};
    s.values.msg_auto = false;
    s.values.calendar_lx = 2;
    s.values.calendar_step = 10;
    s.values.hot_key = true;
    s.values.hot_key1 = "Ctrl + Shift";
    s.values.hot_key2 = "T";
    r.registered = true, r.mods = "Ctrl + Shift", r.letter = "T";
    CloseOptions(s, path, r, r);
    EXPECT_EQ(r.log, (std::vector<std::string>{"msg -1 200 2 600000", "chime 00 0", "sync 0 1",
                                               "notify"}));
    IniFile saved(path);
    EXPECT_EQ(saved.ReadString("LED", "FontName"), "宋体");
    EXPECT_EQ(saved.ReadString("LED", "FontColor"), "255");
    EXPECT_EQ(saved.ReadString("LED", "FontUnderline"), "1");
    r.log.clear();
    s.values.hot_key2 = "Q";
    CloseOptions(s, path, r, r);
    EXPECT_EQ(r.log[3], "unregister");
    EXPECT_EQ(r.log[4], "register Ctrl + Shift/Q");

    // A save that fails changes nothing and skips the bar's steps; the popup still hears.
    r.log.clear();
    s.autostart_changed = true;
    s.autostart_checked = false;
    res = CloseOptions(s, dir.path() + "missing/skin.ini", r, r);
    EXPECT_FALSE(res.saved);
    EXPECT_EQ(r.log, (std::vector<std::string>{"autostart off", "notify"}));
}

TEST(OptionsModel, LiveApplyTakesTheFileAndReloadsOnlyWhatChanged) {
    IniFile ini = IniFile::FromBytes("[SKIN]\r\nSkinFile=A.sk\r\nClockFile=B.cl\r\n[BAR]\r\n"
                                     "Tr=9\r\nOnTop=1\r\nDefWin=2\r\n[LED]\r\nLEDFont=0\r\n"
                                     "FontName=Arial\r\n[CLOCK]\r\nHotKey=1\r\nHotKey1=Alt\r\n"
                                     "HotKey2=Z\r\n");
    Recorder r;
    EXPECT_TRUE(ApplyLiveSettings(ReadLiveSettings(ini), r));
    EXPECT_EQ(r.log, (std::vector<std::string>{
                         "plain Arial", "alpha 55", "ontop 1", "msg 5 200 1 300000", "chime 00 0",
                         "sync 0 1", "unregister", "register Alt/Z", "face B.cl", "start 0 2"}));
}

} // namespace
