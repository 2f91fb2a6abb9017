#include "console/console_support.h"

#include <chrono>
#include <thread>

#include "support/capture.h"

bool SetPassword(const std::string& authPath, const std::string& password) {
    Captured c = CaptureCommand("printf '%s\\n' '" + password + "' | " + CONSOLE_PATH +
                                " passwd --auth '" + authPath + "' 2>&1");
    return c.status == 0;
}

ConsoleRig::ConsoleRig(const std::string& name) : folder_(name) {
    std::filesystem::create_directories(cabinet());
    service_ = std::make_unique<ServiceProcess>(db(), folder_.File("credit.log"));
    if (!service_->started() || !SetPassword(folder_.File("auth"), OperatorPassword)) return;
    std::string log = folder_.File("console.log");
    process_ = StartProcess(
        {CONSOLE_PATH, "serve", "--folder", cabinet(), "--db", db(), "--auth", folder_.File("auth"),
         "--listen", "127.0.0.1:0", "--credit-port", std::to_string(service_->port())},
        "", log);
    const std::string marker = "listening on http://127.0.0.1:";
    for (int i = 0; i < 1000 && process_ != NoProcess; ++i) {
        std::string text = ReadText(log);
        size_t at = text.find(marker);
        if (at != std::string::npos && text.find('\n', at) != std::string::npos) {
            port_ = std::stoi(text.substr(at + marker.size()));
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

ConsoleRig::~ConsoleRig() {
    if (process_ == NoProcess) return;
    StopProcess(process_);
    WaitProcess(process_);
}

ConsoleClient::ConsoleClient(int port) : http("127.0.0.1", port) {
    http.set_read_timeout(30, 0);
}

void ConsoleClient::Keep(const httplib::Result& r) {
    if (!r) return;
    std::string set = r->get_header_value("Set-Cookie");
    if (!set.empty()) {
        std::string pair = set.substr(0, set.find(';'));
        cookie = pair.substr(pair.find('=') + 1).empty() ? "" : pair;
    }
    std::string csrf = FieldValue(r->body, "csrf");
    if (!csrf.empty()) lastCsrf = csrf;
}

httplib::Result ConsoleClient::Get(const std::string& path) {
    httplib::Headers headers;
    if (!cookie.empty()) headers.emplace("Cookie", cookie);
    httplib::Result r = http.Get(path.c_str(), headers);
    Keep(r);
    return r;
}

httplib::Result ConsoleClient::Post(const std::string& path,
                                    const std::map<std::string, std::string>& fields) {
    httplib::Headers headers;
    if (!cookie.empty()) headers.emplace("Cookie", cookie);
    httplib::Params params(fields.begin(), fields.end());
    httplib::Result r = http.Post(path.c_str(), headers, params);
    Keep(r);
    return r;
}

int ConsoleClient::SignIn(const std::string& password) {
    Get("/login");
    httplib::Result r = Post("/login", {{"password", password}, {"csrf", lastCsrf}});
    return r ? r->status : -1;
}

std::string FieldValue(const std::string& html, const std::string& name) {
    std::string key = "name=\"" + name + "\" value=\"";
    size_t at = html.find(key);
    if (at == std::string::npos) return "";
    at += key.size();
    return html.substr(at, html.find('"', at) - at);
}
