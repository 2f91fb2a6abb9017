// The collector's work: takes the fleet's messages from the broker into the database in batches,
// and confirms to each cabinet what is stored so that its outbox lets it go.
#pragma once
#include <cstdint>
#include <string>

#include "fleet_common.h"
#include "fleet_db.h"

struct IngestSettings {
    BrokerSettings broker;
    std::string clientId = "brindlemark-collector";
    size_t batch = 5000;    // most messages a transaction
    int64_t batchMs = 100;  // longest a message waits for its batch
};

// Runs until SIGTERM or SIGINT; a process exit code.
int RunIngest(FleetDb& db, const std::string& dbUrl, const IngestSettings& settings);
