// brindlemark-collector: takes a fleet's messages from the broker into PostgreSQL, and prints the
// fleet's cabinets and its period report.
#include <cstdio>
#include <filesystem>

#include "fleet_common.h"
#include "fleet_db.h"
#include "fleet_report.h"
#include "ingest.h"

namespace {
int Usage(const std::string& error) {
    if (!error.empty()) std::fprintf(stderr, "brindlemark-collector: %s\n", error.c_str());
    std::fprintf(
        stderr,
        "usage: brindlemark-collector run [--config FILE] --db URL [options]\n"
        "       brindlemark-collector migrate --db URL [--migrations DIR]\n"
        "       brindlemark-collector cabinets --db URL\n"
        "       brindlemark-collector report --db URL [--period day|week|month|quarter] [--csv]\n"
        "  --db URL             the fleet's database (postgresql://...)\n"
        "  --migrations DIR     the schema's numbered files (default: beside the program)\n"
        "  --broker HOST[:PORT] the fleet's broker (default 127.0.0.1:1883; 8883 with TLS)\n"
        "  --cafile FILE --cert FILE --key FILE   TLS with the collector's certificate\n"
        "  --user NAME --password-file FILE       password sign-in\n"
        "  --no-tls             allow a broker on another machine without TLS\n"
        "  --batch N            most messages stored in one transaction (default 5000)\n");
    return 2;
}

std::string DefaultMigrations() {
    std::error_code ec;
    std::filesystem::path self = std::filesystem::canonical("/proc/self/exe", ec);
    for (std::filesystem::path p : {self.parent_path() / "migrations",
                                    self.parent_path() / "../share/brindlemark-fleet/migrations"})
        if (std::filesystem::is_directory(p, ec)) return p.string();
    return "/usr/share/brindlemark-fleet/migrations";
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage("no command given");
    std::string command = argv[1];
    Options options;
    std::string error;
    if (!ReadOptions(argc, argv, 2,
                     {"db", "migrations", "broker", "cafile", "cert", "key", "user",
                      "password-file", "batch", "period"},
                     {"no-tls", "csv"}, &options, &error))
        return Usage(error);
    if (!options.Has("db")) return Usage("--db is needed");
    FleetDb db;
    if (!db.Connect(options.Get("db"), &error)) {
        std::fprintf(stderr, "brindlemark-collector: %s\n", error.c_str());
        return 1;
    }
    if (command == "run" || command == "migrate") {
        std::vector<std::string> applied;
        if (!db.Migrate(options.Get("migrations", DefaultMigrations()), &applied, &error)) {
            std::fprintf(stderr, "brindlemark-collector: %s\n", error.c_str());
            return 1;
        }
        for (const std::string& name : applied) FleetLog("applied the migration " + name);
        if (command == "migrate") return 0;
        IngestSettings settings;
        if (!ReadBrokerSettings(options, &settings.broker, &error)) return Usage(error);
        if (!options.Has("broker") && settings.broker.tls) settings.broker.port = 8883;
        int64_t batch = 0;
        if (!ParseWhole(options.Get("batch", "5000"), 1, 1000000, &batch))
            return Usage("--batch takes a whole number from 1");
        settings.batch = static_cast<size_t>(batch);
        return RunIngest(db, options.Get("db"), settings);
    }
    if (command == "cabinets") {
        std::vector<FleetCabinetRow> rows;
        if (!ReadFleet(db, &rows, &error)) {
            std::fprintf(stderr, "brindlemark-collector: %s\n", error.c_str());
            return 1;
        }
        std::printf("%-20s %-8s %-19s %8s %8s %4s %11s %13s\n", "cabinet", "state", "last seen",
                    "credit", "bank", "band", "games today", "takings today");
        for (const FleetCabinetRow& r : rows)
            std::printf("%-20s %-8s %-19s %8s %8s %4s %11s %13s\n", r.cabinet.c_str(),
                        r.state.c_str(), r.lastSeen.c_str(), r.credit.c_str(), r.bank.c_str(),
                        r.band.c_str(), r.gamesToday.c_str(), r.takingsToday.c_str());
        return 0;
    }
    if (command == "report") {
        std::vector<FleetPeriodRow> rows;
        if (!ReadPeriodReport(db, options.Get("period", "day"), &rows, &error)) {
            std::fprintf(stderr, "brindlemark-collector: %s\n", error.c_str());
            return 1;
        }
        std::fputs((options.Has("csv") ? PeriodReportCsv(rows) : PeriodReportText(rows)).c_str(),
                   stdout);
        return 0;
    }
    return Usage("unknown command \"" + command + "\"");
}
