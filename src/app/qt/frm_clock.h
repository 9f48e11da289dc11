// The analog clock window "Clock_BK": a borderless companion of the bar showing a clock face
// with turning hour, minute and second hands and a centre cap. Fuchsia in the composed
// picture is see-through (window mask), the whole window is translucent at the bar's alpha,
// and a soft shadow sits under it on a compositing desktop. The window is destroyed when it
// closes (after fading out); the bar learns it through clockClosed and QObject::destroyed.
#pragma once

#include <QImage>
#include <QRegion>
#include <QWidget>
#include <functional>
#include <string>

#include "base/datetime.h"
#include "faces/clock_dial.h"

class QAction;
class QMenu;

namespace tobu {

class Clock;
class TFormShadow;
class WindowMover;
struct MenuColors;

// The built-in face the clock starts with (always loads).
ClockFace BuiltinClockFace();

class TFrmClock : public QWidget {
    Q_OBJECT
public:
    // `clock` gives "now" for ShowClock; with shadows off no shadow window is made.
    explicit TFrmClock(const Clock& clock, bool shadows = true);
    ~TFrmClock() override;

    // Loads the face (full layout), places the window (left = `left` when ≥ 0 or there is no
    // right anchor, else right anchor − width; top = `top` when ≥ 0 or there is no bottom
    // anchor, else bottom anchor − height), sets the hands to now, shows the window at alpha
    // 255, lets pending events run, then takes `alpha` and shows the shadow.
    void ShowClock(const std::string& face_path, int alpha, int left, int bottom_anchor, int top,
                   int right_anchor);
    // ShowClock with the face already loaded: places, sets the hands, shows, takes `alpha`.
    // The bar loads the face first because the face's height places the window.
    void PlaceAndShow(int alpha, int left, int bottom_anchor, int top, int right_anchor);
    // Alpha back to 255, the shadow refreshed, then the window closes (fading out).
    void CloseClock();
    void SetClockHands(TDateTime time);
    // Loads a face package; a missing, refused or damaged file keeps the current face. With
    // keep_layout only the menu colours are taken over. Returns whether the face was taken.
    bool LoadClockFace(const std::string& path, bool keep_layout);
    // Loads the face the settings name (the bar supplies the path with SetFaceFileSource).
    void ReloadClockFace(bool keep_layout);
    void SetFaceFileSource(std::function<std::string()> source) { face_file_ = std::move(source); }
    void SetClockAlpha(int alpha);
    void ShowClockShadow();
    // The bar's skin menu colours, taken over by the pop-up menu.
    void SetMenuLook(const MenuColors& colors);

    const ClockDial& Dial() const { return dial_; }
    QMenu* PopupMenu() const { return PopupMenu1; }
    // The program-driven move (left press on the window); the bar routes its callbacks to the
    // window snapping.
    WindowMover* Mover() const { return mover_; }
    TFormShadow* Shadow() const { return shadow_; }
    const QImage& Picture() const { return picture_; }

signals:
    void clockClosed();
    // "切换到": 1 the calendar, 3 the weather window (the bar's display-mode numbering).
    void showChildWindowRequested(int mode_index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void ApplyFace(ClockFace face);
    void Recompose();
    void BuildMenu();

    const Clock& clock_;
    ClockDial dial_;
    QImage picture_;
    QRegion mask_; // the window's shape as last set (empty: none)
    TFormShadow* shadow_ = nullptr;
    bool shadow_shown_once_ = false;
    WindowMover* mover_ = nullptr;
    std::function<std::string()> face_file_;

    QMenu* PopupMenu1 = nullptr;
    QAction* PM_DingShi = nullptr;
    QAction* PM_CSSJ = nullptr;
    QAction* PM_OptionType = nullptr;
    QAction* PM_OptionTime = nullptr;
    QMenu* PM_QieHuan = nullptr;
    QAction* PM_RiLi = nullptr;
    QAction* PM_TianQi = nullptr;
    QAction* PM_Hide = nullptr;
};

} // namespace tobu
