// The tests' way to the bar's private controls, timers, menu items and fields, by the names
// they have on the form: Of(bar).LED()->text().
#pragma once

#include <gtest/gtest.h>
#include <memory>

#include "app/qt/frm_led.h"
#include "base/datetime.h"
#include "settings/temp_dir.h"

namespace tobu {

struct BarTestAccess {
    TFrmLED& b;

    TImageBk* ImageBk() const { return b.ImageBk; }
    TAAFadeText* AAFadeTextDate() const { return b.AAFadeTextDate; }
    TFlatPanel* RzPanel2() const { return b.RzPanel2; }
    TLEDFontNum* LED() const { return b.LED; }
    TBitmapButton* BtnMenu() const { return b.BtnMenu; }
    TBitmapButton* BtnMin() const { return b.BtnMin; }
    QSystemTrayIcon* RzTrayIcon1() const { return b.RzTrayIcon1; }
    QMenu* PopupMenu1() const { return b.PopupMenu1; }
    QMenu* PopupMenu2() const { return b.PopupMenu2; }
    QTimer& TimerClock() const { return b.TimerClock; }
    QTimer& TimerChild() const { return b.TimerChild; }
    QTimer& TimerWarStep() const { return b.TimerWarStep; }
    QTimer& TimerMsg() const { return b.TimerMsg; }
    QTimer& TimerHintClose() const { return b.TimerHintClose; }
    QTimer& TimerAD() const { return b.TimerAD; }
    QTimer& TimerSavePos() const { return b.TimerSavePos; }
    // A menu item by its name ("PM_Exit", "PM_Options1", ...).
    QAction* Item(const char* name) const {
        for (QMenu* menu : {b.PopupMenu1, b.PopupMenu2})
            if (auto* a = menu->findChild<QAction*>(name)) return a;
        return nullptr;
    }

    int Tr() const { return b.Tr; }
    int DefWin() const { return b.DefWin; }
    int SavedLeft() const { return b.SavedLeft; }
    int SavedTop() const { return b.SavedTop; }
    bool LastLoadFailed() const { return b.LastLoadFailed; }
    void SetTrayWaitMs(int ms) const { b.TrayWaitMs = ms; }

    void TimerClockTimer() const { b.TimerClockTimer(); }
    void TimerSavePosTimer() const { b.TimerSavePosTimer(); }
    void TimerChildTimer() const { b.TimerChildTimer(); }
    void PM_HelpClick() const { b.PM_HelpClick(); }
    void ApplyBarSkin(const BarSkin& skin) const { b.ApplyBarSkin(skin); }
};

inline BarTestAccess Of(TFrmLED& bar) {
    return {bar};
}
inline BarTestAccess Of(const std::unique_ptr<TFrmLED>& bar) {
    return {*bar};
}

// A bar in a temporary program folder with a fake clock: AppDir points at the folder while a
// test runs, and NewBar writes skin.ini there and builds a bar (not yet started up).
class BarFolderTest : public ::testing::Test {
protected:
    void SetUp() override { AppDir = dir.Dir(); }
    void TearDown() override { AppDir.clear(); }

    std::unique_ptr<TFrmLED> NewBar(const std::string& ini, TFrmLED::Services s = {}) {
        testing::TempDir::Put(dir.File("skin.ini"), ini);
        if (!s.clock) s.clock = &clock;
        return std::make_unique<TFrmLED>(s, "");
    }

    testing::TempDir dir;
    FakeClock clock{EncodeDateTime(2024, 2, 10, 13, 59, 52)};
};

} // namespace tobu
