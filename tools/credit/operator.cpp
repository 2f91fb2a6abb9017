#include "operator.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "platform/net.h"
#include "request.h"
#include "serve.h"
#include "store.h"

namespace {
constexpr uint16_t DefaultPort = 6667;
constexpr const char* DefaultDatabase = "credit.db";
constexpr int64_t DefaultLedgerCount = 20;
constexpr int ReplyTimeoutMs = 2000;

// A whole number made of digits only, within [least, most].
bool ParseNumber(const std::string& text, int64_t least, int64_t most, int64_t* value) {
    if (text.empty() || text.size() > 10) return false;
    int64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v < least || v > most) return false;
    *value = v;
    return true;
}

// The options after a command's positional arguments: "--port N" and/or "--db FILE".
struct Options {
    std::vector<std::string> positional;
    int64_t port = DefaultPort;
    std::string db = DefaultDatabase;
};

// Splits the arguments; false after printing the problem. A port of 0 is allowed only for serve.
bool ReadOptions(const std::vector<std::string>& args, bool takesPort, bool takesDb,
                 int64_t leastPort, Options* options) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--port" && takesPort) {
            if (i + 1 >= args.size() || !ParseNumber(args[++i], leastPort, 65535, &options->port)) {
                PrintUsage("--port needs a port number from 1 to 65535");
                return false;
            }
        } else if (a == "--db" && takesDb) {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                PrintUsage("--db needs a file name");
                return false;
            }
            options->db = args[++i];
        } else if (a.size() > 1 && a[0] == '-') {
            PrintUsage(("unknown option " + a).c_str());
            return false;
        } else {
            options->positional.push_back(a);
        }
    }
    return true;
}

// One exchange with the service: the reply's tag and number, or false with a message.
bool Ask(uint16_t port, const std::string& line, std::string* tag, int64_t* value) {
    SocketHandle s = OpenTcpSocket();
    if (!ConnectSocket(s, "127.0.0.1", port)) {
        CloseSocket(s);
        std::fprintf(stderr, "brindlemark-credit: no credit service on 127.0.0.1:%u\n", port);
        return false;
    }
    char reply[64] = {};
    bool sent = SendOnSocket(s, line.data(), line.size()) == static_cast<long>(line.size());
    long n = sent ? ReceiveOnSocket(s, reply, sizeof reply - 1, ReplyTimeoutMs) : -1;
    CloseSocket(s);
    if (n <= 0) {
        std::fprintf(stderr, "brindlemark-credit: the credit service did not answer\n");
        return false;
    }
    std::string_view text(reply, static_cast<size_t>(n));
    size_t comma = text.find(',');
    size_t end = text.find('\r');
    if (comma != 4 || end == std::string_view::npos || end <= comma + 1 ||
        !ParseNumber(std::string(text.substr(comma + 1, end - comma - 1)), 0, LargestBalance,
                     value)) {
        std::fprintf(stderr, "brindlemark-credit: unreadable reply \"%s\"\n",
                     PrintableLine(text).c_str());
        return false;
    }
    *tag = std::string(text.substr(0, 4));
    return true;
}
}  // namespace

std::string Pounds(int64_t pence) {
    char text[40];
    std::snprintf(text, sizeof text, "\xC2\xA3%lld.%02lld", static_cast<long long>(pence / 100),
                  static_cast<long long>(pence % 100));
    return text;
}

int PrintUsage(const char* problem) {
    if (problem) std::fprintf(stderr, "brindlemark-credit: %s\n", problem);
    std::fprintf(stderr,
                 "usage:\n"
                 "  brindlemark-credit serve [--db FILE] [--port N]   run the credit service\n"
                 "  brindlemark-credit insert PENCE [--port N]        a coin or note: add PENCE"
                 " (1 to 100000) to the credit\n"
                 "  brindlemark-credit show [--port N]                show the credit and bank\n"
                 "  brindlemark-credit payout [--port N]              cash collection: pay out the"
                 " whole bank\n"
                 "  brindlemark-credit ledger [N] [--db FILE]         the last N changes (20 unless"
                 " told), newest last\n"
                 "The service listens on 127.0.0.1, port 6667 unless told; the database is"
                 " credit.db unless told.\n");
    return 2;
}

int RunServe(const std::vector<std::string>& args) {
    Options options;
    if (!ReadOptions(args, true, true, 0, &options)) return 2;
    if (!options.positional.empty())
        return PrintUsage(("serve takes no argument \"" + options.positional[0] + "\"").c_str());
    CreditStore store;
    std::string error;
    if (!store.Open(options.db, false, &error)) {
        LogLine(error);
        return 1;
    }
    return Serve(store, options.db, static_cast<uint16_t>(options.port));
}

int RunInsert(const std::vector<std::string>& args) {
    Options options;
    if (!ReadOptions(args, true, false, 1, &options)) return 2;
    int32_t pence = 0;
    if (options.positional.size() != 1 || !ParseAmount(options.positional[0], &pence))
        return PrintUsage("insert needs one amount in pence, a whole number from 1 to 100000");
    std::string tag;
    int64_t credit = 0;
    if (!Ask(static_cast<uint16_t>(options.port), "CADD," + std::to_string(pence) + "\r\n", &tag,
             &credit))
        return 1;
    if (tag != "CTEL") {
        std::fprintf(stderr, "brindlemark-credit: the service refused %s\n", Pounds(pence).c_str());
        return 1;
    }
    std::printf("inserted %s, credit now %s\n", Pounds(pence).c_str(), Pounds(credit).c_str());
    return 0;
}

int RunShow(const std::vector<std::string>& args) {
    Options options;
    if (!ReadOptions(args, true, false, 1, &options)) return 2;
    if (!options.positional.empty())
        return PrintUsage(("show takes no argument \"" + options.positional[0] + "\"").c_str());
    uint16_t port = static_cast<uint16_t>(options.port);
    std::string creditTag, bankTag;
    int64_t credit = 0, bank = 0;
    if (!Ask(port, "CGET\r\n", &creditTag, &credit) || !Ask(port, "BGET\r\n", &bankTag, &bank))
        return 1;
    if (creditTag != "CTEL" || bankTag != "BTEL") {
        std::fprintf(stderr, "brindlemark-credit: the service refused to show the balances\n");
        return 1;
    }
    std::printf("credit %s\nbank   %s\n", Pounds(credit).c_str(), Pounds(bank).c_str());
    return 0;
}

int RunPayout(const std::vector<std::string>& args) {
    Options options;
    if (!ReadOptions(args, true, false, 1, &options)) return 2;
    if (!options.positional.empty())
        return PrintUsage(("payout takes no argument \"" + options.positional[0] + "\"").c_str());
    uint16_t port = static_cast<uint16_t>(options.port);
    std::string tag;
    int64_t bank = 0;
    if (!Ask(port, "BGET\r\n", &tag, &bank)) return 1;
    if (tag != "BTEL") {
        std::fprintf(stderr, "brindlemark-credit: the service refused to show the bank\n");
        return 1;
    }
    if (bank == 0) {
        std::fprintf(stderr, "brindlemark-credit: the bank is empty: nothing to pay out\n");
        return 1;
    }
    // The payout names the amount just read, so a bank that moves meanwhile is not emptied.
    int64_t after = 0;
    if (!Ask(port, "PAYO," + std::to_string(bank) + "\r\n", &tag, &after)) return 1;
    if (tag != "BTEL" || after != 0) {
        std::fprintf(stderr,
                     "brindlemark-credit: the service refused to pay out %s (the bank changed"
                     " meanwhile); nothing was paid out\n",
                     Pounds(bank).c_str());
        return 1;
    }
    std::printf("paid out %s from the bank, bank now %s\n", Pounds(bank).c_str(),
                Pounds(after).c_str());
    return 0;
}

int RunLedger(const std::vector<std::string>& args) {
    Options options;
    if (!ReadOptions(args, false, true, 1, &options)) return 2;
    int64_t count = DefaultLedgerCount;
    if (options.positional.size() > 1 ||
        (options.positional.size() == 1 &&
         !ParseNumber(options.positional[0], 1, 1000000000, &count)))
        return PrintUsage("ledger takes at most one count, a whole number from 1");
    CreditStore store;
    std::string error;
    std::vector<LedgerRow> rows;
    if (!store.Open(options.db, true, &error) || !store.LastChanges(count, &rows, &error)) {
        std::fprintf(stderr, "brindlemark-credit: %s\n", error.c_str());
        return 1;
    }
    std::printf("%-8s %-24s %-21s %-7s %8s %12s %12s\n", "change", "time (UTC)", "client",
                "request", "amount", "credit", "bank");
    for (const LedgerRow& r : rows)
        std::printf("%-8lld %-24s %-21s %-7s %8lld %12s %12s\n", static_cast<long long>(r.id),
                    r.time.c_str(), r.client.c_str(), r.request.c_str(),
                    static_cast<long long>(r.amount), Pounds(r.credit).c_str(),
                    Pounds(r.bank).c_str());
    return 0;
}
