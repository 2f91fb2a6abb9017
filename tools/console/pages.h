// The console's pages and CSV files, drawn from the cabinet's folder and the ledger.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "ledger_reader.h"

struct PageInput {
    LedgerReader* ledger = nullptr;
    std::string folder;
    std::string csrf;
    std::map<std::string, std::string> query;  // the request's query parameters
};

// A page's status and body (HTML, or CSV for the exports).
struct PageOutput {
    PageOutput(int status, std::string body, std::string contentType = "text/html; charset=utf-8",
               std::string fileName = "")
        : status(status),
          body(std::move(body)),
          contentType(std::move(contentType)),
          fileName(std::move(fileName)) {}
    int status;
    std::string body;
    std::string contentType;
    std::string fileName;  // for CSV: the name offered for saving
};

PageOutput OverviewPage(const PageInput& in);
PageOutput MetersPage(const PageInput& in);
PageOutput MoneyPage(const PageInput& in);
PageOutput LedgerCsv(const PageInput& in);
PageOutput ReportCsv(const PageInput& in);
PageOutput GamesPage(const PageInput& in);
PageOutput EventsPage(const PageInput& in);
// The actions page; `bank` is the bank shown for the payout, read from the database.
PageOutput ActionsPage(const PageInput& in);
// A page telling the outcome of an action or a refusal.
PageOutput MessagePage(const std::string& title, const std::string& csrf, const std::string& cls,
                       const std::string& text, int status);
