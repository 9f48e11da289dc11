// The options dialog on the offscreen platform: opened from the menus on the item's page, the
// package lists and previews, controls that act at once (and not while loading), closing by
// any way saves and hands out, the keyboard, and the live apply of message 0x404.
#include "app/qt/frm_options.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <filesystem>
#include <gmock/gmock.h>

#include "app/qt/bar_test_access.h"
#include "app/qt/frm_led.h"
#include "app/qt/options_binding.h"
#include "platform/messages.h"
#include "support/home_guard.h"

namespace tobu {

struct OptionsTestAccess {
    TFrmOptions& d;
    template <class T> T* Get(const char* name) const {
        T* w = d.findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
};

} // namespace tobu

using namespace tobu;

namespace {

static const bool kHomeGuard = tobu::testing::InstallHomeGuard();

// Records what the autostart box does.
struct FakeAutostart : AutostartStore {
    bool on = false;
    std::vector<std::string> calls;
    bool IsOn() const override { return on; }
    bool Enable(std::string*) override {
        calls.push_back("on");
        return on = true;
    }
    bool Disable(std::string*) override {
        calls.push_back("off");
        on = false;
        return true;
    }
};

class FrmOptionsTest : public BarFolderTest {
protected:
    void SetUp() override {
        BarFolderTest::SetUp();
        std::filesystem::copy(std::string(TOBU_TEST_SOURCE_DIR) + "/data/Skin", dir.File("Skin"));
        std::filesystem::copy(std::string(TOBU_TEST_SOURCE_DIR) + "/data/Clock", dir.File("Clock"));
    }

    std::unique_ptr<TFrmLED> MakeBar(const std::string& ini) {
        TFrmLED::Services s;
        s.hasTray = [] { return true; };
        auto bar = NewBar(ini, s);
        binding = BindOptions(*bar, nullptr, nullptr, boxes);
        binding->SetAutostartStore(&autostart);
        bar->FormCreate();
        bar->show();
        return bar;
    }

    // Opens the dialog through the menu item and runs `check` inside the dialog's loop; the
    // check closes the dialog itself (or it is closed after it).
    void OpenFromMenu(TFrmLED& bar, const char* item, std::function<void(TFrmOptions&)> check) {
        binding->onDialogCreated = [check](TFrmOptions& d) {
            QTimer::singleShot(0, &d, [&d, check] {
                check(d);
                if (d.isVisible()) d.close();
            });
        };
        Of(bar).Item(item)->trigger();
        binding->onDialogCreated = nullptr;
    }

    static void Key(QWidget* to, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(to, &press);
        QKeyEvent release(QEvent::KeyRelease, key, mods);
        QApplication::sendEvent(to, &release);
    }

    std::string Ini() { return tobu::testing::TempDir::Get(dir.File("skin.ini")); }

    ScriptedMessageBox boxes;
    FakeAutostart autostart;
    OptionsBinding* binding = nullptr;
};

TEST_F(FrmOptionsTest, SkinItemOpensThePackagePageWithTheCurrentSkinPreviewed) {
    auto bar = MakeBar("[SKIN]\r\nSkinFile=Dark.sk\r\n[BAR]\r\nTr=155\r\n");
    ASSERT_TRUE(Of(bar).Item("PM_OptionsSkin1")->isEnabled());
    ASSERT_TRUE(Of(bar).Item("PM_Options")->isEnabled());
    bool ran = false;
    OpenFromMenu(*bar, "PM_OptionsSkin1", [&](TFrmOptions& d) {
        ran = true;
        OptionsTestAccess a{d};
        EXPECT_EQ(d.windowTitle(), QString::fromUtf8("系统设置"));
        EXPECT_EQ(d.size(), QSize(472, 353));
        EXPECT_EQ(TFrmOptions::CentredOn(QSize(1280, 768)), QPoint(404, 207));
        EXPECT_EQ(TFrmOptions::CentredOn(QSize(1281, 769)), QPoint(404, 208));
        EXPECT_EQ(d.Page(), kPageSkin);
        auto* list = a.Get<QListWidget>("RzListView1");
        ASSERT_GE(list->count(), 3);
        EXPECT_EQ(list->currentItem()->text(), "Dark.sk");
        EXPECT_FALSE(a.Get<QLabel>("ImageSkin")->pixmap().isNull());
        EXPECT_TRUE(a.Get<QPushButton>("BtnApplySkin")->isEnabled());
        EXPECT_EQ(a.Get<QSlider>("RzTrackBar1")->value(), 155);
        EXPECT_EQ(a.Get<QLabel>("LabelTr1")->text(), "40%");
        EXPECT_EQ(a.Get<QLabel>("LabelTr2")->text(), "22%");
        EXPECT_FALSE(a.Get<QCheckBox>("RzCheckBox7")->isVisible());
        EXPECT_FALSE(a.Get<QPushButton>("RzButton4")->isEnabled()); // no sync runner here
        // The clock page fills when it is first shown.
        EXPECT_EQ(a.Get<QListWidget>("RzListView2")->count(), 0);
    });
    EXPECT_TRUE(ran);
    EXPECT_EQ(binding->Dialog(), nullptr);
    // Closed without a change: the whole save list is written.
    IniFile ini(dir.File("skin.ini"));
    EXPECT_EQ(ini.ReadString("BAR", "Tr"), "155");
    EXPECT_EQ(ini.ReadString("TIME", "StepHour"), "1");
    EXPECT_EQ(ini.ReadString("SKIN", "SkinFile"), "Dark.sk");
}

TEST_F(FrmOptionsTest, ActingControlsWaitForTheLoadAndClosingAnyWaySaves) {
    auto bar = MakeBar("; mine\r\n[BAR]\r\nLeft=5\r\nTop=6\r\n");
    // Changed in the file after start: the dialog shows them but loading does not act.
    tobu::testing::TempDir::Put(dir.File("skin.ini"),
                                "; mine\r\n[BAR]\r\nLeft=5\r\nTop=6\r\nOnTop=1\r\n"
                                "[CLOCK]\r\nHotKey1=alt + ctrl\r\nHotKey2=T\r\nHotKey=1\r\n");
    std::vector<std::string> handed;
    QObject::connect(bar.get(), &TFrmLED::chimeOptionsApplied, [&](const ClockSettings::Clock& c) {
        handed.push_back("chime " + std::to_string(c.alarm_type));
    });
    QObject::connect(bar.get(), &TFrmLED::messageOptionsApplied, [&](const MessageOptions& m) {
        handed.push_back("msg " + std::to_string(m.auto_sec));
    });
    OpenFromMenu(*bar, "PM_OptionsBS", [&](TFrmOptions& d) {
        OptionsTestAccess a{d};
        EXPECT_EQ(d.Page(), kPageChime);
        EXPECT_FALSE(bar->OnTop());
        EXPECT_EQ(a.Get<QComboBox>("RzComboBox1")->currentIndex(), -1);
        EXPECT_EQ(a.Get<QComboBox>("RzComboBox2")->currentText(), "T");
        EXPECT_TRUE(a.Get<QComboBox>("RzComboBox1")->isEnabled());
        EXPECT_FALSE(a.Get<QWidget>("RzRadioGroup1")->isEnabled());
        a.Get<QCheckBox>("RzCheckBox4")->click();
        EXPECT_TRUE(a.Get<QWidget>("RzRadioGroup1")->isEnabled());
        a.Get<QRadioButton>("AlarmType2")->click();
        // Acting at once.
        a.Get<QCheckBox>("RzCheckBox2")->click();
        a.Get<QCheckBox>("RzCheckBox2")->click();
        EXPECT_TRUE(bar->OnTop());
        a.Get<QSlider>("RzTrackBar1")->setValue(55);
        EXPECT_EQ(bar->BarAlpha(), 55);
        EXPECT_EQ(a.Get<QLabel>("LabelTr1")->text(), "80%");
        a.Get<QRadioButton>("RzRadioButton7")->click();
        EXPECT_FALSE(bar->LedDisplayVisible());
        EXPECT_TRUE(a.Get<QPushButton>("RzButton5")->isEnabled());
        a.Get<QRadioButton>("RzRadioButton1")->click(); // 手动关闭
        a.Get<QRadioButton>("RzRadioButton5")->click(); // 循环显示
        EXPECT_FALSE(Of(bar).TimerWarStep().isActive());
        // Escape closes as the frame's close button does.
        Key(&d, Qt::Key_Escape);
    });
    const std::string ini = Ini();
    EXPECT_THAT(ini, ::testing::StartsWith("; mine\r\n[BAR]\r\nLeft=5\r\nTop=6\r\nOnTop=1\r\n"));
    EXPECT_THAT(ini, ::testing::HasSubstr("HotKey1=\r\nHotKey2=T\r\nHotKey=1\r\n"));
    EXPECT_THAT(ini, ::testing::HasSubstr("HalfAlarm=1\r\nAlarmType=2\r\n"));
    EXPECT_THAT(ini, ::testing::HasSubstr("[LED]\r\nLEDFont=0\r\nFontName=Tahoma\r\n"));
    EXPECT_THAT(ini, ::testing::HasSubstr("Tr=55\r\n"));
    EXPECT_THAT(ini, ::testing::HasSubstr("Auto=0\r\n"));
    EXPECT_THAT(handed, ::testing::ElementsAre("msg -1", "chime 2"));
    EXPECT_TRUE(Of(bar).TimerWarStep().isActive());
    EXPECT_EQ(Of(bar).TimerWarStep().interval(), 5 * 60000);
}

TEST_F(FrmOptionsTest, WrongVersionWarnsAndAutostartIsRewrittenOnEveryClose) {
    std::string old = tobu::testing::TempDir::Get(dir.File("Skin/Dark.sk"));
    // Same length, another version.
    auto at = old.find("SkinVer=1.0");
    ASSERT_NE(at, std::string::npos);
    old.replace(at, 11, "SkinVer=1.1");
    tobu::testing::TempDir::Put(dir.File("Skin/Dark.sk"), old);
    autostart.on = true;
    auto bar = MakeBar("[SKIN]\r\nSkinFile=Dark.sk\r\n");
    OpenFromMenu(*bar, "PM_OptionsNor", [&](TFrmOptions& d) {
        OptionsTestAccess a{d};
        EXPECT_TRUE(a.Get<QCheckBox>("RzCheckBox1")->isChecked());
        EXPECT_TRUE(d.AutostartChanged());
        // To the skin page by the keyboard: Ctrl+Tab twice.
        Key(a.Get<QCheckBox>("RzCheckBox1"), Qt::Key_Tab, Qt::ControlModifier);
        Key(&d, Qt::Key_Tab, Qt::ControlModifier);
        EXPECT_EQ(d.Page(), kPageSkin);
        ASSERT_EQ(boxes.calls.size(), 1u);
        EXPECT_EQ(boxes.calls[0], (ScriptedMessageBox::Call{"警告", "无法识别的文件版本！",
                                                            MsgIcon::Warning, MsgButtons::Ok}));
        EXPECT_FALSE(a.Get<QPushButton>("BtnApplySkin")->isEnabled());
        // Another skin previews and applies at once.
        auto* list = a.Get<QListWidget>("RzListView1");
        auto found = list->findItems("Light.sk", Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        list->setCurrentItem(found[0]);
        ASSERT_TRUE(a.Get<QPushButton>("BtnApplySkin")->isEnabled());
        a.Get<QPushButton>("BtnApplySkin")->click();
        EXPECT_EQ(CurrentSkinFile, "Light.sk");
        EXPECT_EQ(IniFile(dir.File("skin.ini")).ReadString("SKIN", "SkinFile"), "Light.sk");
    });
    EXPECT_EQ(autostart.calls, (std::vector<std::string>{"on"}));
}

TEST_F(FrmOptionsTest, TabWalksThePageThenCloseThenTheTabs) {
    auto bar = MakeBar("");
    OpenFromMenu(*bar, "PM_OptionsTime1", [&](TFrmOptions& d) {
        OptionsTestAccess a{d};
        QApplication::setActiveWindow(&d);
        a.Get<QCheckBox>("RzCheckBox5")->setFocus();
        std::vector<QString> seen;
        for (int i = 0; i < 5; ++i) {
            seen.push_back(QApplication::focusWidget() ? QApplication::focusWidget()->objectName()
                                                       : QString("none"));
            Key(QApplication::focusWidget() ? QApplication::focusWidget() : &d, Qt::Key_Tab);
        }
        // The interval is disabled while "自动网络校时" is off; "立即校正" has no runner.
        EXPECT_THAT(seen, ::testing::ElementsAre("RzCheckBox5", "BtnClose", "PageList",
                                                 "RzCheckBox5", "BtnClose"));
        Key(a.Get<QCheckBox>("RzCheckBox5"), Qt::Key_Space);
        EXPECT_TRUE(a.Get<QCheckBox>("RzCheckBox5")->isChecked());
        EXPECT_TRUE(a.Get<QWidget>("RzSpinEdit3")->isEnabled());
    });
    EXPECT_THAT(Ini(), ::testing::HasSubstr("AutoChcek=1\r\n"));
}

TEST_F(FrmOptionsTest, ConfigSetAppliesLiveUnlessTheDialogIsOpen) {
    auto bar = MakeBar("[BAR]\r\nTr=200\r\n");
    std::vector<int> steps;
    QObject::connect(bar.get(), &TFrmLED::timeSyncApplied,
                     [&](const ClockSettings::Time& t) { steps.push_back(t.step_hour); });
    tobu::testing::TempDir::Put(dir.File("skin.ini"),
                                "[BAR]\r\nTr=9\r\nOnTop=1\r\n[LED]\r\nLEDFont=0\r\n"
                                "[TIME]\r\nStepHour=0x10\r\n");
    Message m;
    m.msg = kWmApplySettings;
    const std::string own = dir.File("skin.ini");
    m.data.assign(own.begin(), own.end());
    Message other = m;
    const std::string elsewhere = dir.File("other.ini");
    other.data.assign(elsewhere.begin(), elsewhere.end());
    EXPECT_EQ(bar->HandleMessage(other), 0);
    EXPECT_EQ(bar->BarAlpha(), 200);
    EXPECT_EQ(bar->HandleMessage(m), 1);
    EXPECT_EQ(bar->BarAlpha(), 55);
    EXPECT_TRUE(bar->OnTop());
    EXPECT_FALSE(bar->LedDisplayVisible());
    EXPECT_THAT(steps, ::testing::ElementsAre(16));
    qint64 whileOpen = -1;
    OpenFromMenu(*bar, "PM_OptionsMsg", [&](TFrmOptions&) { whileOpen = bar->HandleMessage(m); });
    EXPECT_EQ(whileOpen, 2);
}

} // namespace
