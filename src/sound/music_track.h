// One tune of the game: the whole file in memory and the player that plays it. A track whose file
// is missing or unreadable has no player, and then every operation does nothing.
#pragma once
#include <cstddef>
#include <cstdint>

#include "sound/wmp3.h"

class MusicTrack {
  public:
    // Loads the file whole and opens it with two seconds of output queued ahead.
    explicit MusicTrack(const char* path);
    ~MusicTrack();
    MusicTrack(const MusicTrack&) = delete;
    MusicTrack& operator=(const MusicTrack&) = delete;

    // Loops lengthMs from fromMs (negative: from the start / the whole song) up to 10000 times;
    // a run that is going is left alone and a paused one resumes. False without a player.
    bool Play(int fromMs, int lengthMs);
    bool Stop();
    // Pauses a playing run; false when it is not playing.
    bool Pause();
    // Resumes a paused run; false when it is not paused.
    bool Resume();

    WMp3* Player() const { return player_; }

  private:
    void Load(const char* path);
    WMp3* player_ = nullptr;
    uint8_t* bytes_ = nullptr;
    size_t size_ = 0;
};
