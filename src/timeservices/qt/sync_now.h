// "立即校正" for the options dialog's page "校时": one synchronisation attempt (TSyncTimeDir)
// run on a worker thread while a local event loop keeps the dialog painting; the button is
// disabled meanwhile. On success the label shows "最后校正于: " and the time; on failure it
// keeps its text, and a clock that could not be set is told in a "提示" box.
#pragma once

#include <QString>
#include <string>

#include "timeservices/time_sync.h"

class QAbstractButton;
class QLabel;

namespace tobu {

class ClockSetter;
class MessageBox;

// The label's text when the dialog opens: "最后校正于: " + the first line of TimeCheck.lst, or
// "最后校正于:" when there is none.
QString LastSyncText(const std::string& app_dir);

// One attempt with the program folder's TimeHost.lst and TimeCheck.lst, without freezing the
// user interface (returns when the attempt has ended).
SyncOutcome SyncTimeNow(const std::string& app_dir, ClockSetter& setter);

// The whole button: disables `button` while the attempt runs, then updates `label` or shows
// the box. Returns the outcome.
SyncOutcome RunSyncNow(const std::string& app_dir, QAbstractButton* button, QLabel* label,
                       MessageBox& box, ClockSetter& setter);

} // namespace tobu
