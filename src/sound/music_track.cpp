#include "sound/music_track.h"

#include <cstdio>
#include <new>

#include "platform/files.h"

MusicTrack::MusicTrack(const char* path) {
    Load(path);
}

MusicTrack::~MusicTrack() {
    delete player_;  // stops it first
    delete[] bytes_;
}

void MusicTrack::Load(const char* path) {
    FILE* f = OpenFile(path, "rb");
    if (!f) return;
    delete player_;
    player_ = nullptr;
    delete[] bytes_;
    bytes_ = nullptr;
    size_ = 0;
    long size = -1;
    if (std::fseek(f, 0, SEEK_END) == 0) size = std::ftell(f);
    std::fseek(f, 0, SEEK_SET);
    if (size <= 0) {
        std::fclose(f);
        return;
    }
    bytes_ = new (std::nothrow) uint8_t[static_cast<size_t>(size)]();
    if (!bytes_) {
        std::fclose(f);
        return;
    }
    size_ = static_cast<size_t>(size);
    // A file that ends early leaves the rest of the bytes zero.
    size_t got = std::fread(bytes_, 1, size_, f);
    (void)got;
    std::fclose(f);
    player_ = new (std::nothrow) WMp3();
    if (!player_ || !player_->OpenMp3Stream(bytes_, size_, 2000)) {
        delete player_;
        player_ = nullptr;
        delete[] bytes_;
        bytes_ = nullptr;
        size_ = 0;
    }
}

bool MusicTrack::Play(int fromMs, int lengthMs) {
    if (!player_) return false;
    if (fromMs < 0) fromMs = 0;
    if (lengthMs < 0) lengthMs = static_cast<int>(player_->GetSongLength());
    player_->PlayLoopM(fromMs, lengthMs, 10000);
    return true;
}

bool MusicTrack::Stop() {
    if (!player_) return false;
    player_->Stop();
    return true;
}

bool MusicTrack::Pause() {
    if (!player_) return false;
    Mp3Status s = player_->GetStatus();
    if (!s.fPlay || s.fPause) return false;
    player_->Pause();
    return true;
}

bool MusicTrack::Resume() {
    if (!player_ || !player_->GetStatus().fPause) return false;
    player_->Resume();
    return true;
}
