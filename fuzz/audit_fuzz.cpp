// The audit record file: loaded whatever its length and bytes, saved, and loaded again, which must
// give back exactly the values the first load found.
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "fuzz_support.h"
#include "records/audit.h"

FUZZ_TARGET(Audit) {
    EnterFuzzFolder();
    // Only the fuzzer's record is in the folder: nothing left by an earlier run.
    std::error_code e;
    std::filesystem::remove_all("data", e);
    std::filesystem::create_directory("data", e);
    WriteFuzzFile(AuditRecordPath, data, size);

    std::memset(&gAuditRecord, 0xA5, sizeof gAuditRecord);
    LoadAuditRecord();
    const AuditRecord loaded = gAuditRecord;
    SaveAuditRecord();
    std::memset(&gAuditRecord, 0x5A, sizeof gAuditRecord);
    LoadAuditRecord();
    if (std::memcmp(&loaded, &gAuditRecord, sizeof loaded) != 0) std::abort();
    return 0;
}
