// The music player's last-error texts: at most 1023 characters, as "Class::Operation->message".
#pragma once
#include <cstring>

class ErrorText {
  public:
    static constexpr size_t Limit = 1023;
    void Set(const char* text) {
        size_t n = text ? std::strlen(text) : 0;
        if (n > Limit) n = Limit;
        if (n) std::memcpy(text_, text, n);
        text_[n] = 0;
    }
    const char* Get() const { return text_; }

  private:
    char text_[Limit + 1] = {};
};
