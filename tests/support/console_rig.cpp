#include "support/console_rig.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <thread>

#include "support/capture.h"

bool SetPassword(const std::string& authPath, const std::string& password) {
    Captured c = CaptureCommand("printf '%s\\n' '" + password + "' | " + CONSOLE_PATH +
                                " passwd --auth '" + authPath + "' 2>&1");
    return c.status == 0;
}

int StartConsole(const std::vector<std::string>& serveArgs, const std::string& log,
                 ProcessId* process) {
    std::vector<std::string> argv = {CONSOLE_PATH, "serve", "--listen", "127.0.0.1:0"};
    argv.insert(argv.end(), serveArgs.begin(), serveArgs.end());
    *process = StartProcess(argv, "", log);
    const std::string marker = "listening on http://127.0.0.1:";
    for (int i = 0; i < 2000 && *process != NoProcess; ++i) {
        std::string text = ReadText(log);
        size_t at = text.find(marker);
        if (at != std::string::npos && text.find('\n', at) != std::string::npos)
            return std::stoi(text.substr(at + marker.size()));
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 0;
}

int StartFleetConsole(const std::string& dbUrl, const ScratchFolder& folder, ProcessId* process) {
    *process = NoProcess;
    if (!SetPassword(folder.File("auth"), OperatorPassword)) return 0;
    return StartConsole({"--fleet", dbUrl, "--auth", folder.File("auth")},
                        folder.File("console.log"), process);
}

ConsoleRig::ConsoleRig(const std::string& name, const std::vector<std::string>& serveArgs)
    : folder_(name) {
    std::filesystem::create_directories(cabinet());
    service_ = std::make_unique<ServiceProcess>(db(), folder_.File("credit.log"));
    if (!service_->started() || !SetPassword(folder_.File("auth"), OperatorPassword)) return;
    std::vector<std::string> args = {"--folder",      cabinet(),
                                     "--db",          db(),
                                     "--auth",        folder_.File("auth"),
                                     "--credit-port", std::to_string(service_->port())};
    args.insert(args.end(), serveArgs.begin(), serveArgs.end());
    port_ = StartConsole(args, folder_.File("console.log"), &process_);
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

void WriteRecalledGame(const std::string& cabinet, long seq, int band, int beaten,
                       const std::string& statement) {
    static const int ladder[7][3] = {{50, 100, 150},  {50, 100, 150},  {100, 150, 200},
                                     {100, 200, 300}, {200, 400, 500}, {300, 400, 500},
                                     {400, 500, 600}};
    std::filesystem::create_directories(cabinet + "/data/recall");
    char name[32];
    std::snprintf(name, sizeof name, "/data/recall/%08ld.json", seq);
    int prize = beaten > 0 ? ladder[band][beaten - 1] : 0;
    std::string questions;
    for (int i = 0; i < 3; ++i)
        questions += std::string(i ? "," : "") +
                     "{\"stage\": \"rounds\", \"pack\": \"Data07.pck\", " +
                     "\"line\": " + std::to_string(100 + i) + ", \"statement\": \"" + statement +
                     " " + std::to_string(i) + "\", \"answer\": " + (i % 2 ? "false" : "true") +
                     ", \"touch\": \"" +
                     (i == 2  ? "timeout"
                      : i % 2 ? "false"
                              : "true") +
                     "\", \"second_try\": false, \"joker\": " + (i == 1 ? "true" : "false") +
                     ", \"seconds\": " + (i == 2 ? "20.0" : "4.5") + "}";
    std::ofstream(cabinet + name)
        << "{\"format\": 1, \"seq\": " << seq << ", \"start\": \"2026-12-09T16:50:0" << seq % 10
        << "\", \"end\": \"2026-12-09T16:53:40\", \"stake\": 50, \"band\": " << band
        << ", \"win_plan\": {\"band\": " << band
        << ", \"first\": 1, \"grades\": [1, 2, 3, 2, 1, 2, "
        << "3, 2]}, \"questions\": [" << questions
        << "], \"right_answers\": 2, \"passes_used\": 0, "
        << "\"jokers_used\": 1, \"big_teams\": [" << ladder[band][0] << ", " << ladder[band][1]
        << ", " << ladder[band][2] << "], \"big_teams_beaten\": " << beaten
        << ", \"prize\": " << prize << ", \"payment\": \"" << (prize ? "paid" : "none")
        << "\", \"resumed\": 0}";
}

void WriteAuditRecord(const std::string& cabinet, float balance, int gamesBought) {
    std::filesystem::create_directories(cabinet + "/data");
    unsigned char head[176] = {};
    std::memcpy(head, &balance, 4);  // little-endian, as the record is stored
    std::memcpy(head + 8, &gamesBought, 4);
    std::ofstream out(cabinet + "/data/pellwarden.rec", std::ios::binary);
    out.write(reinterpret_cast<const char*>(head), sizeof head);
    out << "Brindlemark cabinet audit record, version 1.0.0.1 - Inf File Written 12/09/26";
}
