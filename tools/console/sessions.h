// Signed-in sessions held in memory, their forms' tokens, and the limit on sign-in attempts.
#pragma once
#include <chrono>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>

using SessionClock = std::chrono::steady_clock;

struct Session {
    std::string token;  // the cookie's value
    std::string csrf;   // every form of the session carries it
    std::string label;  // names the session in the log without giving its token away
    bool signedIn = false;
    SessionClock::time_point expires;                  // idle end, never past `ends`
    SessionClock::time_point ends;                     // whole-life end
    std::map<std::string, std::string> confirmations;  // one-use token -> the action confirmed
};

class Sessions {
  public:
    static constexpr std::chrono::minutes SignedInLife{8 * 60};
    static constexpr std::chrono::minutes DefaultIdleLife{60};
    static constexpr std::chrono::minutes LoginFormLife{15};
    static constexpr size_t MostSessions = 1000;

    // How long a signed-in session lasts without a request (at most its whole life).
    void SetIdleLife(std::chrono::seconds idle) { idleLife_ = idle; }
    // A session for the sign-in form, not signed in.
    Session StartLogin();
    // The live session with this token (its idle time restarted), if any.
    std::optional<Session> Find(const std::string& token);
    // Ends the sign-in form's session and starts a signed-in one with a new token.
    Session SignIn(const std::string& oldToken);
    void End(const std::string& token);
    // A one-use token for confirming an action, and taking it back (true once per token, only
    // for the action it was made for).
    std::string NewConfirmation(const std::string& token, const std::string& action);
    bool TakeConfirmation(const std::string& token, const std::string& confirmation,
                          const std::string& action);

  private:
    Session Make(bool signedIn);
    void Prune();
    std::mutex mutex_;
    std::map<std::string, Session> sessions_;
    std::chrono::seconds idleLife_ = DefaultIdleLife;
};

// At most 5 failed sign-ins from one address in a minute, and at most 30 attempts from all
// addresses in a minute: a password cannot be guessed quickly, and a flood costs no more than a
// few slow hashes.
class LoginLimiter {
  public:
    static constexpr int MostFailuresPerAddress = 5;
    static constexpr int MostAttempts = 30;
    static constexpr std::chrono::seconds Window{60};

    // True when an attempt from this address may go on (and counts it); else the wait.
    bool Allow(const std::string& address, int* waitSeconds);
    void Failed(const std::string& address);

  private:
    std::mutex mutex_;
    std::deque<SessionClock::time_point> attempts_;
    std::map<std::string, std::deque<SessionClock::time_point>> failures_;
};
