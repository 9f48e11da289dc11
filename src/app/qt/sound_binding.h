// Connects the chime sequencer and its player to the bar: created at its start-up step with
// the chime options just loaded, asked every tick after the task step, spoken by the hot key,
// freed when the bar is destroyed.
#pragma once

namespace tobu {

class TFrmLED;

// Installs the bar's chime hooks; call before FormCreate.
void BindSound(TFrmLED& bar);

} // namespace tobu
