// A loopback TCP listener for tests: accepts one client at a time, records what each sends and
// answers each received line through a reply function.
#pragma once
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class FakeListener {
  public:
    // Listens on 127.0.0.1:port (0 picks a free port).
    explicit FakeListener(uint16_t port = 0,
                          std::function<std::string(const std::string&)> reply = nullptr)
        : reply_(std::move(reply)) {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        int one = 1;
        setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(port);
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ok_ =
            bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 && listen(fd_, 8) == 0;
        socklen_t len = sizeof addr;
        getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~FakeListener() {
        stop_ = true;
        thread_.join();
        close(fd_);
    }
    bool ok() const { return ok_; }
    uint16_t port() const { return port_; }
    std::string received() {
        std::lock_guard<std::mutex> lock(mutex_);
        return received_;
    }
    // True once a client connection has been closed by the client.
    bool clientClosed() const { return closed_; }

  private:
    void Serve() {
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0) continue;
            int client = accept(fd_, nullptr, nullptr);
            if (client < 0) continue;
            std::string line;
            while (!stop_) {
                pollfd c{client, POLLIN, 0};
                if (poll(&c, 1, 20) <= 0) continue;
                char buf[256];
                ssize_t n = recv(client, buf, sizeof buf, 0);
                if (n <= 0) {
                    closed_ = true;
                    break;
                }
                std::lock_guard<std::mutex> lock(mutex_);
                received_.append(buf, static_cast<size_t>(n));
                line.append(buf, static_cast<size_t>(n));
                size_t end;
                while ((end = line.find('\n')) != std::string::npos) {
                    std::string request = line.substr(0, end + 1);
                    line.erase(0, end + 1);
                    if (reply_) {
                        std::string answer = reply_(request);
                        if (!answer.empty())
                            send(client, answer.data(), answer.size(), MSG_NOSIGNAL);
                    }
                }
            }
            close(client);
        }
    }

    int fd_ = -1;
    bool ok_ = false;
    uint16_t port_ = 0;
    std::function<std::string(const std::string&)> reply_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> closed_{false};
    std::mutex mutex_;
    std::string received_;
    std::thread thread_;
};
