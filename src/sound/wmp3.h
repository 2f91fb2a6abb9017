// The streaming MP3 player: plays an MP3 held in memory (not copied) in loops, decoding on a
// thread of its own into the ring of wave-output buffers. Each failure keeps its last error text.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "sound/auto_event.h"
#include "sound/error_text.h"
#include "sound/mp3_probe.h"
#include "sound/pcm_dither.h"
#include "sound/wwaveout.h"

struct Mp3Status {
    bool fPlay = false;  // a run is going and not paused
    bool fPause = false;
    bool fStop = true;  // neither
};

struct Mp3Run;

class WMp3 {
  public:
    WMp3() = default;
    ~WMp3();
    WMp3(const WMp3&) = delete;
    WMp3& operator=(const WMp3&) = delete;

    // Opens a stream from memory with about bufferMs of output queued ahead; 1 or 0.
    int OpenMp3Stream(const uint8_t* bytes, size_t size, int bufferMs);
    // Starts a run: passes of lengthMs from startMs (a paused run is resumed); 1 or 0.
    int PlayLoopM(int startMs, int lengthMs, int passes);
    // Ends the run and waits for the decoding thread to finish it; 1 when a run was stopped.
    int Stop();
    int Pause();
    int Resume();
    Mp3Status GetStatus() const;
    uint32_t GetSongLength() const { return facts_.songLengthMs; }
    // Sets the position where the next run starts; 1 or 0.
    int SeekM(uint32_t ms);
    const char* GetError() const { return error_.Get(); }

    // What the probe found, and the output layout it led to.
    const Mp3StreamFacts& Facts() const { return facts_; }
    uint32_t FramesPerBuffer() const { return framesPerBuffer_; }
    const WWaveOut& Output() const { return waveOut_; }
    // Position of the next run, as a byte offset into the stream, and its time.
    size_t CurrentPosition() const { return currentPos_; }
    uint32_t CurrentTime() const { return currentMs_; }
    uint32_t PassesDone() const { return passesDone_; }
    uint64_t BytesPlayed() const { return bytesPlayed_; }

    // The decode-and-convert path of a run without an output: one pass from the current
    // position, at most maxFrames sample frames appended to `out` (interleaved 16-bit).
    // Not while a run plays; the number of sample frames written.
    size_t DecodeToPcm(std::vector<int16_t>& out, uint64_t maxFrames);

  private:
    int _OpenMp3(int bufferMs);
    int _Open(int bufferMs);
    void _ThreadFunc();
    static void _WaveOutProc(WaveOutHandle output, uint32_t message, uintptr_t instance,
                             uintptr_t param1, uintptr_t param2);
    // Decodes the next frame of the run, counting frames and passes; false when the run ends.
    bool _NextFrame(Mp3Run& run);
    // Synthesizes the decoded frame and converts it into `out`; the sample frames written.
    uint32_t _ConvertFrame(Mp3Run& run, uint8_t* out, uint32_t capacityFrames);
    void _RestartInput(Mp3Run& run);
    void _CloseStream();

    const uint8_t* stream_ = nullptr;
    size_t streamSize_ = 0;
    bool open_ = false;
    Mp3StreamFacts facts_;
    size_t currentPos_ = 0;  // offset into the stream where the next run starts decoding
    uint32_t currentMs_ = 0;

    std::atomic<bool> playing_{false};
    std::atomic<bool> paused_{false};
    bool loop_ = false;
    uint32_t framesPerPass_ = 0, framesInPass_ = 0, passCount_ = 0;
    std::atomic<uint32_t> passesDone_{0};

    WWaveOut waveOut_;
    uint32_t framesPerBuffer_ = 0;
    std::unique_ptr<AutoResetEvent> bufferDone_;
    std::vector<uint8_t> gapless_;
    std::atomic<uint32_t> nextBuffer_{0};
    std::atomic<uint64_t> bytesPlayed_{0};

    std::thread thread_;
    std::mutex playLock_;
    std::mutex startLock_;
    std::condition_variable started_;
    uint64_t runsStarted_ = 0;  // runs whose thread has taken the playback lock
    ErrorText error_;
};
