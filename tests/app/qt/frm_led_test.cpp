// The bar on the offscreen platform: its layout, the tick, the menus, settings it applies and
// the state it writes at exit.
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <filesystem>
#include <gmock/gmock.h>
#include <map>
#include <sys/stat.h>

#include "app/qt/bar_test_access.h"
#include "app/qt/bitmap_button.h"
#include "app/qt/flat_panel.h"
#include "app/qt/form_shadow.h"
#include "app/qt/frm_led.h"
#include "app/qt/magnetic_host.h"
#include "app/qt/sound_binding.h"
#include "app/qt/window_mover.h"
#include "base/datetime.h"
#include "faces/qt/aa_fadetext.h"
#include "faces/qt/led_font_num_widget.h"
#include "settings/temp_dir.h"
#include "sound/clock_alarm.h"

using namespace tobu;
using ::testing::ElementsAre;

namespace {

class RecordingHotKeys : public HotKeySystem {
public:
    int AddAtom(const std::string&) override { return 0xC001; }
    void DeleteAtom(int) override {}
    bool RegisterHotKey(int id, int mods, int vk) override {
        keys[id] = {mods, vk};
        return true;
    }
    void UnregisterHotKey(int id) override { keys.erase(id); }
    std::map<int, std::pair<int, int>> keys;
};

class BarTest : public ::testing::Test {
protected:
    void SetUp() override { AppDir = dir.Dir(); }
    void TearDown() override { AppDir.clear(); }

    std::unique_ptr<TFrmLED> MakeBar(const std::string& ini, std::string arg = "") {
        if (!ini.empty()) tobu::testing::TempDir::Put(dir.File("skin.ini"), ini);
        TFrmLED::Services s;
        s.clock = &clock;
        s.hotKeys = &hotKeys;
        s.openFile = [this](const std::string& p) {
            opened.push_back(p);
            return true;
        };
        s.warningBox = [this](const std::string& c, const std::string& t) {
            warnings.push_back(c + "|" + t);
        };
        s.hasTray = [this] { return tray; };
        auto bar = std::make_unique<TFrmLED>(s, arg);
        bar->FormCreate();
        return bar;
    }

    tobu::testing::TempDir dir;
    FakeClock clock{EncodeDateTime(2024, 2, 10, 13, 59, 52)};
    RecordingHotKeys hotKeys;
    std::vector<std::string> opened, warnings;
    bool tray = true;
};

// Runs the event loop until `done` holds or `ms` pass; returns `done()`.
bool WaitUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

QStringList Captions(QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions()) out << (a->isSeparator() ? "-" : a->text());
    return out;
}

} // namespace

TEST_F(BarTest, ControlsSitWhereTheLayoutPutsThem) {
    auto bar = MakeBar("");
    EXPECT_EQ(bar->size(), QSize(332, 34));
    EXPECT_EQ(Of(bar).ImageBk()->geometry(), QRect(0, 0, 332, 34));
    EXPECT_EQ(Of(bar).AAFadeTextDate()->geometry(), QRect(173, 12, 154, 20));
    EXPECT_EQ(Of(bar).RzPanel2()->geometry(), QRect(53, 4, 116, 26));
    EXPECT_EQ(Of(bar).LED()->geometry(), QRect(1, 1, 117, 23));
    EXPECT_EQ(Of(bar).BtnMenu()->geometry(), QRect(8, 4, 43, 27));
    EXPECT_EQ(Of(bar).BtnMin()->geometry(), QRect(296, 1, 26, 9));
    EXPECT_EQ(Of(bar).BtnMenu()->toolTip(), QString::fromUtf8("主菜单"));
    EXPECT_EQ(Of(bar).BtnMin()->toolTip(), QString::fromUtf8("最小化"));
    EXPECT_EQ(Of(bar).TimerClock().interval(), 1000);
    EXPECT_EQ(Of(bar).TimerSavePos().interval(), 2000);
    EXPECT_EQ(Of(bar).TimerChild().interval(), 300);
    EXPECT_EQ(Of(bar).TimerHintClose().interval(), 10000);
    EXPECT_EQ(Of(bar).TimerAD().interval(), 300000);
    EXPECT_TRUE(Of(bar).TimerClock().isActive());
    EXPECT_TRUE(Of(bar).TimerSavePos().isActive());
}

TEST_F(BarTest, EmptySettingsGiveTheDefaults) {
    auto bar = MakeBar("");
    int screen = QGuiApplication::primaryScreen()->geometry().width();
    EXPECT_EQ(bar->x(), screen - 332);
    EXPECT_EQ(bar->y(), 0);
    EXPECT_EQ(Of(bar).Tr(), 200);
    EXPECT_NEAR(bar->windowOpacity(), 200 / 255.0, 0.01);
    EXPECT_EQ(Of(bar).DefWin(), 1);
    EXPECT_EQ(bar->HotKey().Id(), 0);
    EXPECT_FALSE(Of(bar).LED()->isHidden());
    EXPECT_FALSE(bar->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(Of(bar).LastLoadFailed());
}

TEST_F(BarTest, TickShowsTheTimeOnTheLedAndThePanel) {
    auto bar = MakeBar("");
    EXPECT_EQ(Of(bar).LED()->text(), "13:59:52"); // filled during start-up
    clock.Set(EncodeDateTime(2024, 2, 10, 9, 5, 7));
    Of(bar).TimerClockTimer();
    EXPECT_EQ(Of(bar).LED()->text(), "09:05:07");
    EXPECT_EQ(Of(bar).RzPanel2()->Caption(), "09:05:07");
}

// The tick's steps run in the tick's order with its one time value; the chime sequencer owns
// the chime kind, so a message chime follows the kind applied last (a live apply included).
TEST_F(BarTest, TickRunsItsStepsInOrderWithOneTimeValue) {
    tobu::testing::TempDir::Put(dir.File("skin.ini"), "[CLOCK]\nAlarm=1\nAlarmType=1\n");
    TFrmLED::Services s;
    s.clock = &clock;
    s.hotKeys = &hotKeys;
    TFrmLED bar(s, "");
    std::vector<std::string> steps;
    std::vector<TDateTime> seen;
    auto step = [&](const char* name) {
        return [&steps, &seen, name](TDateTime now) {
            steps.push_back(name);
            seen.push_back(now);
        };
    };
    QObject::connect(&bar, &TFrmLED::showTime, step("time"));
    QObject::connect(&bar, &TFrmLED::checkTasks, step("tasks"));
    QObject::connect(&bar, &TFrmLED::checkChime, step("chime"));
    SoundBinding* sound = BindSound(bar);
    QObject::connect(sound, &SoundBinding::chimeMessage,
                     [&](const std::string& text) { steps.push_back(text); });
    bar.FormCreate();
    ASSERT_NE(sound->Alarm(), nullptr);
    EXPECT_EQ(sound->Alarm()->AlarmType(), 1);
    clock.Set(EncodeDateTime(2024, 2, 10, 14, 0, 0));
    steps.clear();
    Of(bar).TimerClockTimer();
    EXPECT_THAT(steps, ElementsAre("time", "tasks", "chime")); // a chime, but not a message

    tobu::testing::TempDir::Put(dir.File("skin.ini"), "[CLOCK]\nAlarm=1\nAlarmType=3\n");
    EXPECT_EQ(bar.HandleMessage(Message{kWmApplySettings, 0, 0, {}}), 1);
    // The next chime second (the one already chimed is not chimed again).
    clock.Set(EncodeDateTime(2024, 2, 10, 15, 0, 0));
    steps.clear();
    seen.clear();
    Of(bar).TimerClockTimer();
    EXPECT_THAT(steps, ElementsAre("time", "tasks", "chime", "时钟报时：15:00:00"));
    EXPECT_THAT(seen, ::testing::Each(EncodeDateTime(2024, 2, 10, 15, 0, 0)));
}

// The apply step: the bar's own parts and the handing over run in the start-up's order (the
// time display before the owners get theirs, the position after).
TEST_F(BarTest, ApplyStepHandsOverInTheStartUpOrder) {
    tobu::testing::TempDir::Put(dir.File("skin.ini"),
                                "[LED]\nLEDFont=0\n[MSG]\nCalendarStep=9\n[BAR]\nLeft=40\n"
                                "Top=30\n");
    TFrmLED::Services s;
    s.clock = &clock;
    s.hotKeys = &hotKeys;
    TFrmLED bar(s, "");
    std::vector<std::string> order;
    QObject::connect(&bar, &TFrmLED::chimeOptionsApplied, [&](const ClockSettings::Clock&) {
        order.push_back(std::string("chime, led ") +
                        (Of(bar).LED()->isHidden() ? "hidden" : "shown") + ", at " +
                        std::to_string(bar.x()));
    });
    QObject::connect(&bar, &TFrmLED::timeSyncApplied,
                     [&](const ClockSettings::Time&) { order.push_back("time"); });
    QObject::connect(&bar, &TFrmLED::messageOptionsApplied, [&](const MessageOptions& m) {
        order.push_back("msg " + std::to_string(m.calendar_step));
    });
    QObject::connect(&bar, &TFrmLED::startUpStep, [&](TFrmLED::StartUpStep) {
        if (order.size() == 3) order.push_back("steps, at " + std::to_string(bar.x()));
    });
    bar.FormCreate();
    EXPECT_THAT(order, ElementsAre("chime, led hidden, at 0", "time", "msg 9", "steps, at 40"));
    // Only the skin section on a skin-only apply.
    order.clear();
    EXPECT_TRUE(bar.LoadSettings(SettingsScope::SkinOnly));
    EXPECT_TRUE(order.empty());
}

TEST_F(BarTest, PlainTextClockWhenLedIsOff) {
    auto bar = MakeBar("[LED]\nLEDFont=0\nFontName=Arial\nFontSize=20\nFontBold=1\n");
    EXPECT_TRUE(Of(bar).LED()->isHidden());
    EXPECT_TRUE(Of(bar).RzPanel2()->ShowsCaption());
    EXPECT_EQ(Of(bar).RzPanel2()->font().family(), "Arial");
    EXPECT_EQ(Of(bar).RzPanel2()->font().pointSize(), 20);
    EXPECT_TRUE(Of(bar).RzPanel2()->font().bold());
    EXPECT_FALSE(Of(bar).RzPanel2()->font().italic());
    EXPECT_EQ(Of(bar).RzPanel2()->Caption(), "13:59:52");
}

TEST_F(BarTest, MenusCarryEveryCaptionAndTag) {
    auto bar = MakeBar("");
    EXPECT_EQ(Captions(Of(bar).PopupMenu1()),
              QStringList({"精简", "时钟", "日历", "天气", "-", "定时任务", "日历标记",
                           "城市时间查询", "系统设置", "-", "主页", "帮助", "关于", "退出"}));
    EXPECT_EQ(Captions(Of(bar).PopupMenu2()),
              QStringList({"打开窗口", "隐藏窗口", "-", "定时任务", "日历标记", "城市时间查询",
                           "系统设置", "-", "主页", "帮助", "关于", "退出"}));
    EXPECT_EQ(Of(bar).Item("PM_Smp")->data().toInt(), 0);
    EXPECT_EQ(Of(bar).Item("PM_Clock")->data().toInt(), 2);
    EXPECT_EQ(Of(bar).Item("PM_Calendar")->data().toInt(), 1);
    EXPECT_EQ(Of(bar).Item("PM_Weather")->data().toInt(), 3);
    QMenu* options = Of(bar).Item("PM_Options")->menu();
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(Captions(options), QStringList({"常规设置", "报时设置", "皮肤更换", "时钟样式",
                                              "消息设置", "时间校正"}));
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(options->actions()[i]->data().toInt(), i);
        EXPECT_EQ(Of(bar).Item("PM_Options1")->menu()->actions()[i]->data().toInt(), i);
    }
    EXPECT_EQ(Of(bar).Item("PM_Exit1")->objectName(), "PM_Exit1");
    EXPECT_EQ(Of(bar).Item("PM_Homepage1")->objectName(), "PM_Homepage1");
    // Every item of the main menu but the separators has its icon where the layout gives one.
    EXPECT_FALSE(Of(bar).Item("PM_Exit")->icon().isNull());
    EXPECT_TRUE(Of(bar).Item("PM_Smp")->icon().isNull());
    // Opening a menu ticks the mode of the visible companion window.
    bar->SetChildIndexQuery([] { return 0; });
    emit Of(bar).PopupMenu1()->aboutToShow();
    EXPECT_TRUE(Of(bar).Item("PM_Smp")->isChecked());
}

// The menus and the "系统设置" submenus paint their own white body and icon column: their
// style sheet leaves the background transparent, which on screen shows black.
TEST_F(BarTest, MenusAndTheirSubmenusPaintTheirBackground) {
    auto bar = MakeBar("");
    const std::pair<QMenu*, const char*> menus[] = {
        {Of(bar).PopupMenu1(), "PopupMenu1"},
        {Of(bar).PopupMenu2(), "PopupMenu2"},
        {Of(bar).Item("PM_Options")->menu(), "PM_Options"},
        {Of(bar).Item("PM_Options1")->menu(), "PM_Options1"}};
    for (auto [menu, name] : menus) {
        SCOPED_TRACE(name);
        ASSERT_NE(menu, nullptr);
        menu->ensurePolished();
        menu->resize(menu->sizeHint());
        const QImage img = menu->grab().toImage();
        // Right of the captions, half-way down: the body, white and opaque.
        EXPECT_EQ(img.pixel(img.width() - 6, img.height() / 2), qRgb(255, 255, 255));
        // The icon column: not white.
        EXPECT_NE(img.pixel(10, img.height() / 2), qRgb(255, 255, 255));
    }
}

TEST_F(BarTest, HelpOpensTheHelpFileElseTheGuideElseWarns) {
    auto bar = MakeBar("");
    // A folder where the guide's page should be is no guide.
    std::filesystem::create_directories(dir.File("Help/index.html"));
    Of(bar).PM_HelpClick();
    EXPECT_THAT(warnings, ElementsAre("警告|\"TobuClockHelp.chm\" 文件不存在。"));
    EXPECT_TRUE(opened.empty());
    // With the HTML guide the desktop opens it.
    std::filesystem::remove(dir.File("Help/index.html"));
    tobu::testing::TempDir::Put(dir.File("Help/index.html"), "<html></html>");
    Of(bar).PM_HelpClick();
    EXPECT_THAT(opened, ElementsAre(dir.File("Help/index.html")));
    // The compiled help file, when present, comes first.
    tobu::testing::TempDir::Put(dir.File("TobuClockHelp.chm"), "x");
    Of(bar).PM_HelpClick();
    EXPECT_THAT(opened, ElementsAre(dir.File("Help/index.html"), dir.File("TobuClockHelp.chm")));
    EXPECT_EQ(warnings.size(), 1u);
}

TEST_F(BarTest, HotKeyOnlyWithItsExactModifiers) {
    auto bar = MakeBar("[CLOCK]\nHotKey=1\nHotKey1=alt + ctrl\nHotKey2=T\n");
    ASSERT_EQ(bar->HotKey().Id(), 1);
    EXPECT_EQ(hotKeys.keys[1], std::make_pair(3, 84));
    int spoken = 0;
    QObject::connect(bar.get(), &TFrmLED::announceTime, [&](TDateTime) { ++spoken; });
    EXPECT_FALSE(bar->HandleHotKey(1, (84 << 16) | 1));
    EXPECT_TRUE(bar->HandleHotKey(1, (84 << 16) | 3));
    EXPECT_EQ(spoken, 1);
    bar->close();
    EXPECT_TRUE(hotKeys.keys.empty()); // released at exit
    // The letter's case does not matter: "t" is the T key.
    auto lower = MakeBar("[CLOCK]\nHotKey=1\nHotKey1=Shift\nHotKey2=t\n");
    EXPECT_EQ(hotKeys.keys[1], std::make_pair(4, 84));
    EXPECT_TRUE(lower->HandleHotKey(1, (84 << 16) | 4));
}

TEST_F(BarTest, HotKeySwitchedOffRegistersNothing) {
    auto bar = MakeBar("[CLOCK]\nHotKey=0\nHotKey1=Alt\nHotKey2=T\n");
    EXPECT_EQ(bar->HotKey().Id(), 0);
    EXPECT_TRUE(hotKeys.keys.empty());
}

TEST_F(BarTest, PositionIsSavedOnlyAfterAMove) {
    auto bar = MakeBar("[BAR]\nLeft=100\nTop=50\n");
    Of(bar).TimerSavePosTimer();
    EXPECT_EQ(tobu::testing::TempDir::Get(dir.File("skin.ini")), "[BAR]\nLeft=100\nTop=50\n");
    bar->move(300, 200);
    Of(bar).TimerSavePosTimer();
    std::string ini = tobu::testing::TempDir::Get(dir.File("skin.ini"));
    EXPECT_THAT(ini, ::testing::HasSubstr("Left=300"));
    EXPECT_THAT(ini, ::testing::HasSubstr("Top=200"));
    EXPECT_EQ(Of(bar).SavedLeft(), 300);
    EXPECT_EQ(Of(bar).SavedTop(), 200);
}

TEST_F(BarTest, ClosingWritesTheBarStateAndStopsTheTimers) {
    auto bar = MakeBar("[BAR]\nLeft=10\nTop=-5\nTr=0x1F0\n");
    EXPECT_EQ(bar->y(), 0);
    EXPECT_EQ(Of(bar).Tr(), 0x1F0);
    EXPECT_NEAR(bar->windowOpacity(), 0xF0 / 255.0, 0.01);
    bar->SetChildIndexQuery([] { return 2; });
    bar->SetClockWindowQuery([] { return std::optional<QPoint>(QPoint(7, 40)); });
    tobu::testing::TempDir::Put(dir.File("SkinDone.tmp"), "x");
    bar->close();
    EXPECT_FALSE(Of(bar).TimerClock().isActive());
    EXPECT_FALSE(Of(bar).TimerSavePos().isActive());
    bar->FormDestroy();
    std::string ini = tobu::testing::TempDir::Get(dir.File("skin.ini"));
    for (const char* want : {"Index=2", "Left=10", "Top=0", "Tr=496", "Top=40", "Left=7"})
        EXPECT_THAT(ini, ::testing::HasSubstr(want));
    EXPECT_FALSE(std::filesystem::exists(dir.File("SkinDone.tmp")));
}

// With shadows on (as the entry sets them) the bar gets its shadow at start-up; the shadow
// follows the bar's showing and hiding, and at close the bar fades out and frees it.
TEST_F(BarTest, ShadowFollowsTheBarAndGoesWithItsFadeOut) {
    ShadowsEnabled = true;
    TFormShadow::ForceCompositing(true);
    auto bar = MakeBar("[BAR]\nTr=200\n");
    QPointer<TFormShadow> shadow = bar->Shadow();
    ASSERT_TRUE(shadow);
    EXPECT_EQ(shadow->Form(), bar.get());
    bar->show();
    EXPECT_TRUE(shadow->isVisible());
    // 16 pixels of halo on every side of the 332 x 34 bar.
    EXPECT_EQ(shadow->Picture().size(), QSize(364, 66));
    EXPECT_EQ(shadow->pos(), bar->pos() - QPoint(16, 16));
    bar->hide();
    EXPECT_FALSE(shadow->isVisible());
    bar->show();
    bar->close();
    EXPECT_FALSE(shadow); // freed
    EXPECT_LE(bar->windowOpacity(), 30 / 255.0 + 0.01);
    TFormShadow::ForceCompositing(std::nullopt);
    ShadowsEnabled = false;
}

TEST_F(BarTest, PopupProgramMessagesReachTheBar) {
    auto bar = MakeBar("");
    bar->HandleMessage(Message{kWmPopupRegister, 0, 4242, {}});
    EXPECT_EQ(bar->PopupWnd(), 4242u);
    // A second parameter that is no handle registers nothing (it used to be cut to 32 bits).
    for (int64_t bad : {int64_t{0}, int64_t{-1}, int64_t{0x100000005}})
        bar->HandleMessage(Message{kWmPopupRegister, 0, bad, {}});
    EXPECT_EQ(bar->PopupWnd(), 4242u);
    bar->HandleMessage(Message{kWmTrayAnimateOn, 0, 0, {}});
    EXPECT_TRUE(bar->TrayAnimating());
    bar->HandleMessage(Message{kWmTrayAnimateOff, 0, 0, {}});
    EXPECT_FALSE(bar->TrayAnimating());
}

TEST_F(BarTest, StartsHiddenOnlyWithSettingAndSwitch) {
    EXPECT_TRUE(MakeBar("[BAR]\nOnStartHide=1\n", " /HIDE ")->HideAtStart());
    EXPECT_FALSE(MakeBar("[BAR]\nOnStartHide=1\n", "")->HideAtStart());
    EXPECT_FALSE(MakeBar("[BAR]\nOnStartHide=0\n", "/hide")->HideAtStart());
}

TEST_F(BarTest, MinimisingKeepsTheVisibleFlag) {
    auto bar = MakeBar("");
    bar->show();
    EXPECT_TRUE(bar->VisibleFlag());
    bar->MinimizeToTray();
    EXPECT_FALSE(bar->isVisible());
    EXPECT_TRUE(bar->VisibleFlag());
    bar->RestoreFromTray();
    EXPECT_TRUE(bar->isVisible());
}

// A damaged skin or dialog-frame package costs its own look only: the rest of the settings
// still load, and exit writes back the user's own position and alpha.
TEST_F(BarTest, DamagedPackagesCostNoSettings) {
    tobu::testing::TempDir::Put(dir.File("skin.ini"),
                                "[SKIN]\nSkinFile=Broken.sk\nWinFile=Skin/Broken.skw\n"
                                "[BAR]\nLeft=300\nTop=300\nTr=255\nOnTop=1\n");
    std::filesystem::create_directories(dir.File("Skin"));
    tobu::testing::TempDir::Put(dir.File("Skin/Broken.sk"), "truncated package");
    tobu::testing::TempDir::Put(dir.File("Skin/Broken.skw"), "truncated package");
    TFrmLED::Services s;
    s.clock = &clock;
    s.hotKeys = &hotKeys;
    TFrmLED bar(s, "");
    bar.FormCreate();
    EXPECT_EQ(bar.DialogFrame(), nullptr);
    EXPECT_TRUE(Of(bar).LastLoadFailed());
    EXPECT_EQ(bar.pos(), QPoint(300, 300));
    EXPECT_EQ(Of(bar).Tr(), 255);
    EXPECT_DOUBLE_EQ(bar.windowOpacity(), 1.0);
    EXPECT_TRUE(bar.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(CurrentSkinFile, "Broken.sk");
    bar.close();
    std::string ini = tobu::testing::TempDir::Get(dir.File("skin.ini"));
    for (const char* want : {"Left=300", "Top=300", "Tr=255"})
        EXPECT_THAT(ini, ::testing::HasSubstr(want));
}

// Values the load never read from the file are not written over the user's at exit; once the
// user moves the bar or sets its alpha, those are theirs and are written.
TEST_F(BarTest, ExitWritesOnlyValuesThatAreTheUsers) {
    // A settings file that cannot be read at start (a named pipe in its place) gives defaults.
    ASSERT_EQ(::mkfifo(dir.File("skin.ini").c_str(), 0600), 0);
    auto bar = MakeBar("");
    EXPECT_EQ(Of(bar).Tr(), 200);
    std::filesystem::remove(dir.File("skin.ini"));
    const std::string stored = "[BAR]\nLeft=300\nTop=300\nTr=255\n";
    tobu::testing::TempDir::Put(dir.File("skin.ini"), stored);
    bar->SetChildIndexQuery([] { return 1; });
    bar->close();
    EXPECT_EQ(tobu::testing::TempDir::Get(dir.File("skin.ini")), stored + "[CHILD]\nIndex=1\n");

    std::filesystem::remove(dir.File("skin.ini"));
    ASSERT_EQ(::mkfifo(dir.File("skin.ini").c_str(), 0600), 0);
    bar = MakeBar("");
    std::filesystem::remove(dir.File("skin.ini"));
    tobu::testing::TempDir::Put(dir.File("skin.ini"), stored);
    bar->move(10, 20);
    bar->SetBarAlpha(128);
    bar->close();
    std::string ini = tobu::testing::TempDir::Get(dir.File("skin.ini"));
    for (const char* want : {"Left=10", "Top=20", "Tr=128"})
        EXPECT_THAT(ini, ::testing::HasSubstr(want));
}

TEST_F(BarTest, OptionsSubmenuOpensOnlyWithAnItemToChoose) {
    auto bar = MakeBar("");
    EXPECT_FALSE(Of(bar).Item("PM_Options")->isEnabled());
    EXPECT_FALSE(Of(bar).Item("PM_Options1")->isEnabled());
    bar->EnableMenuItem("PM_OptionsTime");
    EXPECT_TRUE(Of(bar).Item("PM_Options")->isEnabled());
    EXPECT_FALSE(Of(bar).Item("PM_Options1")->isEnabled());
    bar->EnableMenuItem("PM_OptionsTime", false);
    EXPECT_FALSE(Of(bar).Item("PM_Options")->isEnabled());
}

// Without a tray the icon is still shown (the toolkit embeds it when a tray comes), and
// minimising leaves an ordinary minimised window that the restore message brings back; with a
// tray the bar hides as before.
TEST_F(BarTest, MinimisingNeverStrandsTheBarWithoutATray) {
    tray = false;
    auto bar = MakeBar("");
    EXPECT_TRUE(Of(bar).RzTrayIcon1()->isVisible());
    bar->show();
    bar->MinimizeToTray();
    EXPECT_TRUE(bar->MinimizedAsWindow());
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(bar->isMinimized());
    EXPECT_EQ(bar->windowType(), Qt::Window); // tool windows cannot be minimised
    EXPECT_TRUE(bar->VisibleFlag());
    bar->HandleMessage(Message{kWmSysCommand, kScRestore, 0, {}});
    EXPECT_FALSE(bar->MinimizedAsWindow());
    EXPECT_TRUE(bar->isVisible());
    EXPECT_FALSE(bar->isMinimized());
    EXPECT_EQ(bar->windowType(), Qt::Tool);
    EXPECT_TRUE(bar->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(bar->Minimized());

    tray = true; // a tray that came later
    bar->MinimizeToTray();
    EXPECT_FALSE(bar->MinimizedAsWindow());
    EXPECT_FALSE(bar->isVisible());
    bar->HandleMessage(Message{kWmSysCommand, kScRestore, 0, {}});
    EXPECT_TRUE(bar->isVisible());
}

// "/hide" waits a few seconds for a tray that is not there yet; a tray that appears in time
// takes the bar, and without one the bar ends minimised as a window.
TEST_F(BarTest, StartInTheTrayWaitsForALateTray) {
    tray = false;
    auto late = MakeBar("[BAR]\nOnStartHide=1\n", "/hide");
    Of(late).SetTrayWaitMs(60000);
    late->show();
    // The first show opens the companion window after 300 ms and goes to the tray a second
    // later; without a tray the bar stays.
    WaitUntil([&] { return late->Minimized(); }, 2000);
    EXPECT_FALSE(late->Minimized());
    EXPECT_TRUE(late->isVisible());
    tray = true;
    EXPECT_TRUE(WaitUntil([&] { return late->Minimized(); }, 1000));
    EXPECT_FALSE(late->isVisible());
    EXPECT_FALSE(late->MinimizedAsWindow());

    tray = false;
    auto never = MakeBar("[BAR]\nOnStartHide=1\n", "/hide");
    Of(never).SetTrayWaitMs(500);
    never->show();
    EXPECT_TRUE(WaitUntil([&] { return never->Minimized(); }, 3000));
    EXPECT_TRUE(never->MinimizedAsWindow());
    EXPECT_TRUE(never->isMinimized());
}

// An open modal dialog is minimised with the bar (still open: hiding would end it) and comes
// back in front with it, from the tray and on a second start's restore message.
TEST_F(BarTest, AnOpenDialogGoesWithTheBarAndComesBack) {
    auto bar = MakeBar("");
    bar->show();
    QDialog dialog;
    dialog.setWindowTitle(QString::fromUtf8("确认"));
    bool wentWithBar = false, cameBack = false, cameBackOnRestore = false;
    QTimer::singleShot(0, [&] {
        bar->MinimizeToTray();
        wentWithBar = dialog.isVisible() && dialog.isMinimized();
        bar->RestoreFromTray();
        cameBack = dialog.isVisible() && !dialog.isMinimized() &&
                   QApplication::activeModalWidget() == &dialog;
        bar->MinimizeToTray();
        bar->HandleMessage(Message{kWmSysCommand, kScRestore, 0, {}});
        cameBackOnRestore = bar->isVisible() && dialog.isVisible() && !dialog.isMinimized();
        dialog.accept();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted); // minimising did not end the dialog
    EXPECT_TRUE(wentWithBar);
    EXPECT_TRUE(cameBack);
    EXPECT_TRUE(cameBackOnRestore);
}

TEST_F(BarTest, CompanionsStayDockedAcrossOnTopAndTheModeMenuTicksTheClockFirst) {
    auto bar = MakeBar("[BAR]\nLeft=100\nTop=50\n");
    bar->show();
    ASSERT_NE(bar->MagneticWindows(), nullptr);
    TMagnetic& magnetic = bar->MagneticWindows()->Magnetic();
    EXPECT_EQ(magnetic.Distance(), 15);
    EXPECT_TRUE(magnetic.IsRegistered(TMagneticWindows::Handle(bar.get())));
    auto clockWin = std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint | Qt::Tool);
    clockWin->setGeometry(bar->x(), bar->y() + bar->height(), 160, 160);
    clockWin->show();
    auto* mover = new WindowMover(clockWin.get());
    ASSERT_TRUE(bar->AttachCompanion(clockWin.get(), mover));
    const MagneticWindow h = TMagneticWindows::Handle(clockWin.get());
    EXPECT_TRUE(magnetic.IsAttached(h));
    bar->SetOnTop(true);
    EXPECT_TRUE(bar->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(magnetic.ParentOf(h), TMagneticWindows::Handle(bar.get()));
    EXPECT_TRUE(magnetic.IsAttached(h));
    // Minimised and restored, the clock is still docked.
    bar->MinimizeToTray();
    bar->RestoreFromTray();
    EXPECT_TRUE(magnetic.IsAttached(h));

    // The menu ticks the clock before the calendar; a click acts only when it ticks.
    CompanionVisibility visible{true, true, false};
    bar->SetCompanionVisibilityQuery([&] { return visible; });
    EXPECT_EQ(bar->ChildWindowIndex(), 1);
    bar->EnableMenuItem("PM_Clock");
    bar->EnableMenuItem("PM_Calendar");
    std::vector<int> requested;
    QObject::connect(bar.get(), &TFrmLED::showChildWindowRequested,
                     [&](int index) { requested.push_back(index); });
    emit Of(bar).PopupMenu1()->aboutToShow();
    EXPECT_TRUE(Of(bar).Item("PM_Clock")->isChecked());
    Of(bar).Item("PM_Clock")->trigger(); // ticked already: un-ticks, nothing else
    EXPECT_FALSE(Of(bar).Item("PM_Clock")->isChecked());
    Of(bar).Item("PM_Calendar")->trigger();
    EXPECT_THAT(requested, ElementsAre(1));

    QWidget* gone = clockWin.get();
    clockWin.reset();
    EXPECT_FALSE(magnetic.IsRegistered(h));
    EXPECT_FALSE(bar->DetachCompanion(gone));
}

TEST_F(BarTest, StartUpChoiceOpensTheDefWinCompanionByItsModeIndex) {
    for (auto [defWin, index] : {std::pair{3, 3}, {2, 1}, {1, 2}, {7, 2}, {0, -1}}) {
        auto bar = MakeBar("[BAR]\nDefWin=" + std::to_string(defWin) + "\n");
        std::vector<int> requested;
        QObject::connect(bar.get(), &TFrmLED::showChildWindowRequested,
                         [&](int i) { requested.push_back(i); });
        Of(bar).TimerChildTimer();
        if (index < 0)
            EXPECT_TRUE(requested.empty()) << defWin;
        else
            EXPECT_THAT(requested, ElementsAre(index)) << defWin;
        EXPECT_FALSE(Of(bar).TimerChild().isActive());
    }
}
