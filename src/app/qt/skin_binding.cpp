#include "app/qt/skin_binding.h"

#include <QMenu>
#include <utility>

#include "app/qt/bitmap_button.h"
#include "app/qt/flat_panel.h"
#include "app/qt/frm_led.h"
#include "app/qt/my_window.h"
#include "faces/qt/aa_fadetext.h"
#include "faces/qt/led_font_num_widget.h"
#include "settings/skin_loaders.h"

namespace tobu {

namespace {

QColor Q(TColor c) {
    return QColor(ColorR(c), ColorG(c), ColorB(c));
}

QString MenuStyle(const MenuColors& m) {
    // The owner-drawn look: an icon column in the icon-bar gradient, the selected item in the
    // selection gradient with its frame.
    return QString("QMenu { background: #FFFFFF; border: 1px solid %1; padding: 2px; }"
                   "QMenu::item { padding: 4px 24px 4px 28px; color: #000000; }"
                   "QMenu::item:disabled { color: #9A9A9A; }"
                   "QMenu::item:selected { background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
                   " stop:0 %2, stop:1 %3); border: 1px solid %1; }"
                   "QMenu::icon { padding-left: 6px; }"
                   "QMenu::separator { height: 1px; background: %4; margin: 3px 4px 3px 28px; }")
        .arg(Q(m.selection_frame).name(), Q(m.selection_start).name(), Q(m.selection_stop).name(),
             Q(m.icon_bar_stop).name());
}

} // namespace

void ApplyBarSkin(TFrmLED& bar, const BarSkin& skin) {
    QImage background = ToQImage(skin.background);
    if (!background.isNull()) bar.SetBackground(background);
    if (!skin.menu_up.Empty())
        bar.BtnMenu->SetPictures(ToQImage(skin.menu_up), ToQImage(skin.menu_hot));
    if (!skin.min_up.Empty())
        bar.BtnMin->SetPictures(ToQImage(skin.min_up), ToQImage(skin.min_hot));
    bar.LED->setBGColor(skin.led_bk_color);
    bar.LED->setDarkColor(skin.led_dark_color);
    bar.LED->setLightColor(skin.led_font_color);
    bar.RzPanel2->SetBorderColor(Q(skin.led_border_color));
    bar.LED->setGeometry(skin.led_bounds.left, skin.led_bounds.top, skin.led_bounds.Width(),
                         skin.led_bounds.Height());
    // The date line's two fonts take the skin's text colour.
    const std::pair<const char*, TColor> colors[] = {{"FontCN", skin.font_cn_color},
                                                     {"FontAD", skin.font_ad_color}};
    for (const auto& [name, color] : colors) {
        if (TFontLabel* label = bar.AAFadeTextDate->Fonts().Find(name)) {
            TAACanvasFont font = label->Font();
            font.color = color;
            label->SetFont(font);
        }
    }
    bar.AAFadeTextDate->update();
    // Menu colours take effect the next time a menu opens.
    QString style = MenuStyle(skin.menu);
    bar.PopupMenu1->setStyleSheet(style);
    bar.PopupMenu2->setStyleSheet(style);
}

std::shared_ptr<std::unique_ptr<TMyWindow>> BindSkins(TFrmLED& bar) {
    auto frame = std::make_shared<std::unique_ptr<TMyWindow>>();
    bar.loadBarSkinHook = [&bar](const std::string& path) {
        BarSkin skin;
        SkinLoadResult r = LoadBarSkin(path, skin, bar.RzPanel2->width(), bar.RzPanel2->height());
        if (r.Applied()) ApplyBarSkin(bar, skin);
        ThrowIfDamaged(r);
    };
    bar.loadDialogFrameHook = [frame](const std::string& path) {
        WinSkin skin;
        SkinLoadResult r = LoadWinSkin(path, skin);
        if (r.Applied()) *frame = TMyWindow::FromSkin(skin);
        ThrowIfDamaged(r);
    };
    return frame;
}

} // namespace tobu
