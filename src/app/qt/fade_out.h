// The fade-out of the bar and its companion windows when they close.
#pragma once

class QWidget;

namespace tobu {

class TFormShadow;

// Hides the shadow (when given), then lowers the form's opacity by 30 (of 255) every 30 ms
// while it is above 30. Paint events run between the steps; user input waits.
void FadeOutForm(QWidget* form, TFormShadow* shadow);

} // namespace tobu
