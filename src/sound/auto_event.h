// An auto-reset event: Set wakes one waiter (or the next one to wait) and clears itself.
#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

class AutoResetEvent {
  public:
    void Set() {
        std::lock_guard<std::mutex> hold(lock_);
        signalled_ = true;
        wake_.notify_one();
    }
    void Wait() {
        std::unique_lock<std::mutex> hold(lock_);
        wake_.wait(hold, [this] { return signalled_; });
        signalled_ = false;
    }
    // False when `ms` passed without the event being set.
    bool WaitFor(uint32_t ms) {
        std::unique_lock<std::mutex> hold(lock_);
        if (!wake_.wait_for(hold, std::chrono::milliseconds(ms), [this] { return signalled_; }))
            return false;
        signalled_ = false;
        return true;
    }

  private:
    std::mutex lock_;
    std::condition_variable wake_;
    bool signalled_ = false;
};
