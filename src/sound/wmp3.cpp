#include "sound/wmp3.h"

#include <mad.h>

#include <algorithm>
#include <new>
#include <system_error>

// One run's decoder state: the stream, frame and synthesis objects, the copy of the last frame
// with its zero guard, and the dither of each channel.
struct Mp3Run {
    mad_stream stream;
    mad_frame frame;
    mad_synth synth;
    std::vector<uint8_t> tail;
    bool tailInUse = false;
    DitherState dither[2];
    const uint8_t* loopStart;
    const uint8_t* end;

    Mp3Run(const uint8_t* from, const uint8_t* to) : loopStart(from), end(to) {
        mad_stream_init(&stream);
        mad_frame_init(&frame);
        mad_synth_init(&synth);
    }
    ~Mp3Run() {
        mad_synth_finish(&synth);
        mad_frame_finish(&frame);
        mad_stream_finish(&stream);
    }
    Mp3Run(const Mp3Run&) = delete;
    Mp3Run& operator=(const Mp3Run&) = delete;
};

namespace {
// a × b / c rounded to the nearest whole number, halves away from zero; -1 when c is 0.
int64_t MulDiv(int64_t a, int64_t b, int64_t c) {
    if (c == 0) return -1;
    int64_t n = a * b;
    bool negative = (n < 0) != (c < 0);
    uint64_t un = static_cast<uint64_t>(n < 0 ? -n : n), uc = static_cast<uint64_t>(c < 0 ? -c : c);
    int64_t r = static_cast<int64_t>((un + uc / 2) / uc);
    return negative ? -r : r;
}
}  // namespace

WMp3::~WMp3() {
    if (open_) Stop();
    if (thread_.joinable()) thread_.join();
}

int WMp3::OpenMp3Stream(const uint8_t* bytes, size_t size, int bufferMs) {
    if (open_) {
        error_.Set("WMp3::OpenMp3Stream->You need to close mp3 stream before open new one");
        return 0;
    }
    if (!bytes) {
        error_.Set("WMp3::OpenMp3Stream->Can't open NULL stream!");
        return 0;
    }
    stream_ = bytes;
    streamSize_ = size;
    return _OpenMp3(bufferMs);
}

int WMp3::_OpenMp3(int bufferMs) {
    std::string error;
    if (!ProbeMp3(stream_, streamSize_, facts_, error)) {
        error_.Set(error.c_str());
        _CloseStream();
        return 0;
    }
    if (!_Open(bufferMs)) {
        _CloseStream();
        return 0;
    }
    open_ = true;
    return 1;
}

int WMp3::_Open(int bufferMs) {
    if (bufferMs < 200) {
        error_.Set("WMp3::_Open->Buffer can't be smaller than 200 ms");
        return 0;
    }
    bufferDone_.reset(new (std::nothrow) AutoResetEvent());
    if (!bufferDone_) {
        error_.Set("WMp3::_Open->Can't create event");
        return 0;
    }
    const uint32_t rate = facts_.sampleRate, spf = facts_.samplesPerFrame;
    int64_t perBuffer = MulDiv(100, rate, int64_t{spf} * 1000);
    if (perBuffer <= 0) {
        error_.Set("WMp3::_Open->SINGLE_AUDIO_BUFFER_SIZE is too small!");
        return 0;
    }
    framesPerBuffer_ = static_cast<uint32_t>(perBuffer);
    int64_t bufferTime = MulDiv(perBuffer * spf, 1000, rate);
    int64_t count = bufferTime > 0 ? MulDiv(bufferMs, 1, bufferTime) : 0;
    if (count <= 0 || count > 100000 ||
        !waveOut_.Initialize(WAVE_FORMAT_PCM, facts_.channels, rate, 16,
                             static_cast<uint32_t>(count), static_cast<uint32_t>(bufferTime + 1))) {
        error_.Set("WMp3::_Open->Can't initialize wave out");
        return 0;
    }
    try {
        gapless_.assign(waveOut_.BufferBytes(), 0);
    } catch (const std::bad_alloc&) {
        error_.Set("WMp3::_Open->Can't allocate gapless buffer");
        return 0;
    }
    currentPos_ = facts_.audioStart;
    currentMs_ = 0;
    return 1;
}

void WMp3::_CloseStream() {
    facts_ = Mp3StreamFacts{};
    stream_ = nullptr;
    streamSize_ = 0;
    open_ = false;
    bufferDone_.reset();
    waveOut_.Uninitialize();
    gapless_.clear();
    framesPerBuffer_ = 0;
    currentPos_ = 0;
    currentMs_ = 0;
}

int WMp3::SeekM(uint32_t ms) {
    if (!open_) {
        error_.Set("WMp3::SeekM->Strean isn't open!");
        return 0;
    }
    if (playing_) Stop();
    size_t offset = SeekOffset(facts_, ms);
    currentPos_ = facts_.audioStart + offset;
    currentMs_ = ms;
    return 1;
}

int WMp3::PlayLoopM(int startMs, int lengthMs, int passes) {
    if (!open_) {
        error_.Set("WMp3::PlayLoopM->Strean isn't open!");
        return 0;
    }
    if (paused_) return Resume();
    if (playing_) return 0;
    { std::lock_guard<std::mutex> wait(playLock_); }  // a run that is still ending has ended
    if (thread_.joinable()) thread_.join();
    if (!SeekM(static_cast<uint32_t>(std::max(startMs, 0)))) {
        error_.Set("WMp3::PlayLoopM->Can't seek to start of loop!");
        return 0;
    }
    loop_ = true;
    paused_ = false;
    playing_ = true;
    passesDone_ = 0;
    framesInPass_ = 0;
    passCount_ = static_cast<uint32_t>(std::max(passes, 0));
    framesPerPass_ = static_cast<uint32_t>(std::max<int64_t>(
        0, MulDiv(lengthMs, facts_.sampleRate, int64_t{facts_.samplesPerFrame} * 1000)));
    uint64_t before;
    {
        std::lock_guard<std::mutex> hold(startLock_);
        before = runsStarted_;
    }
    try {
        thread_ = std::thread(&WMp3::_ThreadFunc, this);
    } catch (const std::system_error&) {
        playing_ = false;
        error_.Set("WMp3::PlayLoopM->Can't create decoding thread!");
        return 0;
    }
    // The run owns the playback lock before anyone can stop it.
    std::unique_lock<std::mutex> hold(startLock_);
    started_.wait(hold, [&] { return runsStarted_ > before; });
    return 1;
}

int WMp3::Stop() {
    if (!open_) {
        error_.Set("WMp3::Stop->Stream isn't open!");
        return 0;
    }
    if (!playing_) return 0;
    waveOut_.Pause();
    playing_ = false;
    paused_ = false;
    waveOut_.Reset();
    if (bufferDone_) bufferDone_->Set();
    { std::lock_guard<std::mutex> wait(playLock_); }  // the decoding thread has finished its run
    return 1;
}

int WMp3::Pause() {
    if (!open_) {
        error_.Set("WMp3::Pause->Strean isn't open!");
        return 0;
    }
    if (!playing_) return 0;
    waveOut_.Pause();
    paused_ = true;
    return 1;
}

int WMp3::Resume() {
    if (!open_) {
        error_.Set("WMp3::Pause->Strean isn't open!");
        return 0;
    }
    waveOut_.Restart();
    paused_ = false;
    return 1;
}

Mp3Status WMp3::GetStatus() const {
    Mp3Status s;
    bool playing = playing_, paused = paused_;
    s.fPlay = playing && !paused;
    s.fPause = paused;
    s.fStop = !playing && !paused;
    return s;
}

void WMp3::_WaveOutProc(WaveOutHandle, uint32_t message, uintptr_t instance, uintptr_t param1,
                        uintptr_t) {
    if (message != WOM_DONE) return;
    auto* self = reinterpret_cast<WMp3*>(instance);
    auto* header = reinterpret_cast<WaveHeader*>(param1);
    self->bytesPlayed_ += header->bufferLength;
    uint32_t count = self->waveOut_.BufferCount();
    if (count) self->nextBuffer_ = static_cast<uint32_t>((header->user + 1) % count);
    self->bufferDone_->Set();
}

void WMp3::_RestartInput(Mp3Run& r) {
    r.tail.clear();
    r.tailInUse = false;
    size_t length = static_cast<size_t>(r.end - r.loopStart);
    mad_stream_buffer(&r.stream, r.loopStart,
                      length > MAD_BUFFER_GUARD ? length - MAD_BUFFER_GUARD : 0);
}

bool WMp3::_NextFrame(Mp3Run& r) {
    for (;;) {
        if (mad_frame_decode(&r.frame, &r.stream) == -1) {
            if (MAD_RECOVERABLE(r.stream.error)) continue;
            if (r.stream.error != MAD_ERROR_BUFLEN) return false;
            if (!r.tailInUse) {
                // The last frame is decoded from a copy that ends with the decoder's zero guard.
                const uint8_t* from = r.stream.next_frame ? r.stream.next_frame : r.end;
                r.tail.assign(from, r.end);
                r.tail.resize(r.tail.size() + MAD_BUFFER_GUARD, 0);
                mad_stream_buffer(&r.stream, r.tail.data(), r.tail.size());
                r.tailInUse = true;
                continue;
            }
            r.tail.clear();
            r.tailInUse = false;
            if (passesDone_ >= passCount_) return false;
            ++passesDone_;
            framesInPass_ = 0;
            _RestartInput(r);
            continue;
        }
        if (passesDone_ >= passCount_) return false;
        if (framesInPass_ >= framesPerPass_) {
            ++passesDone_;
            framesInPass_ = 0;
            _RestartInput(r);
        }
        ++framesInPass_;
        return true;
    }
}

uint32_t WMp3::_ConvertFrame(Mp3Run& r, uint8_t* out, uint32_t capacityFrames) {
    mad_synth_frame(&r.synth, &r.frame);
    const mad_pcm& pcm = r.synth.pcm;
    const uint32_t n = std::min<uint32_t>(pcm.length, capacityFrames);
    const unsigned channels = facts_.channels;
    for (uint32_t i = 0; i < n; ++i) {
        for (unsigned ch = 0; ch < channels; ++ch) {
            int16_t v = ConvertSample(pcm.samples[ch < pcm.channels ? ch : 0][i], r.dither[ch]);
            *out++ = static_cast<uint8_t>(v);
            *out++ = static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8);
        }
    }
    return n;
}

void WMp3::_ThreadFunc() {
    std::unique_lock<std::mutex> run(playLock_);
    {
        std::lock_guard<std::mutex> hold(startLock_);
        ++runsStarted_;
    }
    started_.notify_all();
    bytesPlayed_ = 0;
    nextBuffer_ = 0;
    // A run that cannot start leaves the player stopped.
    auto endEarly = [this](const char* text) {
        error_.Set(text);
        playing_ = false;
        paused_ = false;
    };
    if (currentPos_ > facts_.audioEnd || facts_.audioEnd - currentPos_ < 8) {
        endEarly("WMp3::_ThreadFunc->Stream too small");
        return;
    }
    if (!waveOut_.OpenAudioOutput(WAVE_MAPPER, _WaveOutProc, reinterpret_cast<uintptr_t>(this),
                                  CALLBACK_FUNCTION)) {
        endEarly("WMp3::_ThreadFunc->Can't open wave output");
        return;
    }
    if (paused_) waveOut_.Pause();
    const uint32_t count = waveOut_.BufferCount();
    for (uint32_t i = 0; i < count; ++i) {
        waveOut_.SetBufferDone(i);
        waveOut_.UnprepareHeader(i);
    }
    {
        Mp3Run r(stream_ + currentPos_, stream_ + facts_.audioEnd);
        _RestartInput(r);
        const uint32_t frameBytes = 2u * facts_.channels;
        const uint32_t capacity = waveOut_.BufferBytes() / frameBytes;
        uint32_t index = 0, frames = 0, written = 0;
        while (playing_) {
            if (!_NextFrame(r)) break;
            written += _ConvertFrame(r, waveOut_.BufferData(index) + written * frameBytes,
                                     capacity - written);
            if (++frames < framesPerBuffer_ && written < capacity) continue;
            waveOut_.SetBufferSize(index, written * frameBytes);
            waveOut_.PlayBuffer(index);
            index = (index + 1) % count;
            while (!waveOut_.IsBufferDone(index) && playing_) bufferDone_->Wait();
            waveOut_.UnprepareHeader(index);
            frames = written = 0;
        }
        if (playing_) {  // the passes are done: let the queued sound play out
            for (uint32_t i = 0; i < count; ++i) {
                while (!waveOut_.IsBufferDone(i) && playing_) bufferDone_->WaitFor(100);
                waveOut_.UnprepareHeader(i);
            }
        }
    }
    waveOut_.Reset();
    waveOut_.Close();
    playing_ = false;
    paused_ = false;
    currentPos_ = facts_.audioStart;
    currentMs_ = 0;
}

size_t WMp3::DecodeToPcm(std::vector<int16_t>& out, uint64_t maxFrames) {
    if (!open_ || playing_) return 0;
    std::lock_guard<std::mutex> hold(playLock_);
    if (currentPos_ > facts_.audioEnd || facts_.audioEnd - currentPos_ < 8) return 0;
    passCount_ = 1;
    passesDone_ = 0;
    framesInPass_ = 0;
    framesPerPass_ = UINT32_MAX;
    Mp3Run r(stream_ + currentPos_, stream_ + facts_.audioEnd);
    _RestartInput(r);
    const unsigned channels = facts_.channels;
    std::vector<uint8_t> frame(1152u * 2 * channels);
    size_t written = 0;
    while (written < maxFrames && _NextFrame(r)) {
        uint32_t n = _ConvertFrame(r, frame.data(), 1152);
        n = static_cast<uint32_t>(std::min<uint64_t>(n, maxFrames - written));
        for (uint32_t i = 0; i < n * channels; ++i)
            out.push_back(static_cast<int16_t>(frame[2 * i] | (frame[2 * i + 1] << 8)));
        written += n;
    }
    return written;
}
