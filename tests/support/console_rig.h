// The real brindlemark-console started on a free port beside a real credit service, and a
// client that signs in and keeps its cookie as a browser would.
#pragma once
#include <httplib.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/credit_service.h"

constexpr const char* OperatorPassword = "a long pub password";

// Writes the password file through `brindlemark-console passwd`, the password on standard input.
bool SetPassword(const std::string& authPath, const std::string& password);

// Starts `brindlemark-console serve` with these arguments (on a free loopback port), its log in
// `log`: the port it listens on, or 0 when it did not start; `process` is set either way.
int StartConsole(const std::vector<std::string>& serveArgs, const std::string& log,
                 ProcessId* process);
// Starts the console's fleet mode over the database at `dbUrl`, with the operator's password and
// the console's log ("console.log") in `folder`: the port, or 0 when it did not start.
int StartFleetConsole(const std::string& dbUrl, const ScratchFolder& folder, ProcessId* process);

// A folder with a credit service, a password file and the console serving them.
class ConsoleRig {
  public:
    // `serveArgs`: more arguments for `serve`.
    explicit ConsoleRig(const std::string& name, const std::vector<std::string>& serveArgs = {});
    ~ConsoleRig();
    bool started() const { return port_ != 0; }
    int port() const { return port_; }
    ScratchFolder& folder() { return folder_; }
    ServiceProcess& service() { return *service_; }
    std::string cabinet() const { return folder_.File("cabinet"); }
    std::string db() const { return folder_.File("credit.db"); }
    // The console's own log so far.
    std::string Log() const { return ReadText(folder_.File("console.log")); }

  private:
    ScratchFolder folder_;
    std::unique_ptr<ServiceProcess> service_;
    ProcessId process_ = NoProcess;
    int port_ = 0;
};

// A browser's worth of HTTP: one cookie, kept from each answer.
class ConsoleClient {
  public:
    explicit ConsoleClient(int port);
    httplib::Result Get(const std::string& path);
    httplib::Result Post(const std::string& path, const std::map<std::string, std::string>& fields);
    // Fetches the sign-in form and posts the password with the form's token: the final status.
    int SignIn(const std::string& password);
    std::string cookie;
    std::string lastCsrf;  // the form token of the last page fetched that had one
    httplib::Client http;

  private:
    void Keep(const httplib::Result& r);
};

// Writes a game of the recall in its documented format (data/recall/NNNNNNNN.json): questions
// answered right until the last, a prize when big teams were beaten.
void WriteRecalledGame(const std::string& cabinet, long seq, int band, int beaten,
                       const std::string& statement);
// Writes an audit record holding this payout balance and "games bought".
void WriteAuditRecord(const std::string& cabinet, float balance, int gamesBought);

// The value of a form's hidden field in a page ("" when absent).
std::string FieldValue(const std::string& html, const std::string& name);
