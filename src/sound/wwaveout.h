// The music player's wave output: the output format, a ring of buffers with their headers, and the
// device while a run plays. Each operation keeps its failure as the last error text.
#pragma once
#include <cstdint>
#include <memory>

#include "platform/wave_format.h"
#include "platform/wave_out.h"
#include "sound/error_text.h"

class WWaveOut {
  public:
    WWaveOut() = default;
    ~WWaveOut();
    WWaveOut(const WWaveOut&) = delete;
    WWaveOut& operator=(const WWaveOut&) = delete;

    // Fills the format and allocates `count` headers and data blocks of bufferMs each; 1 or 0.
    int Initialize(uint16_t formatTag, uint16_t channels, uint32_t rate, uint16_t bits,
                   uint32_t count, uint32_t bufferMs);
    void Uninitialize();
    // Opens the device with the format; 1 or 0.
    int OpenAudioOutput(uint32_t device, WaveOutProc callback, uintptr_t instance, uint32_t flags);
    // Clears the buffer's flags and loop count, prepares it and queues it; 1 or 0.
    int PlayBuffer(uint32_t index);
    // Closes the device; 1 or 0.
    int Close();

    void SetBufferSize(uint32_t index, uint32_t bytes);
    bool IsBufferDone(uint32_t index) const;
    void SetBufferDone(uint32_t index);
    void UnprepareHeader(uint32_t index);
    void Pause();
    void Restart();
    void Reset();

    uint8_t* BufferData(uint32_t index) { return data_[index].get(); }
    uint32_t BufferBytes() const { return bufferBytes_; }
    uint32_t BufferCount() const { return count_; }
    uint32_t BufferMs() const { return bufferMs_; }
    const WaveFormat& Format() const { return format_; }
    bool IsOpen() const { return handle_.load() != 0; }
    const char* GetError() const { return error_.Get(); }

  private:
    WaveFormat format_;
    std::unique_ptr<WaveHeader[]> headers_;
    std::unique_ptr<std::unique_ptr<uint8_t[]>[]> data_;
    uint32_t count_ = 0, bufferMs_ = 0, rate_ = 0, bufferBytes_ = 0;
    std::atomic<WaveOutHandle> handle_{0};
    ErrorText error_;
};
