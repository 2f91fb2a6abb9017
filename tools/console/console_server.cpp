#include "console_server.h"

#include <httplib.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>

#ifdef BRINDLEMARK_FLEET
#include "fleet_db.h"
#include "fleet_pages.h"
#endif
#include "html.h"
#include "ledger_reader.h"
#include "pages.h"
#include "passwords.h"
#include "platform/net.h"
#include "sessions.h"

namespace {
constexpr const char* CookieName = "bm_session";
constexpr int CreditReplyTimeoutMs = 3000;

std::string Now() {
    std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

// One line to the console's log (standard error, the journal under systemd).
void Log(const std::string& text) {
    std::fprintf(stderr, "%s %s\n", Now().c_str(), text.c_str());
    std::fflush(stderr);
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string UrlDecode(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
                   HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The fields of a form posted as application/x-www-form-urlencoded; a field given twice keeps
// its first value.
std::map<std::string, std::string> FormFields(const httplib::Request& req) {
    std::map<std::string, std::string> fields;
    if (req.get_header_value("Content-Type").rfind("application/x-www-form-urlencoded", 0) != 0)
        return fields;
    size_t start = 0;
    while (start <= req.body.size()) {
        size_t end = req.body.find('&', start);
        if (end == std::string::npos) end = req.body.size();
        std::string pair = req.body.substr(start, end - start);
        size_t eq = pair.find('=');
        if (eq != std::string::npos)
            fields.emplace(UrlDecode(pair.substr(0, eq)), UrlDecode(pair.substr(eq + 1)));
        start = end + 1;
    }
    return fields;
}

std::string CookieToken(const httplib::Request& req) {
    std::string cookies = req.get_header_value("Cookie");
    std::string key = std::string(CookieName) + "=";
    size_t at = 0;
    while ((at = cookies.find(key, at)) != std::string::npos) {
        if (at == 0 || cookies[at - 1] == ' ' || cookies[at - 1] == ';') {
            size_t end = cookies.find(';', at);
            return cookies.substr(at + key.size(), end == std::string::npos
                                                       ? std::string::npos
                                                       : end - at - key.size());
        }
        at += key.size();
    }
    return "";
}

void SetCookie(httplib::Response& res, const std::string& token, long seconds) {
    res.set_header("Set-Cookie",
                   std::string(CookieName) + "=" + token +
                       "; Path=/; HttpOnly; SameSite=Strict; Max-Age=" + std::to_string(seconds));
}

void Send(httplib::Response& res, const PageOutput& page) {
    res.status = page.status;
    if (!page.fileName.empty())
        res.set_header("Content-Disposition", "attachment; filename=\"" + page.fileName + "\"");
    res.set_content(page.body, page.contentType.c_str());
}

// A plain amount in pence: digits, no leading zero, 1 to `most`.
bool ReadPence(const std::string& text, int64_t most, int64_t* pence) {
    if (text.empty() || text.size() > 10 || text[0] == '0' ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    *pence = std::stoll(text);
    return *pence >= 1 && *pence <= most;
}

// One request to the credit service and its reply line ("" when none came).
std::string AskCreditService(uint16_t port, const std::string& line) {
    SocketHandle s = OpenTcpSocket();
    if (!ConnectSocket(s, "127.0.0.1", port)) {
        CloseSocket(s);
        return "";
    }
    std::string request = line + "\r\n";
    char reply[64] = {};
    long n = SendOnSocket(s, request.data(), request.size()) == static_cast<long>(request.size())
                 ? ReceiveOnSocket(s, reply, sizeof reply - 1, CreditReplyTimeoutMs)
                 : -1;
    CloseSocket(s);
    if (n <= 0) return "";
    std::string text(reply, static_cast<size_t>(n));
    size_t end = text.find('\r');
    return end == std::string::npos ? "" : text.substr(0, end);
}
}  // namespace

struct ConsoleServer::State {
    ConsoleSettings settings;
    httplib::Server server;
    LedgerReader ledger;
    Sessions sessions;
    LoginLimiter limiter;
    std::mutex hashing;  // one slow hash at a time
    int port = 0;

    std::optional<Session> SignedIn(const httplib::Request& req) {
        std::string token = CookieToken(req);
        if (token.empty()) return std::nullopt;
        std::optional<Session> s = sessions.Find(token);
        if (!s || !s->signedIn) return std::nullopt;
        return s;
    }

    PageInput Input(const httplib::Request& req, const Session& s) {
        PageInput in;
        in.ledger = &ledger;
        in.folder = settings.folder;
        in.csrf = s.csrf;
        for (const auto& [k, v] : req.params) in.query.emplace(k, v);
        return in;
    }

    void ShowLogin(httplib::Response& res, int status, const std::string& message) {
        Session s = sessions.StartLogin();
        SetCookie(res, s.token, std::chrono::seconds(Sessions::LoginFormLife).count());
        res.status = status;
        res.set_content(LoginPage(s.csrf, message), "text/html; charset=utf-8");
    }

    void Login(const httplib::Request& req, httplib::Response& res) {
        auto fields = FormFields(req);
        std::string token = CookieToken(req);
        std::optional<Session> form = token.empty() ? std::nullopt : sessions.Find(token);
        if (!form || !SameSecret(fields["csrf"], form->csrf)) {
            Log("sign-in refused from " + req.remote_addr + ": no valid form token");
            return ShowLogin(res, 403, "The sign-in form had expired. Please try again.");
        }
        int wait = 0;
        if (!limiter.Allow(req.remote_addr, &wait)) {
            Log("sign-in refused from " + req.remote_addr + ": too many attempts");
            res.set_header("Retry-After", std::to_string(wait));
            return ShowLogin(res, 429,
                             "Too many sign-in attempts. Wait " + std::to_string(wait) +
                                 " seconds before trying again.");
        }
        std::string hash, error;
        bool good = false;
        {
            std::lock_guard lock(hashing);
            good = ReadPasswordFile(settings.auth, &hash, &error) &&
                   PasswordMatches(hash, fields["password"]);
        }
        if (!good) {
            limiter.Failed(req.remote_addr);
            Log("sign-in failed from " + req.remote_addr +
                (error.empty() ? ": wrong password" : ": " + error));
            return ShowLogin(res, 401, "Wrong password.");
        }
        Session s = sessions.SignIn(token);
        Log("session " + s.label + " signed in from " + req.remote_addr);
        SetCookie(res, s.token, std::chrono::seconds(Sessions::SignedInLife).count());
        res.status = 303;
        res.set_header("Location", "/");
    }

    // The signed-in session of a form post whose token is right; else answers the refusal.
    std::optional<Session> FormSession(const httplib::Request& req, httplib::Response& res,
                                       std::map<std::string, std::string>* fields) {
        std::optional<Session> s = SignedIn(req);
        *fields = FormFields(req);
        if (s && SameSecret((*fields)["csrf"], s->csrf)) return s;
        Log("form refused from " + req.remote_addr + " on " + req.path +
            (s ? " (session " + s->label + "): missing or stale form token" : ": not signed in"));
        res.status = 403;
        res.set_content("Refused: the form's token is missing or stale. Reload the page.\n",
                        "text/plain; charset=utf-8");
        return std::nullopt;
    }

    // An action: the first post shows what will be done with a one-use confirmation; the
    // confirmed post does it.
    void Action(const httplib::Request& req, httplib::Response& res, bool payout) {
        std::map<std::string, std::string> fields;
        std::optional<Session> s = FormSession(req, res, &fields);
        if (!s) return;
        int64_t pence = 0;
        if (!ReadPence(fields["pence"], payout ? 2147483647 : 100000, &pence))
            return Send(res, MessagePage("Actions", s->csrf, "bad", "Not an amount.", 400));
        std::string name = std::string(payout ? "payout:" : "credit:") + std::to_string(pence);
        std::string what = payout ? "Pay out " + Money(pence) + " from the bank"
                                  : "Insert " + Money(pence) + " of test credit";
        auto confirm = fields.find("confirm");
        if (confirm == fields.end()) {
            std::string token = sessions.NewConfirmation(s->token, name);
            std::string body =
                "<p class=\"warn\">" + Escape(what) + "?</p><form method=\"post\" action=\"" +
                req.path + "\">" + CsrfField(s->csrf) +
                "<input type=\"hidden\" name=\"pence\" value=\"" + std::to_string(pence) +
                "\"><input type=\"hidden\" name=\"confirm\" value=\"" + token + "\"><button" +
                (payout ? " class=\"danger\"" : "") + ">Yes: " + Escape(what) +
                "</button> <a href=\"/actions\">No, go back</a></form>";
            return Send(res, PageOutput{200, Page("Confirm", Tab::Actions, s->csrf, body)});
        }
        if (!sessions.TakeConfirmation(s->token, confirm->second, name)) {
            Log("session " + s->label + " from " + req.remote_addr + ": " + what +
                " refused: confirmation used or unknown");
            return Send(res, MessagePage("Actions", s->csrf, "bad",
                                         "This confirmation has already been used or has "
                                         "expired: nothing was done.",
                                         409));
        }
        std::string line = (payout ? "PAYO," : "CADD,") + std::to_string(pence);
        std::string reply = AskCreditService(settings.creditPort, line);
        bool done = payout ? reply == "BTEL,0" : reply.rfind("CTEL,", 0) == 0;
        Log("session " + s->label + " from " + req.remote_addr + ": " + what + ": " +
            (done            ? "done"
             : reply.empty() ? "no answer from the credit service"
                             : "refused (" + reply + ")"));
        if (done) return Send(res, MessagePage("Actions", s->csrf, "good", what + ": done.", 200));
        std::string why = reply.empty() ? "the credit service did not answer"
                          : payout      ? "the bank no longer holds that amount"
                                        : "the credit service refused it";
        Send(res, MessagePage("Actions", s->csrf, "bad",
                              what + " failed: " + why + ". Nothing was changed.", 502));
    }

    void Routes() {
        server.set_default_headers(
            {{"Content-Security-Policy",
              "default-src 'none'; style-src 'unsafe-inline'; form-action 'self'; "
              "frame-ancestors 'none'; base-uri 'none'"},
             {"X-Content-Type-Options", "nosniff"},
             {"X-Frame-Options", "DENY"},
             {"Referrer-Policy", "no-referrer"},
             {"Cache-Control", "no-store"}});
        // Nothing but the sign-in form is served before signing in.
        server.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
            if (req.path == "/login" || SignedIn(req))
                return httplib::Server::HandlerResponse::Unhandled;
            if (req.method == "GET" || req.method == "HEAD") {
                res.status = 303;
                res.set_header("Location", "/login");
            } else {
                res.status = 403;
                res.set_content("Sign in first.\n", "text/plain; charset=utf-8");
            }
            return httplib::Server::HandlerResponse::Handled;
        });
        server.set_error_handler([](const httplib::Request&, httplib::Response& res) {
            if (!res.body.empty()) return;
            const char* what = res.status == 400   ? "Bad Request"
                               : res.status == 404 ? "Not Found"
                               : res.status == 413 ? "Payload Too Large"
                               : res.status == 414 ? "URI Too Long"
                                                   : "Refused";
            res.set_content(std::to_string(res.status) + " " + what + "\n",
                            "text/plain; charset=utf-8");
        });
        server.Get("/login", [this](const httplib::Request& req, httplib::Response& res) {
            if (SignedIn(req)) {
                res.status = 303;
                res.set_header("Location", "/");
                return;
            }
            ShowLogin(res, 200, "");
        });
        server.Post("/login", [this](const httplib::Request& req, httplib::Response& res) {
            Login(req, res);
        });
        server.Post("/logout", [this](const httplib::Request& req, httplib::Response& res) {
            std::map<std::string, std::string> fields;
            std::optional<Session> s = FormSession(req, res, &fields);
            if (!s) return;
            sessions.End(s->token);
            Log("session " + s->label + " signed out");
            SetCookie(res, "", 0);
            res.status = 303;
            res.set_header("Location", "/login");
        });
#ifdef BRINDLEMARK_FLEET
        if (!settings.fleet.empty()) {
            using FleetFunction = PageOutput (*)(const FleetPageInput&);
            const std::pair<const char*, FleetFunction> fleetPages[] = {
                {"/", FleetOverviewPage},
                {"/cabinet", FleetCabinetPage},
                {"/report", FleetReportPage},
                {"/report.csv", FleetReportCsv}};
            for (const auto& [path, page] : fleetPages)
                server.Get(path, [this, page](const httplib::Request& req, httplib::Response& res) {
                    std::optional<Session> s = SignedIn(req);
                    if (!s) return;
                    FleetPageInput in;
                    in.url = settings.fleet;
                    in.csrf = s->csrf;
                    for (const auto& [k, v] : req.params) in.query.emplace(k, v);
                    Send(res, page(in));
                });
            return;
        }
#endif
        using PageFunction = PageOutput (*)(const PageInput&);
        const std::pair<const char*, PageFunction> pages[] = {
            {"/", OverviewPage},       {"/meters", MetersPage},    {"/money", MoneyPage},
            {"/money.csv", LedgerCsv}, {"/report.csv", ReportCsv}, {"/games", GamesPage},
            {"/events", EventsPage},   {"/actions", ActionsPage}};
        for (const auto& [path, page] : pages)
            server.Get(path, [this, page](const httplib::Request& req, httplib::Response& res) {
                std::optional<Session> s = SignedIn(req);
                if (s) Send(res, page(Input(req, *s)));
            });
        server.Post("/actions/credit", [this](const httplib::Request& req, httplib::Response& res) {
            Action(req, res, false);
        });
        server.Post("/actions/payout", [this](const httplib::Request& req, httplib::Response& res) {
            Action(req, res, true);
        });
    }
};

ConsoleServer::ConsoleServer() : state_(std::make_unique<State>()) {}
ConsoleServer::~ConsoleServer() = default;

bool ConsoleServer::Prepare(const ConsoleSettings& settings, std::string* error) {
    State& st = *state_;
    st.settings = settings;
    st.sessions.SetIdleLife(std::chrono::seconds(settings.idleSeconds));
    std::string hash;
    if (!StartCrypto()) {
        *error = "the cryptography library cannot start";
        return false;
    }
    if (!ReadPasswordFile(settings.auth, &hash, error) ||
        (settings.fleet.empty() && !st.ledger.Open(settings.db, error)))
        return false;
#ifdef BRINDLEMARK_FLEET
    if (!settings.fleet.empty()) {
        FleetDb probe;
        if (!probe.Connect(settings.fleet, error)) return false;
    }
#else
    if (!settings.fleet.empty()) {
        *error = "this console was built without the fleet's database library";
        return false;
    }
#endif
    httplib::Server& s = st.server;
    s.new_task_queue = [] { return new httplib::ThreadPool(4); };
    s.set_payload_max_length(LongestRequestBody);
    s.set_read_timeout(5, 0);
    s.set_write_timeout(5, 0);
    s.set_keep_alive_max_count(50);
    s.set_keep_alive_timeout(5);
    st.Routes();
    st.port = settings.port == 0
                  ? s.bind_to_any_port(settings.host)
                  : (s.bind_to_port(settings.host, settings.port) ? settings.port : -1);
    if (st.port <= 0) {
        *error = "cannot listen on " + settings.host + ":" + std::to_string(settings.port);
        return false;
    }
    Log("listening on http://" +
        (settings.host.find(':') != std::string::npos ? "[" + settings.host + "]" : settings.host) +
        ":" + std::to_string(st.port) + "/" +
        (settings.fleet.empty()
             ? " with the cabinet folder " + settings.folder + " and the database " + settings.db
             : " for the fleet"));
    return true;
}

int ConsoleServer::port() const {
    return state_->port;
}

void ConsoleServer::Run() {
    state_->server.listen_after_bind();
}

void ConsoleServer::Stop() {
    state_->server.stop();
}
