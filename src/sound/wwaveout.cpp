#include "sound/wwaveout.h"

#include <new>

WWaveOut::~WWaveOut() {
    if (IsOpen()) {
        Reset();
        Close();
    }
    Uninitialize();
}

int WWaveOut::Initialize(uint16_t formatTag, uint16_t channels, uint32_t rate, uint16_t bits,
                         uint32_t count, uint32_t bufferMs) {
    if (headers_) {
        error_.Set("WWaveOut::Initialize->Already initializet. Uninitialize first.");
        return 0;
    }
    format_ = WaveFormat{};
    format_.formatTag = formatTag;
    format_.channels = channels;
    format_.samplesPerSec = rate;
    format_.bitsPerSample = bits;
    format_.blockAlign = static_cast<uint16_t>(channels * bits / 8);
    format_.avgBytesPerSec = rate * format_.blockAlign;
    headers_.reset(new (std::nothrow) WaveHeader[count]);
    if (!headers_ || count == 0) {
        headers_.reset();
        error_.Set("WWave::Initialize->Can't allocate memory for WAVEHDR structure");
        return 0;
    }
    uint64_t bytes = uint64_t{format_.avgBytesPerSec} * bufferMs / 1000;
    data_.reset(new (std::nothrow) std::unique_ptr<uint8_t[]>[count]);
    for (uint32_t i = 0; data_ && i < count; ++i) {
        data_[i].reset(bytes <= UINT32_MAX ? new (std::nothrow) uint8_t[bytes]() : nullptr);
        if (!data_[i]) data_.reset();
    }
    if (!data_) {
        headers_.reset();
        error_.Set("WWave::Initialize->Can't allocate memory for output data buffer");
        return 0;
    }
    for (uint32_t i = 0; i < count; ++i) {
        headers_[i].data = data_[i].get();
        headers_[i].bufferLength = static_cast<uint32_t>(bytes);
        headers_[i].user = i;
    }
    count_ = count;
    bufferMs_ = bufferMs;
    rate_ = rate;
    bufferBytes_ = static_cast<uint32_t>(bytes);
    return 1;
}

void WWaveOut::Uninitialize() {
    headers_.reset();
    data_.reset();
    count_ = bufferBytes_ = 0;
}

int WWaveOut::OpenAudioOutput(uint32_t device, WaveOutProc callback, uintptr_t instance,
                              uint32_t flags) {
    WaveOutHandle h = 0;
    MMRESULT r = WaveOutOpen(&h, device, format_, callback, instance, flags);
    switch (r) {
        case MMSYSERR_NOERROR:
            handle_ = h;
            return 1;
        case MMSYSERR_ALLOCATED:
            error_.Set("WWaveOut::OpenAudioOutput->Specified resource is already allocated");
            break;
        case MMSYSERR_BADDEVICEID:
            error_.Set("WWaveOut::OpenAudioOutput->Specified device identifier is out of range");
            break;
        case MMSYSERR_NODRIVER:
            error_.Set("WWaveOut::OpenAudioOutput->No device driver is present");
            break;
        case MMSYSERR_NOMEM:
            error_.Set("WWaveOut::OpenAudioOutput->Unable to allocate or lock memory");
            break;
        case WAVERR_BADFORMAT:
            error_.Set(
                "WWaveOut::OpenAudioOutput->Attempted to open with an unsupported waveform-audio "
                "format");
            break;
        case WAVERR_SYNC:
            error_.Set(
                "WWaveOut::OpenAudioOutput->The device is synchronous but waveOutOpen was called "
                "without using the WAVE_ALLOWSYNC flag");
            break;
        default:
            error_.Set("WWaveOut::OpenAudioOutput->Unknown error");
            break;
    }
    return 0;
}

int WWaveOut::PlayBuffer(uint32_t index) {
    if (index >= count_) return 0;
    WaveHeader& h = headers_[index];
    h.flags = 0;
    h.loops = 0;
    if (WaveOutPrepareHeader(handle_, &h) != MMSYSERR_NOERROR) {
        error_.Set("WWaveOut::PlayBuffer->Can't prepare data");
        return 0;
    }
    if (WaveOutWrite(handle_, &h) != MMSYSERR_NOERROR) {
        error_.Set("WWaveOut::PlayBuffer->Can't write data");
        return 0;
    }
    return 1;
}

int WWaveOut::Close() {
    MMRESULT r = WaveOutClose(handle_);
    switch (r) {
        case MMSYSERR_NOERROR:
            handle_ = 0;
            return 1;
        case MMSYSERR_NODRIVER:
            error_.Set("WWaveOut::Close->No device driver is present");
            break;
        case MMSYSERR_INVALHANDLE:
            error_.Set("WWaveOut::Close->Specified device handle is invalid");
            break;
        case MMSYSERR_NOMEM:
            error_.Set("WWaveOut::Close->Unable to allocate or lock memory");
            break;
        case WAVERR_STILLPLAYING:
            error_.Set("WWaveOut::Close->There are still buffers in the queue");
            break;
        default:
            error_.Set("WWaveOut::Close->Unknown error");
            break;
    }
    return 0;
}

void WWaveOut::SetBufferSize(uint32_t index, uint32_t bytes) {
    if (index < count_) headers_[index].bufferLength = bytes <= bufferBytes_ ? bytes : bufferBytes_;
}

bool WWaveOut::IsBufferDone(uint32_t index) const {
    return index < count_ && (headers_[index].flags.load() & WHDR_DONE) != 0;
}

void WWaveOut::SetBufferDone(uint32_t index) {
    if (index < count_) headers_[index].flags.fetch_or(WHDR_DONE);
}

void WWaveOut::UnprepareHeader(uint32_t index) {
    if (index < count_) WaveOutUnprepareHeader(handle_, &headers_[index]);
}

void WWaveOut::Pause() {
    WaveOutPause(handle_);
}
void WWaveOut::Restart() {
    WaveOutRestart(handle_);
}
void WWaveOut::Reset() {
    WaveOutReset(handle_);
}
