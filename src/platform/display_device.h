// The display device: one 800x600 screen mode of 32, 24 or 16 bits, a primary surface with one back
// buffer that flips, and plain surfaces in the display's pixel format (or an explicit one) with
// rectangle copies, colour fills, colour keys and direct pixel access. Surfaces can be lost (their
// memory is gone until restored) and blits can report that the device is still drawing; tests make
// both happen on any surface (platform/headless.h).
//
// Pixel layouts: 32 bits: bytes blue, green, red, unused; 24 bits: bytes blue, green, red; 16 bits:
// one little-endian word, red in bits 11-15, green 5-10, blue 0-4. Rows are `pitch` bytes apart and
// the pitch is always larger than width times bytes per pixel.
//
// SDL2 backend: Flip shows the new front picture in the main window through a streaming texture
// with a logical size of 800x600 (letterboxed on any real screen). Headless backend: the flipped
// picture stays in the primary surface, where tests read it.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Result codes. DD_OK is success; everything else is a failure.
using DDRESULT = uint32_t;
constexpr DDRESULT DD_OK = 0;
constexpr DDRESULT DDERR_GENERIC = 0x80004005;
constexpr DDRESULT DDERR_INVALIDPARAMS = 0x80070057;
constexpr DDRESULT DDERR_OUTOFMEMORY = 0x8007000E;
constexpr DDRESULT DDERR_INVALIDMODE = 0x88760078;
constexpr DDRESULT DDERR_INVALIDRECT = 0x88760096;
constexpr DDRESULT DDERR_INVALIDPIXELFORMAT = 0x88760091;
constexpr DDRESULT DDERR_NOCOLORKEY = 0x887600D7;
constexpr DDRESULT DDERR_NOTFOUND = 0x887600FF;
constexpr DDRESULT DDERR_NOTLOCKED = 0x887602DA;
constexpr DDRESULT DDERR_NOEXCLUSIVEMODE = 0x887600E1;
constexpr DDRESULT DDERR_SURFACEBUSY = 0x887601AE;
constexpr DDRESULT DDERR_SURFACELOST = 0x887601C2;
constexpr DDRESULT DDERR_WASSTILLDRAWING = 0x8876021C;
constexpr DDRESULT DDERR_WRONGMODE = 0x8876024B;

// Cooperative level.
constexpr uint32_t DDSCL_FULLSCREEN = 0x1;
constexpr uint32_t DDSCL_ALLOWREBOOT = 0x2;
constexpr uint32_t DDSCL_EXCLUSIVE = 0x10;

// Which fields of a surface description are meaningful.
constexpr uint32_t DDSD_CAPS = 0x1;
constexpr uint32_t DDSD_HEIGHT = 0x2;
constexpr uint32_t DDSD_WIDTH = 0x4;
constexpr uint32_t DDSD_PITCH = 0x8;
constexpr uint32_t DDSD_BACKBUFFERCOUNT = 0x20;
constexpr uint32_t DDSD_LPSURFACE = 0x800;
constexpr uint32_t DDSD_PIXELFORMAT = 0x1000;

// Surface capabilities.
constexpr uint32_t DDSCAPS_BACKBUFFER = 0x4;
constexpr uint32_t DDSCAPS_COMPLEX = 0x8;
constexpr uint32_t DDSCAPS_FLIP = 0x10;
constexpr uint32_t DDSCAPS_FRONTBUFFER = 0x20;
constexpr uint32_t DDSCAPS_OFFSCREENPLAIN = 0x40;
constexpr uint32_t DDSCAPS_PRIMARYSURFACE = 0x200;
constexpr uint32_t DDSCAPS_SYSTEMMEMORY = 0x800;
constexpr uint32_t DDSCAPS_VIDEOMEMORY = 0x4000;

// Pixel format flags.
constexpr uint32_t DDPF_ALPHAPIXELS = 0x1;
constexpr uint32_t DDPF_RGB = 0x40;

// Blt flags.
constexpr uint32_t DDBLT_COLORFILL = 0x400;
constexpr uint32_t DDBLT_KEYSRC = 0x8000;
constexpr uint32_t DDBLT_KEYSRCOVERRIDE = 0x10000;
constexpr uint32_t DDBLT_WAIT = 0x1000000;

// BltFast flags.
constexpr uint32_t DDBLTFAST_NOCOLORKEY = 0x0;
constexpr uint32_t DDBLTFAST_SRCCOLORKEY = 0x1;
constexpr uint32_t DDBLTFAST_WAIT = 0x10;

// Lock, Flip and SetColorKey flags.
constexpr uint32_t DDLOCK_WAIT = 0x1;
constexpr uint32_t DDFLIP_WAIT = 0x1;
constexpr uint32_t DDCKEY_DESTBLT = 0x2;
constexpr uint32_t DDCKEY_SRCBLT = 0x8;

// A surface rectangle: left, top, right, bottom; right and bottom exclusive.
struct RECT {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// A colour key: pixel values from low to high (inclusive) are transparent.
struct DDCOLORKEY {
    uint32_t low = 0;
    uint32_t high = 0;
};

struct DDPIXELFORMAT {
    uint32_t flags = 0;        // DDPF_RGB, plus DDPF_ALPHAPIXELS when alphaMask is used
    uint32_t rgbBitCount = 0;  // 16, 24 or 32
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
    uint32_t alphaMask = 0;
};

struct DDSURFACEDESC {
    uint32_t flags = 0;  // DDSD_*: which of the fields below are given (creation) or filled
    int32_t width = 0;
    int32_t height = 0;
    int32_t pitch = 0;  // bytes from one row to the next
    uint32_t backBufferCount = 0;
    uint32_t caps = 0;  // DDSCAPS_*
    DDPIXELFORMAT pixelFormat;
    uint8_t* surface = nullptr;  // Lock: the first byte of the locked rectangle
};

// Blt parameters.
struct DDBLTFX {
    uint32_t fillColor = 0;          // DDBLT_COLORFILL: the pixel value written
    DDCOLORKEY srcColorKeyOverride;  // DDBLT_KEYSRCOVERRIDE: the source key for this blit only
};

// The operations counted per surface, whose results tests can replace (platform/headless.h).
enum class SurfaceOp;
constexpr int DisplaySurfaceOpCount = 8;

class DisplayDevice;
struct SdlPresenter;

class DisplaySurface {
  public:
    // Copies srcRect of src into destRect of this surface, stretching when the sizes differ, with
    // both rectangles cut to their surfaces. Null rectangles mean whole surfaces. DDBLT_COLORFILL
    // fills destRect with fx->fillColor instead (src unused); DDBLT_KEYSRC skips pixels matching
    // src's source key, DDBLT_KEYSRCOVERRIDE those matching fx->srcColorKeyOverride.
    DDRESULT Blt(const RECT* destRect, DisplaySurface* src, const RECT* srcRect, uint32_t flags,
                 const DDBLTFX* fx);
    // Copies srcRect of src (null: all of it) to (x, y) at the same size; with
    // DDBLTFAST_SRCCOLORKEY pixels matching src's source key are skipped. Rectangles that do not
    // lie inside their surfaces give DDERR_INVALIDRECT and copy nothing.
    DDRESULT BltFast(int32_t x, int32_t y, DisplaySurface* src, const RECT* srcRect,
                     uint32_t flags);
    // Gives direct access to the pixels of rect (null: the whole surface) until Unlock: fills
    // desc with the size, pitch, format and the address of the rectangle's first pixel.
    DDRESULT Lock(const RECT* rect, DDSURFACEDESC& desc, uint32_t flags);
    DDRESULT Unlock();
    DDRESULT GetSurfaceDesc(DDSURFACEDESC& desc);
    // Brings a lost surface back (its pixels are kept but should be taken as undefined).
    DDRESULT Restore();
    DDRESULT SetColorKey(uint32_t flags, const DDCOLORKEY& key);
    DDRESULT GetColorKey(uint32_t flags, DDCOLORKEY& key);
    // Primary surface only: exchanges the front picture with the back buffer's and shows it.
    DDRESULT Flip(DisplaySurface* target, uint32_t flags);
    // Primary surface only: the back buffer (caps DDSCAPS_BACKBUFFER).
    DDRESULT GetAttachedSurface(uint32_t caps, std::shared_ptr<DisplaySurface>& attached);
    // DD_OK, or DDERR_SURFACELOST while the surface is lost.
    DDRESULT IsLost() const;

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    int32_t Pitch() const { return pitch_; }
    int32_t BytesPerPixel() const { return static_cast<int32_t>(format_.rgbBitCount / 8); }
    const DDPIXELFORMAT& PixelFormat() const { return format_; }
    // The pixel memory, for as long as the surface exists. Code that draws should Lock; this is
    // for readers (tests, screenshots) that are sure nothing else touches the surface.
    uint8_t* Pixels();

    DisplaySurface(DisplayDevice* device, int32_t width, int32_t height, uint32_t caps,
                   const DDPIXELFORMAT& format);
    ~DisplaySurface();
    DisplaySurface(const DisplaySurface&) = delete;
    DisplaySurface& operator=(const DisplaySurface&) = delete;

  private:
    friend class DisplayDevice;
    friend void MarkSurfaceLost(DisplaySurface&);
    friend void InjectSurfaceResult(DisplaySurface&, SurfaceOp, DDRESULT, int);
    friend int SurfaceCallCount(const DisplaySurface&, SurfaceOp);
    DDRESULT Enter(SurfaceOp op);
    void Detach();
    // Makes the back buffer's pending copy of the front picture (see backMatches_) before either
    // surface of the pair is read or written; nothing for other surfaces.
    void SettleBackCopy();
    // Before rows top..bottom-1 of this surface are written (or handed out to be): settles the
    // pending copy and notes the rows where the pair's pictures may now differ.
    void WillDraw(int32_t top, int32_t bottom);

    DisplayDevice* device_;
    int32_t width_, height_, pitch_;
    uint32_t caps_;
    DDPIXELFORMAT format_;
    uint8_t* pixels_ = nullptr;
    bool lost_ = false;
    int locks_ = 0;
    bool hasSrcKey_ = false, hasDestKey_ = false;
    DDCOLORKEY srcKey_, destKey_;
    std::shared_ptr<DisplaySurface> backBuffer_;  // primary surface only
    // Primary surface only: the back buffer is to hold a copy of the front picture that has not
    // been made yet. A whole copy of the front into the back buffer (what follows every flip)
    // waits until either surface is touched; a whole overwrite of the back buffer drops it, and a
    // flip before either shows the same picture again without exchanging anything.
    bool backMatches_ = false;
    // Primary surface with a back buffer only: for each row, whether the back buffer's pixels
    // may differ from the front's there. Only those rows are compared at a flip and copied by a
    // pending copy, so rows drawn again alike, and an unchanged picture, cost neither.
    std::vector<uint8_t> rowMayDiffer_;
    // Primary surface only: the front was drawn on since the last flip, so the whole of it is
    // shown again at the next.
    bool frontDrawn_ = true;
    DisplaySurface* primary_ = nullptr;  // back buffer only
    struct Fault {
        DDRESULT result = DD_OK;
        int times = 0;
    };
    Fault faults_[DisplaySurfaceOpCount];
    int calls_[DisplaySurfaceOpCount] = {};
};

using DisplaySurfacePtr = std::shared_ptr<DisplaySurface>;

// The device: one per process. Surfaces are shared between their holders and the device; when the
// device is released, surfaces still held elsewhere are lost for good (their pixels stay readable
// until the last holder lets go, but nothing draws to or from them).
class DisplayDevice {
  public:
    // The main window must exist; flags are DDSCL_*.
    DDRESULT SetCooperativeLevel(uint32_t flags);
    // Only 800x600 at 32, 24 or 16 bits is offered; anything else is DDERR_INVALIDMODE.
    DDRESULT SetDisplayMode(int32_t width, int32_t height, int32_t bpp, int32_t refreshRate = 0,
                            uint32_t flags = 0);
    // Fills width, height, pitch and pixel format of the current mode.
    DDRESULT GetDisplayMode(DDSURFACEDESC& desc);
    // Primary (DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX with one back buffer) or a
    // plain surface of the given width and height, in the display's format unless
    // DDSD_PIXELFORMAT gives one (16, 24 or 32-bit RGB).
    DDRESULT CreateSurface(const DDSURFACEDESC& desc, DisplaySurfacePtr& surface);
    // Loses every surface of the device outside system memory (what a mode switch by another
    // program does).
    void LoseAllSurfaces();
    // Number of successful flips so far.
    uint64_t FlipCount() const { return flips_; }
    int32_t Depth() const { return depth_; }

    DisplayDevice();
    ~DisplayDevice();
    DisplayDevice(const DisplayDevice&) = delete;
    DisplayDevice& operator=(const DisplayDevice&) = delete;

  private:
    friend class DisplaySurface;
    // Shows the front picture, of which rows first..last changed since the last frame shown
    // (none when first > last).
    DDRESULT ShowFrame(DisplaySurface& front, int32_t first, int32_t last);

    bool cooperative_ = false;
    int32_t depth_ = 0;
    uint64_t flips_ = 0;
    std::vector<std::weak_ptr<DisplaySurface>> surfaces_;
    SdlPresenter* presenter_ = nullptr;
};

// Makes the device. Released by deleting it.
DDRESULT DirectDrawCreate(std::unique_ptr<DisplayDevice>& device);

// The display format of a depth (32, 24 or 16).
DDPIXELFORMAT DisplayPixelFormat(int32_t bpp);
// The format of a surface converted to opaque RGBA bytes, rows packed (width * 4 bytes).
bool ReadSurfaceRgba(DisplaySurface& surface, std::vector<uint8_t>& rgba);
// Writes the surface as an RGBA PNG.
bool WriteSurfacePng(DisplaySurface& surface, const std::string& path);
