// The effects' owner: one static sound buffer per effect, filled from its WAV file on first use.
#pragma once
#include <cstdint>

#include "platform/sound_device.h"
#include "sound/effects.h"

class SoundFx {
  public:
    // Clears the buffer table and the loaded flags; the first object made also sets up the device.
    SoundFx();

    // Loads the effect's file into its slot the first time it is used; later calls do nothing.
    void EnsureEffectLoaded(uint8_t id);
    // Makes and fills the slot's buffer from a WAV file; failures leave the slot empty.
    void LoadWave(const char* path, int slot);
    bool IsEffectPlaying(uint8_t id);
    // The buffer of a slot (0 when empty).
    SoundBufferHandle Buffer(int slot) const { return buffers_[slot]; }

  private:
    SoundBufferHandle buffers_[EffectCount] = {};
};

// Tells a sound failure in the failure message box; always false.
bool ShowSoundError(int code);

// The one effects object, once InitSound has made it.
SoundFx* CurrentSoundFx();
// Whether an effect's load has been attempted (slot 0 to 43).
bool EffectLoadAttempted(int slot);
