// The menus' owner-drawn look in a skin's colours. The bar gives both of its menus the
// built-in colours when it builds them and the skin's when a bar skin is applied.
#pragma once

class QMenu;

namespace tobu {

struct MenuColors;

// Gives a menu the owner-drawn look in the skin's colours: the icon column in the icon-bar
// gradient, the selected item in the selection gradient and frame.
void SetMenuColors(QMenu& menu, const MenuColors& colors);

} // namespace tobu
