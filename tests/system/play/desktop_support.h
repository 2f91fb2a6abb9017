// A private X desktop for process tests: a virtual X server, programs started as children with
// their own environment and folder, touches injected through the server, and screenshots.
#pragma once
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

// True when an executable of that name lies on PATH.
bool OnPath(const std::string& program);

// A child process, killed on destruction if it still runs.
class ChildProcess {
  public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();
    // Starts argv[0] (a path, or a name looked up on PATH) in folder `dir` (empty: this one),
    // with `env` entries ("NAME=value") set over this process's environment and `unset` names
    // removed; standard output and error go to `logPath` when given. False if it did not start.
    bool Start(const std::vector<std::string>& argv, const std::string& dir = "",
               const std::vector<std::string>& env = {}, const std::vector<std::string>& unset = {},
               const std::string& logPath = "", int extraFd = -1);
    bool Running();
    // Waits up to `seconds` for the exit; true with the exit status (0..255, or -1 for a signal)
    // when it ended, false when it still runs.
    bool Wait(double seconds, int& status);
    // Ends the child with SIGTERM, then SIGKILL after a second.
    void Stop();
    pid_t pid() const { return pid_; }

  private:
    pid_t pid_ = -1;
    bool reaped_ = false;
    int status_ = -1;
};

// An RGB screenshot of the whole X screen.
struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // rows top to bottom, 3 bytes a pixel
    const uint8_t* At(int x, int y) const {
        return &rgb[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) *
                    3];
    }
};

// Reads a binary PPM (P6, maxval 255 or 65535) as produced by ImageMagick; false if malformed.
bool ParsePpm(const std::string& bytes, Screenshot& shot, std::string& error);
// Writes the screenshot as a PNG file.
bool SaveScreenshot(const Screenshot& shot, const std::string& path);

// A virtual X server of width x height pixels at 24 bits, on a display number of its own choosing,
// bare or with a window manager.
class VirtualDesktop {
  public:
    // Starts the server; ok() tells whether it runs, why() what went wrong otherwise.
    explicit VirtualDesktop(int width = 800, int height = 600);
    ~VirtualDesktop();
    bool ok() const { return !display_.empty(); }
    const std::string& why() const { return why_; }
    // ":N", for the DISPLAY variable of the programs shown on it.
    const std::string& display() const { return display_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // Starts a window manager (a program on PATH) on the screen; false when it does not run.
    bool StartWindowManager(const std::string& program);
    // A touch: the pointer moves to (x, y) and the left button is pressed and released.
    bool Touch(int x, int y);
    // The whole screen as it is now; false (with the reason in why()) when it cannot be read.
    bool Capture(Screenshot& shot);

  private:
    ChildProcess server_, windowManager_;
    int width_, height_;
    std::string display_;
    std::string why_;
};
