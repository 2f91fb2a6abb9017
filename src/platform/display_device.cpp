#include "platform/display_device.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/backend.h"
#include "platform/headless.h"
#include "platform/sdl_presenter.h"

namespace {
constexpr int32_t kModeWidth = 800;
constexpr int32_t kModeHeight = 600;
// Largest side and size of a surface: far beyond any picture of the cabinet, small enough that
// sizes never overflow.
constexpr int32_t kMaxSide = 32768;
constexpr int64_t kMaxBytes = int64_t{512} << 20;
constexpr std::align_val_t kAlign{64};
// Filler of the bytes past each row's pixels, so that code stepping rows by width shows.
constexpr uint8_t kPitchFiller = 0xA5;

struct DeviceFault {
    DDRESULT result = DD_OK;
    int skip = 0;
    int times = 0;
};
DeviceFault gDeviceFaults[4];
DDRESULT gModeRefusal[33] = {};

// Consumes one call of op against its injected fault; the fault's result, or DD_OK.
DDRESULT TakeDeviceFault(DeviceOp op) {
    DeviceFault& f = gDeviceFaults[static_cast<int>(op)];
    if (f.times <= 0) return DD_OK;
    if (f.skip > 0) {
        --f.skip;
        return DD_OK;
    }
    --f.times;
    return f.result;
}

bool SupportedDepth(int32_t bpp) {
    return bpp == 16 || bpp == 24 || bpp == 32;
}

bool ValidFormat(const DDPIXELFORMAT& f) {
    return (f.flags & DDPF_RGB) && SupportedDepth(static_cast<int32_t>(f.rgbBitCount));
}
}  // namespace

DDPIXELFORMAT DisplayPixelFormat(int32_t bpp) {
    DDPIXELFORMAT f;
    f.flags = DDPF_RGB;
    f.rgbBitCount = static_cast<uint32_t>(bpp);
    if (bpp == 16) {
        f.redMask = 0xF800;
        f.greenMask = 0x07E0;
        f.blueMask = 0x001F;
    } else {
        f.redMask = 0x00FF0000;
        f.greenMask = 0x0000FF00;
        f.blueMask = 0x000000FF;
    }
    return f;
}

void InjectDeviceFault(DeviceOp op, DDRESULT result, int skip, int times) {
    gDeviceFaults[static_cast<int>(op)] = DeviceFault{result, skip, times};
}

void RefuseDisplayMode(int32_t bpp, DDRESULT result) {
    if (bpp >= 0 && bpp <= 32) gModeRefusal[bpp] = result;
}

void ResetDisplayDeviceFaults() {
    for (auto& f : gDeviceFaults) f = DeviceFault{};
    for (auto& r : gModeRefusal) r = DD_OK;
}

// ---- surfaces ----

DisplaySurface::DisplaySurface(DisplayDevice* device, int32_t width, int32_t height, uint32_t caps,
                               const DDPIXELFORMAT& format)
    : device_(device), width_(width), height_(height), pitch_(0), caps_(caps), format_(format) {
    const int32_t rowBytes = width * BytesPerPixel();
    pitch_ = ((rowBytes + 15) & ~15) + 16;
    const size_t size = static_cast<size_t>(pitch_) * static_cast<size_t>(height);
    pixels_ = static_cast<uint8_t*>(::operator new[](size, kAlign, std::nothrow));
    if (!pixels_) return;
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = pixels_ + static_cast<size_t>(y) * static_cast<size_t>(pitch_);
        std::memset(row, 0, static_cast<size_t>(rowBytes));
        std::memset(row + rowBytes, kPitchFiller, static_cast<size_t>(pitch_ - rowBytes));
    }
}

DisplaySurface::~DisplaySurface() {
    if (backBuffer_) {
        SettleBackCopy();
        backBuffer_->primary_ = nullptr;
    }
    if (pixels_) ::operator delete[](pixels_, kAlign);
}

void DisplaySurface::Detach() {
    SettleBackCopy();
    lost_ = true;
    device_ = nullptr;
}

void DisplaySurface::SettleBackCopy() {
    DisplaySurface* front = primary_ ? primary_ : this;
    if (!front->backMatches_) return;
    front->backMatches_ = false;
    DisplaySurface* back = front->backBuffer_.get();
    if (!back || !back->pixels_ || !front->pixels_) return;
    const size_t rowBytes =
        static_cast<size_t>(front->width_) * static_cast<size_t>(BytesPerPixel());
    for (size_t y = 0; y < front->rowMayDiffer_.size(); ++y) {
        if (!front->rowMayDiffer_[y]) continue;
        std::memcpy(back->pixels_ + static_cast<ptrdiff_t>(y) * back->pitch_,
                    front->pixels_ + static_cast<ptrdiff_t>(y) * front->pitch_, rowBytes);
        front->rowMayDiffer_[y] = 0;
    }
}

void DisplaySurface::WillDraw(int32_t top, int32_t bottom) {
    SettleBackCopy();
    if (primary_) {
        std::vector<uint8_t>& rows = primary_->rowMayDiffer_;
        const auto from = static_cast<size_t>(std::max(top, 0));
        const auto to = std::min(static_cast<size_t>(std::max(bottom, 0)), rows.size());
        if (from < to)
            std::fill(rows.begin() + static_cast<ptrdiff_t>(from),
                      rows.begin() + static_cast<ptrdiff_t>(to), uint8_t{1});
    } else if (backBuffer_) {
        std::fill(rowMayDiffer_.begin(), rowMayDiffer_.end(), uint8_t{1});
        frontDrawn_ = true;
    }
}

uint8_t* DisplaySurface::Pixels() {
    WillDraw(0, height_);
    return pixels_;
}

DDRESULT DisplaySurface::Enter(SurfaceOp op) {
    const int i = static_cast<int>(op);
    ++calls_[i];
    if (faults_[i].times > 0) {
        --faults_[i].times;
        return faults_[i].result;
    }
    return DD_OK;
}

DDRESULT DisplaySurface::IsLost() const {
    return lost_ ? DDERR_SURFACELOST : DD_OK;
}

void MarkSurfaceLost(DisplaySurface& surface) {
    surface.SettleBackCopy();
    surface.lost_ = true;
    if (surface.backBuffer_) surface.backBuffer_->lost_ = true;
}

void InjectSurfaceResult(DisplaySurface& surface, SurfaceOp op, DDRESULT result, int times) {
    surface.faults_[static_cast<int>(op)] = DisplaySurface::Fault{result, times};
}

int SurfaceCallCount(const DisplaySurface& surface, SurfaceOp op) {
    return surface.calls_[static_cast<int>(op)];
}

DDRESULT DisplaySurface::Restore() {
    if (DDRESULT r = Enter(SurfaceOp::Restore); r != DD_OK) return r;
    if (!device_) return DDERR_WRONGMODE;
    lost_ = false;
    if (backBuffer_ && backBuffer_->pixels_) backBuffer_->lost_ = false;
    // The memory came back undefined: nothing is known to match any more.
    WillDraw(0, height_);
    return DD_OK;
}

DDRESULT DisplaySurface::GetSurfaceDesc(DDSURFACEDESC& desc) {
    if (DDRESULT r = Enter(SurfaceOp::GetSurfaceDesc); r != DD_OK) return r;
    desc = DDSURFACEDESC{};
    desc.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc.width = width_;
    desc.height = height_;
    desc.pitch = pitch_;
    desc.caps = caps_;
    desc.pixelFormat = format_;
    if (backBuffer_) {
        desc.flags |= DDSD_BACKBUFFERCOUNT;
        desc.backBufferCount = 1;
    }
    return DD_OK;
}

DDRESULT DisplaySurface::Lock(const RECT* rect, DDSURFACEDESC& desc, uint32_t) {
    if (DDRESULT r = Enter(SurfaceOp::Lock); r != DD_OK) return r;
    if (lost_ || !pixels_) return DDERR_SURFACELOST;
    RECT whole{0, 0, width_, height_};
    const RECT& r = rect ? *rect : whole;
    if (r.left < 0 || r.top < 0 || r.right > width_ || r.bottom > height_ || r.left > r.right ||
        r.top > r.bottom)
        return DDERR_INVALIDRECT;
    desc = DDSURFACEDESC{};
    desc.flags =
        DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_LPSURFACE;
    desc.width = r.right - r.left;
    desc.height = r.bottom - r.top;
    desc.pitch = pitch_;
    desc.caps = caps_;
    desc.pixelFormat = format_;
    WillDraw(r.top, r.bottom);
    desc.surface = pixels_ + static_cast<size_t>(r.top) * static_cast<size_t>(pitch_) +
                   static_cast<size_t>(r.left) * static_cast<size_t>(BytesPerPixel());
    ++locks_;
    return DD_OK;
}

DDRESULT DisplaySurface::Unlock() {
    if (DDRESULT r = Enter(SurfaceOp::Unlock); r != DD_OK) return r;
    if (locks_ == 0) return DDERR_NOTLOCKED;
    --locks_;
    return DD_OK;
}

DDRESULT DisplaySurface::SetColorKey(uint32_t flags, const DDCOLORKEY& key) {
    if (DDRESULT r = Enter(SurfaceOp::SetColorKey); r != DD_OK) return r;
    if (!(flags & (DDCKEY_SRCBLT | DDCKEY_DESTBLT))) return DDERR_INVALIDPARAMS;
    if (flags & DDCKEY_SRCBLT) {
        srcKey_ = key;
        hasSrcKey_ = true;
    }
    if (flags & DDCKEY_DESTBLT) {
        destKey_ = key;
        hasDestKey_ = true;
    }
    return DD_OK;
}

DDRESULT DisplaySurface::GetColorKey(uint32_t flags, DDCOLORKEY& key) {
    if (flags == DDCKEY_SRCBLT && hasSrcKey_) {
        key = srcKey_;
        return DD_OK;
    }
    if (flags == DDCKEY_DESTBLT && hasDestKey_) {
        key = destKey_;
        return DD_OK;
    }
    return DDERR_NOCOLORKEY;
}

DDRESULT DisplaySurface::GetAttachedSurface(uint32_t caps, DisplaySurfacePtr& attached) {
    if (!(caps & DDSCAPS_BACKBUFFER) || !backBuffer_) return DDERR_NOTFOUND;
    attached = backBuffer_;
    return DD_OK;
}

DDRESULT DisplaySurface::Flip(DisplaySurface* target, uint32_t) {
    if (DDRESULT r = Enter(SurfaceOp::Flip); r != DD_OK) return r;
    if (!backBuffer_ || (target && target != backBuffer_.get())) return DDERR_INVALIDPARAMS;
    if (lost_ || backBuffer_->lost_ || !pixels_ || !backBuffer_->pixels_) return DDERR_SURFACELOST;
    if (locks_ || backBuffer_->locks_) return DDERR_SURFACEBUSY;
    // A back buffer still waiting for its copy of the front holds the same picture, and so does
    // one whose rows drawn since are equal to the front's: exchanging the two would change
    // nothing. Otherwise the rows that differ are those the new picture changes, and the only
    // ones in which the back buffer then differs from the front.
    int32_t first = height_, last = -1;
    if (!backMatches_) {
        const size_t rowBytes = static_cast<size_t>(width_) * static_cast<size_t>(BytesPerPixel());
        const auto rowsDiffer = [&](int32_t y) {
            const ptrdiff_t at = static_cast<ptrdiff_t>(y) * pitch_;
            return std::memcmp(pixels_ + at, backBuffer_->pixels_ + at, rowBytes) != 0;
        };
        for (int32_t y = 0; y < height_; ++y) {
            if (!rowMayDiffer_[static_cast<size_t>(y)]) continue;
            if (rowsDiffer(y)) {
                first = std::min(first, y);
                last = y;
            } else {
                rowMayDiffer_[static_cast<size_t>(y)] = 0;
            }
        }
        if (first <= last) std::swap(pixels_, backBuffer_->pixels_);
    }
    if (frontDrawn_) {
        first = 0;
        last = height_ - 1;
        frontDrawn_ = false;
    }
    return device_ ? device_->ShowFrame(*this, first, last) : DDERR_SURFACELOST;
}

// ---- the device ----

DisplayDevice::DisplayDevice() = default;

DisplayDevice::~DisplayDevice() {
    for (auto& weak : surfaces_)
        if (auto s = weak.lock()) s->Detach();
    if (presenter_) SdlPresenterDestroy(presenter_);
}

DDRESULT DirectDrawCreate(std::unique_ptr<DisplayDevice>& device) {
    if (DDRESULT r = TakeDeviceFault(DeviceOp::Create); r != DD_OK) return r;
    device = std::make_unique<DisplayDevice>();
    return DD_OK;
}

DDRESULT DisplayDevice::SetCooperativeLevel(uint32_t flags) {
    if (DDRESULT r = TakeDeviceFault(DeviceOp::SetCooperativeLevel); r != DD_OK) return r;
    if (CurrentBackend() == Backend::Sdl && !SdlPresenterHasWindow()) return DDERR_INVALIDPARAMS;
    cooperative_ = (flags & DDSCL_EXCLUSIVE) && (flags & DDSCL_FULLSCREEN);
    return DD_OK;
}

DDRESULT DisplayDevice::SetDisplayMode(int32_t width, int32_t height, int32_t bpp, int32_t,
                                       uint32_t) {
    if (DDRESULT r = TakeDeviceFault(DeviceOp::SetDisplayMode); r != DD_OK) return r;
    if (bpp >= 0 && bpp <= 32 && gModeRefusal[bpp] != DD_OK) return gModeRefusal[bpp];
    if (!cooperative_) return DDERR_NOEXCLUSIVEMODE;
    if (width != kModeWidth || height != kModeHeight || !SupportedDepth(bpp))
        return DDERR_INVALIDMODE;
    if (depth_ != 0 && depth_ != bpp) LoseAllSurfaces();
    depth_ = bpp;
    return DD_OK;
}

DDRESULT DisplayDevice::GetDisplayMode(DDSURFACEDESC& desc) {
    if (depth_ == 0) return DDERR_WRONGMODE;
    desc = DDSURFACEDESC{};
    desc.flags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    desc.width = kModeWidth;
    desc.height = kModeHeight;
    desc.pixelFormat = DisplayPixelFormat(depth_);
    return DD_OK;
}

DDRESULT DisplayDevice::CreateSurface(const DDSURFACEDESC& desc, DisplaySurfacePtr& surface) {
    if (DDRESULT r = TakeDeviceFault(DeviceOp::CreateSurface); r != DD_OK) return r;
    if (!(desc.flags & DDSD_CAPS)) return DDERR_INVALIDPARAMS;
    std::erase_if(surfaces_, [](const auto& w) { return w.expired(); });

    if (desc.caps & DDSCAPS_PRIMARYSURFACE) {
        if (depth_ == 0) return DDERR_NOEXCLUSIVEMODE;
        const bool flipping = desc.caps & DDSCAPS_FLIP;
        if (flipping && (!(desc.caps & DDSCAPS_COMPLEX) || !(desc.flags & DDSD_BACKBUFFERCOUNT) ||
                         desc.backBufferCount != 1))
            return DDERR_INVALIDPARAMS;
        const DDPIXELFORMAT format = DisplayPixelFormat(depth_);
        auto primary = std::make_shared<DisplaySurface>(this, kModeWidth, kModeHeight,
                                                        desc.caps | DDSCAPS_FRONTBUFFER, format);
        if (!primary->pixels_) return DDERR_OUTOFMEMORY;
        if (flipping) {
            auto back = std::make_shared<DisplaySurface>(
                this, kModeWidth, kModeHeight, DDSCAPS_BACKBUFFER | DDSCAPS_FLIP | DDSCAPS_COMPLEX,
                format);
            if (!back->pixels_) return DDERR_OUTOFMEMORY;
            back->primary_ = primary.get();
            primary->backBuffer_ = back;
            primary->rowMayDiffer_.assign(static_cast<size_t>(kModeHeight), 1);
            surfaces_.push_back(back);
        }
        if (CurrentBackend() == Backend::Sdl && !presenter_) {
            presenter_ = SdlPresenterCreate(kModeWidth, kModeHeight, depth_);
            if (!presenter_) return DDERR_GENERIC;
        }
        surfaces_.push_back(primary);
        surface = std::move(primary);
        return DD_OK;
    }

    if ((desc.flags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT))
        return DDERR_INVALIDPARAMS;
    if (desc.width <= 0 || desc.height <= 0 || desc.width > kMaxSide || desc.height > kMaxSide)
        return DDERR_INVALIDPARAMS;
    DDPIXELFORMAT format;
    if (desc.flags & DDSD_PIXELFORMAT) {
        if (!ValidFormat(desc.pixelFormat)) return DDERR_INVALIDPIXELFORMAT;
        format = desc.pixelFormat;
    } else {
        if (depth_ == 0) return DDERR_NOEXCLUSIVEMODE;
        format = DisplayPixelFormat(depth_);
    }
    const int64_t bytes = (int64_t{desc.width} * (format.rgbBitCount / 8) + 32) * desc.height;
    if (bytes > kMaxBytes) return DDERR_OUTOFMEMORY;
    uint32_t caps = desc.caps;
    if (!(caps & DDSCAPS_SYSTEMMEMORY)) caps |= DDSCAPS_VIDEOMEMORY;
    auto made = std::make_shared<DisplaySurface>(this, desc.width, desc.height, caps, format);
    if (!made->pixels_) return DDERR_OUTOFMEMORY;
    surfaces_.push_back(made);
    surface = std::move(made);
    return DD_OK;
}

void DisplayDevice::LoseAllSurfaces() {
    for (auto& weak : surfaces_)
        if (auto s = weak.lock(); s && !(s->caps_ & DDSCAPS_SYSTEMMEMORY)) s->lost_ = true;
}

DDRESULT DisplayDevice::ShowFrame(DisplaySurface& front, int32_t first, int32_t last) {
    ++flips_;
    if (presenter_ && !SdlPresenterShow(presenter_, front.pixels_, front.pitch_, first, last))
        return DDERR_GENERIC;
    return DD_OK;
}
