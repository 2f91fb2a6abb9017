// The controls that only tests and the simulator use: the virtual clock, presses and messages
// given to the headless window, faults made to happen in the window, the display, the sound
// device, the wave output and the sockets, surfaces lost on purpose, the local time answered, and
// what the headless sound sinks recorded. The game itself never includes this header.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/display_device.h"
#include "platform/localtime.h"
#include "platform/net.h"
#include "platform/sound_device.h"
#include "platform/wave_out.h"
#include "platform/window.h"

// The clock's virtual mode: starts at `start` and advances by `stepPerRead` on every read, and by
// ClockAdvance. ClockUseReal goes back to the monotonic clock (the default).
void ClockUseReal();
void ClockUseVirtual(uint32_t start, uint32_t stepPerRead);
bool ClockIsVirtual();
void ClockAdvance(uint32_t ms);
void ClockSetStep(uint32_t stepPerRead);

// The local date and time answered instead of the system's, until cleared.
void SetLocalTimeOverride(const LocalTime& time);
void ClearLocalTimeOverride();

// Makes the next OpenTcpSocket fail.
void InjectSocketFault(bool failNextOpen);
// Called at the start of every ReceiveOnSocket, so that a peer served in the same thread can send
// its bytes before they are waited for.
extern void (*gBeforeSocketReceive)(SocketHandle socket, int timeoutMs);

// Window: makes the next registration or creation fail.
enum class WindowFault { None, Register, Create };
void InjectWindowFault(WindowFault fault);

// Headless input. A press is delivered by the first message peek at or after its clock time.
void HeadlessSchedulePress(uint32_t atTime, int16_t x, int16_t y);
// A callback asked at every peek whether to press now; returns true and sets x, y to press.
using PressSource = std::function<bool(uint32_t now, int16_t& x, int16_t& y)>;
void HeadlessSetPressSource(PressSource source);
void HeadlessPostMessage(const WindowMessage& message);
// Drops every queued message, scheduled press and press source; forgets the window.
void HeadlessResetInput();
// Number of messages taken off the queue so far (lets tests see that a pump happened).
uint64_t HeadlessMessagesTaken();

// Display surfaces: the operations whose results can be replaced, and how often each was called.
enum class SurfaceOp {
    Blt,
    BltFast,
    Lock,
    Unlock,
    Flip,
    Restore,
    GetSurfaceDesc,
    SetColorKey,
    Count
};
static_assert(static_cast<int>(SurfaceOp::Count) == DisplaySurfaceOpCount);
// The surface's memory is gone; blits, locks and flips report DDERR_SURFACELOST until a Restore
// succeeds. Losing a primary surface loses its back buffer too.
void MarkSurfaceLost(DisplaySurface& surface);
// The next `times` calls of op on the surface return result and do nothing else.
void InjectSurfaceResult(DisplaySurface& surface, SurfaceOp op, DDRESULT result, int times = 1);
int SurfaceCallCount(const DisplaySurface& surface, SurfaceOp op);

// The display device's own operations, counted per operation: the `skip` calls after this one
// succeed, then `times` calls return result.
enum class DeviceOp { Create, SetCooperativeLevel, SetDisplayMode, CreateSurface };
void InjectDeviceFault(DeviceOp op, DDRESULT result, int skip = 0, int times = 1);
// Every SetDisplayMode at bpp returns result (DD_OK clears the refusal).
void RefuseDisplayMode(int32_t bpp, DDRESULT result);
void ResetDisplayDeviceFaults();

// Sound device: makes the next device creation or cooperative-level call fail.
enum class SoundDeviceFault { None, Create, CooperativeLevel };
void InjectSoundDeviceFault(SoundDeviceFault fault);

// Headless sound sink: what happened to the buffers, at which clock time.
enum class SoundEventKind { Started, Looped, Stopped, Ended, Positioned };
struct SoundEvent {
    uint32_t time;
    SoundBufferHandle buffer;
    SoundEventKind kind;
};
std::vector<SoundEvent> HeadlessSoundEvents();
// The device-format samples mixed while anything played (idle time is not recorded).
std::vector<int16_t> HeadlessMixedSamples();
// Forgets the recorded events and samples.
void HeadlessClearSoundRecord();
// Makes the headless sink catch up with the clock now (reads the clock without stepping it).
void HeadlessSoundCatchUp();
// Headless sink that only keeps time (on) or mixes and records (off, the default): effects still
// start, loop and end at the same clock times, but no samples are mixed or recorded. For long
// runs that need the sounds' timing and not their samples.
void HeadlessSoundKeepTimeOnly(bool on);

// Wave output: makes the next open fail with `result` (MMSYSERR_NOERROR: no fault).
void InjectWaveOutFault(MMRESULT result);
// Headless sink: the 16-bit samples every output has played, in its own format, in order.
struct HeadlessWaveRecord {
    uint32_t rate = 0;
    uint16_t channels = 0;
    std::vector<int16_t> samples;
    uint32_t opens = 0, closes = 0;
};
HeadlessWaveRecord HeadlessWaveOutRecord();
// Samples recorded so far (cheaper than taking the whole record).
size_t HeadlessWaveOutSampleCount();
void HeadlessClearWaveOutRecord();
