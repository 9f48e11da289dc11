// The calendar window TFrmCalendar: a skinned 332 × 390 companion of the bar with the year,
// month and display-mode captions and their menus, the month grid, the four information lines
// of the selected day, and the user's date marks (Marks.rec) with their menu items and dialogs.
// It is made on its first use and lives until the bar ends; closing it only hides it.
#pragma once

#include <QImage>
#include <QWidget>
#include <array>
#include <functional>
#include <string>

#include "calendar/calendar_skin.h"
#include "calendar/marks.h"

class QAction;
class QLabel;
class QMenu;

namespace tobu {

class Clock;
class MarkDialogs;
class MessageBox;
class TBitmapButton;
class TFormShadow;
class TLssCalendar;
class TMyWindow;
class WindowMover;

class TFrmCalendar : public QWidget {
    Q_OBJECT
public:
    struct Services {
        const Clock* clock = nullptr;            // today; the system clock when null
        MessageBox* messageBox = nullptr;        // the save warning and the list's delete question
        MarkDialogs* dialogs = nullptr;          // mark editor, delete confirmation, year entry
        std::function<const TMyWindow*()> frame; // the bar's dialog frame
        std::string appDir;                      // Marks.rec and skin.ini live here
        bool shadows = true;
    };
    explicit TFrmCalendar(const Services& services);
    ~TFrmCalendar() override;

    // Companion window operations.
    void ShowCalendar(int alpha, int left, int top);
    void CloseCalendar();
    void SetAlpha(int alpha);
    void ReloadSkin();
    bool LoadSkin(const std::string& path);
    void SetMenuLook(const MenuColors& colors);
    // The bar's tick: on the first tick of a new day the grid is drawn again, so "今天" moves
    // to the new date while the window is open. The selected date stays where it was.
    void FollowDate(TDateTime now);

    // Marks.
    void LoadMarks();
    // Sorts and writes Marks.rec atomically; on failure the list stays, the user is told once
    // and the next change (or the exit) tries again. True when the file is written.
    bool SaveMarks();
    bool SavePending() const { return save_pending_; }
    std::string GetMarkText(int kind, const std::string& key) const;
    void ApplyMark(const std::string& name);
    void RemoveMark(const std::string& name);
    MarkList& Marks() { return marks_; }
    // The list dialog "日历标记" on the window's list (the caller saves afterwards).
    void ShowMarkList();

    // The display mode (0 lunar, 1 stem-branch, 2 festivals), as its menu sets it.
    void PM_GNClick(int tag);
    void PM_MarkClick();
    void PM_DelMarkClick();
    void PM_AllMarkClick();
    void PM_YOtherClick();
    // Opens the context menu; fromGrid shows the two day items.
    void PopupMark(const QPoint& global, bool fromGrid);

    TLssCalendar* Grid() const { return LssCalendar1; }
    QMenu* PopupMenuMark() const { return PopupMenuMark_; }
    QMenu* PopupMenuY() const { return PopupMenuY_; }
    std::array<QLabel*, 4> InfoLabels() const { return {Label1, Label2, Label3, Label4}; }
    WindowMover* Mover() const { return mover_; }
    TFormShadow* Shadow() const { return shadow_; }
    std::int32_t MarkColor() const { return mark_color_; }

signals:
    // "切换到": 2 the clock, 3 the weather page (the bar's display-mode numbering).
    void showChildWindowRequested(int modeIndex);

protected:
    void paintEvent(QPaintEvent*) override;
    void closeEvent(QCloseEvent*) override;
    void contextMenuEvent(QContextMenuEvent*) override;
    void showEvent(QShowEvent*) override;
    void hideEvent(QHideEvent*) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void BuildMenus();
    void BuildDateMenus();
    void LssCalendar1Change();
    void PopupMenuMarkPopup();
    void UpdateMask();
    TDateTime shown_today_ = 0;
    TDateTime Today() const;

    Services services_;
    MarkList marks_;
    std::int32_t mark_color_ = kDefaultMarkColor;
    bool save_pending_ = false, warned_ = false;
    int menu_tag_ = 0;
    bool shown_once_ = false;
    QImage background_;
    TFormShadow* shadow_ = nullptr;
    WindowMover* mover_ = nullptr;

    TLssCalendar* LssCalendar1 = nullptr;
    QLabel *RzLabel1 = nullptr, *RzLabel2 = nullptr, *RzLabel3 = nullptr;
    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr;
    TBitmapButton *BtnGNG = nullptr, *BtnYear = nullptr, *BtnMonth = nullptr;
    QMenu *PopupMenuY_ = nullptr, *PopupMenuM = nullptr, *PopupMenuGNG = nullptr,
          *PopupMenuMark_ = nullptr, *PM_QieHuan = nullptr;
    QAction *PM_Mark = nullptr, *PM_DelMark = nullptr, *PM_AllMark = nullptr, *PM_CSSJ = nullptr;
    QAction *PM_ShiZhong = nullptr, *PM_TianQi = nullptr, *PM_Close = nullptr;
    QAction *PM_GN = nullptr, *PM_GG = nullptr, *PM_JR = nullptr;
};

// The 9 × 9 stars of marked and festival days.
QImage MarkStarImage();
QImage FestivalStarImage();

} // namespace tobu
