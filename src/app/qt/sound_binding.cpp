#include "app/qt/sound_binding.h"

#include <memory>

#include "app/qt/frm_led.h"
#include "sound/qt/sound_system.h"

namespace tobu {

void BindSound(TFrmLED& bar) {
    struct State {
        std::unique_ptr<TSoundSystem> sound;
    };
    auto state = std::make_shared<State>();
    auto previousStartUp = bar.startUpHook;
    bar.startUpHook = [&bar, state, previousStartUp](TFrmLED::StartUpStep step) {
        if (step == TFrmLED::StartUpStep::ChimesAndTasks && !state->sound) {
            state->sound = std::make_unique<TSoundSystem>(AppDir + "Sound/");
            state->sound->Alarm().SetOptions(bar.Alarm, bar.HalfAlarm, bar.AlarmType);
        }
        if (previousStartUp) previousStartUp(step);
    };
    bar.chimeCheckHook = [state](TDateTime now) {
        return state->sound ? state->sound->Alarm().Check(now) : false;
    };
    bar.announceHook = [state](TDateTime now) {
        if (state->sound) state->sound->Alarm().Announce(now);
    };
    auto previousDestroy = bar.destroyHook;
    bar.destroyHook = [state, previousDestroy] {
        if (previousDestroy) previousDestroy();
        state->sound.reset();
    };
}

} // namespace tobu
