#include "sessions.h"

#include <sodium.h>

#include <algorithm>

#include "passwords.h"

namespace {
std::string LabelOf(const std::string& token) {
    unsigned char digest[4];
    crypto_generichash(digest, sizeof digest, reinterpret_cast<const unsigned char*>(token.data()),
                       token.size(), nullptr, 0);
    char hex[sizeof digest * 2 + 1];
    sodium_bin2hex(hex, sizeof hex, digest, sizeof digest);
    return hex;
}

void Forget(std::deque<SessionClock::time_point>& times, SessionClock::time_point now) {
    while (!times.empty() && now - times.front() >= LoginLimiter::Window) times.pop_front();
}
}  // namespace

Session Sessions::Make(bool signedIn) {
    Session s;
    s.token = RandomToken();
    s.csrf = RandomToken();
    s.label = LabelOf(s.token);
    s.signedIn = signedIn;
    auto now = SessionClock::now();
    s.ends = now + (signedIn ? SignedInLife : LoginFormLife);
    s.expires =
        std::min(s.ends, now + (signedIn ? idleLife_ : std::chrono::seconds(LoginFormLife)));
    return s;
}

void Sessions::Prune() {
    auto now = SessionClock::now();
    std::erase_if(sessions_, [&](const auto& entry) { return entry.second.expires <= now; });
    // When full, sign-in forms give way first (oldest first), then the oldest sessions.
    for (bool signedIn : {false, true})
        while (sessions_.size() >= MostSessions) {
            auto oldest = sessions_.end();
            for (auto it = sessions_.begin(); it != sessions_.end(); ++it)
                if (it->second.signedIn == signedIn &&
                    (oldest == sessions_.end() || it->second.expires < oldest->second.expires))
                    oldest = it;
            if (oldest == sessions_.end()) break;
            sessions_.erase(oldest);
        }
}

Session Sessions::StartLogin() {
    std::lock_guard lock(mutex_);
    Prune();
    Session s = Make(false);
    sessions_[s.token] = s;
    return s;
}

std::optional<Session> Sessions::Find(const std::string& token) {
    std::lock_guard lock(mutex_);
    auto it = sessions_.find(token);
    if (it == sessions_.end() || !SameSecret(it->first, token)) return std::nullopt;
    auto now = SessionClock::now();
    if (it->second.expires <= now) {
        sessions_.erase(it);
        return std::nullopt;
    }
    if (it->second.signedIn) it->second.expires = std::min(it->second.ends, now + idleLife_);
    return it->second;
}

Session Sessions::SignIn(const std::string& oldToken) {
    std::lock_guard lock(mutex_);
    sessions_.erase(oldToken);
    Prune();
    Session s = Make(true);
    sessions_[s.token] = s;
    return s;
}

void Sessions::End(const std::string& token) {
    std::lock_guard lock(mutex_);
    sessions_.erase(token);
}

std::string Sessions::NewConfirmation(const std::string& token, const std::string& action) {
    std::lock_guard lock(mutex_);
    auto it = sessions_.find(token);
    if (it == sessions_.end()) return "";
    auto& pending = it->second.confirmations;
    if (pending.size() >= 16) pending.erase(pending.begin());
    std::string confirmation = RandomToken();
    pending[confirmation] = action;
    return confirmation;
}

bool Sessions::TakeConfirmation(const std::string& token, const std::string& confirmation,
                                const std::string& action) {
    std::lock_guard lock(mutex_);
    auto it = sessions_.find(token);
    if (it == sessions_.end()) return false;
    auto& pending = it->second.confirmations;
    auto c = pending.find(confirmation);
    if (c == pending.end()) return false;
    bool same = c->second == action;
    pending.erase(c);
    return same;
}

bool LoginLimiter::Allow(const std::string& address, int* waitSeconds) {
    std::lock_guard lock(mutex_);
    auto now = SessionClock::now();
    Forget(attempts_, now);
    auto it = failures_.find(address);
    if (it != failures_.end()) {
        Forget(it->second, now);
        if (it->second.empty()) {
            failures_.erase(it);
            it = failures_.end();
        }
    }
    const std::deque<SessionClock::time_point>* full = nullptr;
    if (it != failures_.end() && it->second.size() >= MostFailuresPerAddress)
        full = &it->second;
    else if (attempts_.size() >= MostAttempts)
        full = &attempts_;
    if (full) {
        auto wait = std::chrono::duration_cast<std::chrono::seconds>(full->front() + Window - now);
        *waitSeconds = static_cast<int>(wait.count()) + 1;
        return false;
    }
    attempts_.push_back(now);
    return true;
}

void LoginLimiter::Failed(const std::string& address) {
    std::lock_guard lock(mutex_);
    if (failures_.size() >= 10000) failures_.clear();
    failures_[address].push_back(SessionClock::now());
}
