// The SDL2 audio output: one device in the mixer's format, fed by the mixer from SDL's callback.
#include <SDL.h>

#include <mutex>

#include "platform/audio_mixer.h"
#include "platform/sdl_window.h"

namespace {
std::mutex gOpenLock;

void SdlAudioCallback(void*, Uint8* stream, int len) {
    AudioState& a = Audio();
    std::lock_guard<std::mutex> hold(a.lock);
    AudioMixLocked(a, reinterpret_cast<int16_t*>(stream),
                   static_cast<uint32_t>(len) / (MixerChannels * 2), false);
}
}  // namespace

bool SdlAudioEnsureDevice(AudioState& a) {
    std::lock_guard<std::mutex> hold(gOpenLock);
    if (!a.sdlTried) {
        a.sdlTried = true;
        if (SdlEnsureSubsystem(SDL_INIT_AUDIO)) {
            SDL_AudioSpec want{}, have{};
            want.freq = static_cast<int>(MixerRate);
            want.format = AUDIO_S16SYS;
            want.channels = static_cast<Uint8>(MixerChannels);
            want.samples = 1024;
            want.callback = SdlAudioCallback;
            SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
            if (id != 0) {
                a.sdlDevice = id;
                SDL_PauseAudioDevice(id, 0);
            }
        }
    }
    return a.sdlDevice != 0;
}
