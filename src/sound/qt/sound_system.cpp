#include "sound/qt/sound_system.h"

namespace tobu {

TSoundSystem::TSoundSystem(const std::string& soundFolder, QObject* parent)
    : QObject(parent), device_(), alarm_(device_, soundFolder),
      notifier_(device_, alarm_.Player(), nullptr) {}

TSoundSystem::~TSoundSystem() = default;

} // namespace tobu
