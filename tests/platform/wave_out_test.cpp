// The headless wave output: buffers play in order at the clock's speed, each handed back through
// the done callback; pause holds, reset hands everything back, close refuses while queued.
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/sound_device.h"
#include "platform/wave_out.h"

namespace {
struct Done {
    std::mutex lock;
    std::vector<uintptr_t> users;
    int opens = 0, closes = 0;
};

void OnWave(WaveOutHandle, uint32_t message, uintptr_t instance, uintptr_t param1, uintptr_t) {
    auto* done = reinterpret_cast<Done*>(instance);
    std::lock_guard<std::mutex> hold(done->lock);
    if (message == WOM_DONE) done->users.push_back(reinterpret_cast<WaveHeader*>(param1)->user);
    if (message == WOM_OPEN) ++done->opens;
    if (message == WOM_CLOSE) ++done->closes;
}

WaveFormat Stereo16(uint32_t rate) {
    WaveFormat f;
    f.formatTag = WAVE_FORMAT_PCM;
    f.channels = 2;
    f.samplesPerSec = rate;
    f.bitsPerSample = 16;
    f.blockAlign = 4;
    f.avgBytesPerSec = rate * 4;
    return f;
}

size_t DoneCount(Done& d) {
    std::lock_guard<std::mutex> hold(d.lock);
    return d.users.size();
}

// Moves the clock on in 5 ms steps, letting the sink catch up after each, until `count` buffers
// are done.
void PlayUntilDone(Done& d, size_t count) {
    for (int step = 0; step < 1000 && DoneCount(d) < count; ++step) {
        ClockAdvance(5);
        HeadlessSoundCatchUp();
    }
}

class WaveOutTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SelectBackend(Backend::Headless);
        ClockUseVirtual(100000, 0);
        HeadlessClearWaveOutRecord();
        for (int i = 0; i < 3; ++i) {
            data_[i].assign(4 * 441, 0);  // 10 ms each at 44100 Hz
            for (size_t k = 0; k < data_[i].size() / 2; ++k) {
                int16_t v = static_cast<int16_t>(1000 * (i + 1) + k % 100);
                data_[i][2 * k] = static_cast<uint8_t>(v);
                data_[i][2 * k + 1] = static_cast<uint8_t>(v >> 8);
            }
            headers_[i].data = data_[i].data();
            headers_[i].bufferLength = static_cast<uint32_t>(data_[i].size());
            headers_[i].user = static_cast<uintptr_t>(i);
        }
    }
    std::vector<uint8_t> data_[3];
    WaveHeader headers_[3];
    Done done_;
};

TEST_F(WaveOutTest, BuffersPlayInOrderAndComeBackDone) {
    WaveOutHandle h = 0;
    ASSERT_EQ(WaveOutOpen(&h, WAVE_MAPPER, Stereo16(44100), OnWave,
                          reinterpret_cast<uintptr_t>(&done_), CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    for (auto& header : headers_) {
        EXPECT_EQ(WaveOutWrite(h, &header), WAVERR_UNPREPARED);
        ASSERT_EQ(WaveOutPrepareHeader(h, &header), MMSYSERR_NOERROR);
        ASSERT_EQ(WaveOutWrite(h, &header), MMSYSERR_NOERROR);
    }
    EXPECT_EQ(WaveOutUnprepareHeader(h, &headers_[2]), WAVERR_STILLPLAYING);
    EXPECT_EQ(WaveOutClose(h), WAVERR_STILLPLAYING);
    PlayUntilDone(done_, 3);
    ASSERT_EQ(done_.users, (std::vector<uintptr_t>{0, 1, 2}));
    for (auto& header : headers_) {
        EXPECT_TRUE(header.flags.load() & WHDR_DONE);
        EXPECT_EQ(WaveOutUnprepareHeader(h, &header), MMSYSERR_NOERROR);
    }
    EXPECT_EQ(WaveOutClose(h), MMSYSERR_NOERROR);
    EXPECT_EQ(WaveOutClose(h), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(done_.opens, 1);
    EXPECT_EQ(done_.closes, 1);

    HeadlessWaveRecord rec = HeadlessWaveOutRecord();
    EXPECT_EQ(rec.rate, 44100u);
    EXPECT_EQ(rec.channels, 2);
    ASSERT_EQ(rec.samples.size(), 3u * 441 * 2);
    EXPECT_EQ(rec.samples[0], 1000);
    EXPECT_EQ(rec.samples[441 * 2], 2000);
    EXPECT_EQ(rec.samples[2 * 441 * 2 + 5], 3005);
}

TEST_F(WaveOutTest, PauseHoldsAndResetHandsEverythingBack) {
    WaveOutHandle h = 0;
    ASSERT_EQ(WaveOutOpen(&h, WAVE_MAPPER, Stereo16(22050), OnWave,
                          reinterpret_cast<uintptr_t>(&done_), CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    ASSERT_EQ(WaveOutPause(h), MMSYSERR_NOERROR);
    for (auto& header : headers_) {
        WaveOutPrepareHeader(h, &header);
        WaveOutWrite(h, &header);
    }
    for (int i = 0; i < 50; ++i) {
        ClockAdvance(10);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(DoneCount(done_), 0u);
    EXPECT_EQ(HeadlessWaveOutSampleCount(), 0u);
    ASSERT_EQ(WaveOutRestart(h), MMSYSERR_NOERROR);
    PlayUntilDone(done_, 1);
    ASSERT_EQ(WaveOutReset(h), MMSYSERR_NOERROR);
    EXPECT_EQ(DoneCount(done_), 3u);
    for (auto& header : headers_) EXPECT_FALSE(header.flags.load() & WHDR_INQUEUE);
    EXPECT_EQ(WaveOutClose(h), MMSYSERR_NOERROR);
    // At half the device rate a 10 ms buffer takes 20 ms: the first buffer, whole.
    HeadlessWaveRecord rec = HeadlessWaveOutRecord();
    EXPECT_GE(rec.samples.size(), 441u * 2);
    EXPECT_LT(rec.samples.size(), 3u * 441 * 2);
}

TEST_F(WaveOutTest, OpenRefusesBadFormatsDevicesAndInjectedFaults) {
    WaveOutHandle h = 7;
    WaveFormat eight = Stereo16(44100);
    eight.bitsPerSample = 8;
    EXPECT_EQ(WaveOutOpen(&h, WAVE_MAPPER, eight, OnWave, 0, CALLBACK_FUNCTION), WAVERR_BADFORMAT);
    EXPECT_EQ(h, 0u);
    EXPECT_EQ(WaveOutOpen(&h, 5, Stereo16(44100), OnWave, 0, CALLBACK_FUNCTION),
              MMSYSERR_BADDEVICEID);
    InjectWaveOutFault(MMSYSERR_ALLOCATED);
    EXPECT_EQ(WaveOutOpen(&h, WAVE_MAPPER, Stereo16(44100), OnWave, 0, CALLBACK_FUNCTION),
              MMSYSERR_ALLOCATED);
    EXPECT_EQ(WaveOutPause(12345), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(WaveOutWrite(12345, &headers_[0]), MMSYSERR_INVALHANDLE);
}
}  // namespace
