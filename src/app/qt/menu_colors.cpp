#include "app/qt/menu_colors.h"

#include <QEvent>
#include <QLinearGradient>
#include <QMenu>
#include <QPainter>

#include "settings/skin_loaders.h"

namespace tobu {

namespace {

QColor Q(TColor c) {
    return QColor(ColorR(c), ColorG(c), ColorB(c));
}

// The strip on the left of a menu where the icons sit, from the menu's outer edge.
constexpr int kIconColumnWidth = 27;

// Paints a menu's white body and its icon column, a left-to-right gradient from the skin's
// IconBarColor1 to IconBarColor2, before the menu paints its items over them (the style sheet
// gives the menu and its unselected items no background of their own).
class MenuBackground : public QObject {
public:
    explicit MenuBackground(QMenu* menu) : QObject(menu) {
        setObjectName("MenuBackground");
        menu->installEventFilter(this);
    }
    void SetColors(const MenuColors& m) { colors_ = m; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            auto* menu = static_cast<QWidget*>(watched);
            QPainter p(menu);
            p.fillRect(menu->rect(), Qt::white);
            QLinearGradient g(0, 0, kIconColumnWidth, 0);
            g.setColorAt(0, Q(colors_.icon_bar_start));
            g.setColorAt(1, Q(colors_.icon_bar_stop));
            p.fillRect(QRect(0, 0, kIconColumnWidth, menu->height()), g);
        }
        return false;
    }

private:
    MenuColors colors_;
};

QString MenuStyle(const MenuColors& m) {
    // The owner-drawn look: an icon column in the icon-bar gradient (painted by MenuBackground),
    // the selected item in the selection gradient with its frame.
    return QString("QMenu { background: transparent; border: 1px solid %1; padding: 2px; }"
                   "QMenu::item { padding: 4px 24px 4px 32px; color: #000000;"
                   " background: transparent; }"
                   "QMenu::item:disabled { color: #9A9A9A; }"
                   "QMenu::item:selected { background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
                   " stop:0 %2, stop:1 %3); border: 1px solid %1; }"
                   "QMenu::icon { padding-left: 6px; }"
                   "QMenu::separator { height: 1px; background: %4; margin: 3px 4px 3px 32px; }")
        .arg(Q(m.selection_frame).name(), Q(m.selection_start).name(), Q(m.selection_stop).name(),
             Q(m.icon_bar_stop).name());
}

} // namespace

void SetMenuColors(QMenu& menu, const MenuColors& colors) {
    auto* background =
        menu.findChild<MenuBackground*>("MenuBackground", Qt::FindDirectChildrenOnly);
    if (!background) background = new MenuBackground(&menu);
    background->SetColors(colors);
    menu.setStyleSheet(MenuStyle(colors));
}

} // namespace tobu
