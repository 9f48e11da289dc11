// Connects the skin loaders to the bar: the bar skin named in skin.ini replaces the bar's
// background, buttons, LED and panel colours, date-line colour and menu colours; the dialog
// frame is kept for the dialogs.
#pragma once

#include <memory>

class QMenu;

namespace tobu {

class TFrmLED;
class TMyWindow;
struct BarSkin;
struct MenuColors;

// Gives a menu the owner-drawn look in the skin's colours: the icon column in the icon-bar
// gradient, the selected item in the selection gradient and frame.
void SetMenuColors(QMenu& menu, const MenuColors& colors);

// Applies a loaded bar skin to the bar's controls.
void ApplyBarSkin(TFrmLED& bar, const BarSkin& skin);

// Installs the bar's skin hooks; call before FormCreate. The dialog frame, once loaded, is
// reachable through the returned holder (empty while no frame skin was loaded).
std::shared_ptr<std::unique_ptr<TMyWindow>> BindSkins(TFrmLED& bar);

} // namespace tobu
