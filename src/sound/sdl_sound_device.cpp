#include "sound/sdl_sound_device.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>
#include <type_traits>

namespace tobu {

namespace {

void SilentAlsaError(const char*, int, const char*, int, const char*, ...) {}

// ALSA writes every failed step of opening a device to standard error (eight lines when the
// machine has no sound card), and SDL tries ALSA before we fall back to the silent driver.
// SDL loads libasound itself; loading it first and giving it a silent error handler quiets
// that copy, as the library is loaded once per process. It stays loaded for SDL.
void QuietAlsa() {
    static const bool quieted = [] {
        void* lib = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
        if (!lib) return false;
        using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
        using SetHandler = int (*)(Handler);
        auto set = reinterpret_cast<SetHandler>(dlsym(lib, "snd_lib_error_set_handler"));
        return set && set(&SilentAlsaError) == 0;
    }();
    (void)quieted;
}

// SDL and SDL_mixer are loaded on the first Open, not linked: with their codecs and sound
// servers they map about 4 MB, which a clock that never sounds does without. They stay loaded
// once audio has been opened.
struct MixerApi {
    decltype(&SDL_SetHintWithPriority) SetHintWithPriority = nullptr;
    decltype(&SDL_InitSubSystem) InitSubSystem = nullptr;
    decltype(&SDL_QuitSubSystem) QuitSubSystem = nullptr;
    decltype(&SDL_GetCurrentAudioDriver) GetCurrentAudioDriver = nullptr;
    decltype(&Mix_Init) Init = nullptr;
    decltype(&Mix_Quit) Quit = nullptr;
    decltype(&Mix_OpenAudio) OpenAudio = nullptr;
    decltype(&Mix_CloseAudio) CloseAudio = nullptr;
    decltype(&Mix_HookMusicFinished) HookMusicFinished = nullptr;
    decltype(&Mix_LoadMUS) LoadMUS = nullptr;
    decltype(&Mix_FreeMusic) FreeMusic = nullptr;
    decltype(&Mix_PlayMusic) PlayMusic = nullptr;
    decltype(&Mix_HaltMusic) HaltMusic = nullptr;
};

// The loaded libraries' entry points, or null when they cannot be loaded (no sound then).
const MixerApi* Mixer() {
    static const MixerApi* const api = []() -> const MixerApi* {
        void* mixer = dlopen("libSDL2_mixer-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        void* sdl = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!mixer || !sdl) return nullptr;
        static MixerApi a;
        bool all = true;
        auto get = [&all](void* lib, auto& fn, const char* name) {
            fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(lib, name));
            all = all && fn != nullptr;
        };
        get(sdl, a.SetHintWithPriority, "SDL_SetHintWithPriority");
        get(sdl, a.InitSubSystem, "SDL_InitSubSystem");
        get(sdl, a.QuitSubSystem, "SDL_QuitSubSystem");
        get(sdl, a.GetCurrentAudioDriver, "SDL_GetCurrentAudioDriver");
        get(mixer, a.Init, "Mix_Init");
        get(mixer, a.Quit, "Mix_Quit");
        get(mixer, a.OpenAudio, "Mix_OpenAudio");
        get(mixer, a.CloseAudio, "Mix_CloseAudio");
        get(mixer, a.HookMusicFinished, "Mix_HookMusicFinished");
        get(mixer, a.LoadMUS, "Mix_LoadMUS");
        get(mixer, a.FreeMusic, "Mix_FreeMusic");
        get(mixer, a.PlayMusic, "Mix_PlayMusic");
        get(mixer, a.HaltMusic, "Mix_HaltMusic");
        return all ? &a : nullptr;
    }();
    return api;
}

// SDL_mixer's end hook is a plain function: it finds the one device through this pointer.
std::mutex g_deviceMutex;
SdlSoundDevice* g_device = nullptr;

bool OpenAudioWith(const MixerApi& mix, const char* driver) {
    if (driver) mix.SetHintWithPriority(SDL_HINT_AUDIODRIVER, driver, SDL_HINT_OVERRIDE);
    if (mix.InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    if (mix.OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 1024) == 0) return true;
    mix.QuitSubSystem(SDL_INIT_AUDIO);
    return false;
}

} // namespace

SdlSoundDevice::~SdlSoundDevice() {
    ShutDown();
}

void SdlSoundDevice::MusicFinishedHook() {
    std::lock_guard<std::mutex> guard(g_deviceMutex);
    if (g_device) g_device->MusicFinished();
}

void SdlSoundDevice::MusicFinished() {
    std::lock_guard<std::mutex> lock(mutex_);
    // Halting a sound on purpose also runs the hook; only the end of the sound we started
    // and still wait for counts.
    if (!expecting_) return;
    expecting_ = false;
    queue_.push_back(kNotifySuccessful);
    queued_.notify_all();
    if (wakeup_) wakeup_();
}

bool SdlSoundDevice::EnsureAudio() {
    if (ready_) return true;
    if (failed_) return false;
    const MixerApi* mix = Mixer();
    if (!mix) {
        failed_ = true;
        return false;
    }
    {
        std::lock_guard<std::mutex> guard(g_deviceMutex);
        if (g_device && g_device != this) {
            failed_ = true;
            return false;
        }
        g_device = this;
    }
    QuietAlsa();
    mix->Init(MIX_INIT_MP3);
    if (OpenAudioWith(*mix, nullptr) || OpenAudioWith(*mix, "dummy")) {
        const char* name = mix->GetCurrentAudioDriver();
        driver_ = name ? name : "";
        mix->HookMusicFinished(&SdlSoundDevice::MusicFinishedHook);
        ready_ = true;
        return true;
    }
    mix->Quit();
    failed_ = true;
    std::lock_guard<std::mutex> guard(g_deviceMutex);
    g_device = nullptr;
    return false;
}

void SdlSoundDevice::CloseAll() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        expecting_ = false;
        queue_.clear();
    }
    if (!ready_) return;
    Mixer()->HaltMusic();
    for (auto& [path, music] : opened_) Mixer()->FreeMusic(music);
    opened_.clear();
}

bool SdlSoundDevice::Open(const std::string& path) {
    if (!EnsureAudio()) return false;
    if (opened_.count(path)) return true;
    Mix_Music* music = Mixer()->LoadMUS(path.c_str());
    if (!music) return false;
    opened_[path] = music;
    return true;
}

bool SdlSoundDevice::PlayNotify(const std::string& path) {
    if (!Open(path)) return false;
    Mix_Music* music = opened_[path];
    {
        std::lock_guard<std::mutex> lock(mutex_);
        expecting_ = false;
    }
    // After the halt no earlier sound can report its end (the hook runs under the mixer's
    // lock, which Mix_HaltMusic takes), so the next report belongs to this play.
    Mixer()->HaltMusic();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        expecting_ = true;
    }
    if (Mixer()->PlayMusic(music, 0) != 0) {
        std::lock_guard<std::mutex> lock(mutex_);
        expecting_ = false;
        return false;
    }
    return true;
}

void SdlSoundDevice::SetWakeup(std::function<void()> wakeup) {
    std::lock_guard<std::mutex> lock(mutex_);
    wakeup_ = std::move(wakeup);
}

std::vector<int> SdlSoundDevice::TakeNotifications() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<int> out;
    out.swap(queue_);
    return out;
}

bool SdlSoundDevice::WaitForNotification(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    return queued_.wait_for(lock, timeout, [this] { return !queue_.empty(); });
}

std::string SdlSoundDevice::DriverName() const {
    return driver_;
}

void SdlSoundDevice::ShutDown() {
    CloseAll();
    if (!ready_) return;
    Mixer()->HookMusicFinished(nullptr);
    Mixer()->CloseAudio();
    Mixer()->QuitSubSystem(SDL_INIT_AUDIO);
    Mixer()->Quit();
    ready_ = false;
    std::lock_guard<std::mutex> guard(g_deviceMutex);
    if (g_device == this) g_device = nullptr;
}

bool PlayToEnd(TBackSound& player, SdlSoundDevice& device, std::chrono::milliseconds quietLimit) {
    while (player.Playing()) {
        if (!device.WaitForNotification(quietLimit)) return false;
        for (int code : device.TakeNotifications()) player.MMNotify(code);
    }
    return true;
}

} // namespace tobu
