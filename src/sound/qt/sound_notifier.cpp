#include "sound/qt/sound_notifier.h"

#include <QMetaObject>

namespace tobu {

TSoundNotifier::TSoundNotifier(SdlSoundDevice& device, TBackSound& player, QObject* parent)
    : QObject(parent), device_(device), player_(player) {
    // Runs on SDL's audio thread. A call still queued when this object dies is dropped by Qt.
    device_.SetWakeup([this] {
        QMetaObject::invokeMethod(
            this, [this] { Deliver(); }, Qt::QueuedConnection);
    });
}

TSoundNotifier::~TSoundNotifier() {
    device_.SetWakeup(nullptr);
}

void TSoundNotifier::Deliver() {
    for (int code : device_.TakeNotifications()) player_.MMNotify(code);
}

} // namespace tobu
