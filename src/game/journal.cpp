#include "game/journal.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>
#include <stdexcept>

#include "core/random.h"
#include "credit/link.h"
#include "game/packs.h"
#include "game/recall.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/localtime.h"
#include "records/audit_check.h"
#include "records/log.h"

GameJournal gJournal;

namespace {
constexpr const char* JournalTempPath = "data\\game.journal.tmp";
constexpr const char* CheckPrefix = "crc32 ";
bool gEnabled = false;
bool gMemoryOnly = false;   // kept up to date, never written (a simulation that keeps no folder)
bool gLastWriteOk = false;  // the last step of the open game reached the disk
uint32_t gTakenOver = 0;    // clock when this run took the game over
uint32_t gQuestionPutAt = 0;
RecallQuestion gPendingQuestion;  // the question on screen, listed once it is answered

const char* const PhaseNames[] = {"stake-pending", "stake-taken",   "rounds",
                                  "final",         "prize-pending", "ended"};
const char* const VerdictNames[] = {"none", "right", "wrong"};

template <size_t N>
int IndexOf(const char* const (&names)[N], const std::string& name) {
    for (size_t i = 0; i < N; ++i)
        if (name == names[i]) return static_cast<int>(i);
    return -1;
}

uint32_t FloatBits(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return bits;
}
float BitsFloat(uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

// The statement as UTF-8 text: the font's pound byte becomes "£"; other bytes outside ASCII
// (there should be none) become "?".
std::string StatementText(const char* text) {
    std::string out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (*p == PackPoundByte)
            out += "\xC2\xA3";
        else
            out += (*p < 0x80) ? static_cast<char>(*p) : '?';
    }
    return out;
}

std::string PackName(const char* path) {
    if (!path) return "";
    std::string p = path;
    size_t cut = p.find_last_of("\\/");
    return cut == std::string::npos ? p : p.substr(cut + 1);
}

// Captures the game's state into the journal.
void Capture() {
    GameJournal& j = gJournal;
    j.session = gGameSession;
    if (j.secondTryUsed) j.session.RetryOffered = false;
    j.plan = gWinPlan;
    j.audit = gAuditRecord;
    // The question on screen is counted as put; a resumed game puts a fresh one instead.
    if (j.questionOpen) j.audit.counter[9] -= 1;
    j.random = RandomState();
    std::memcpy(j.slotOrder, SlotOrder, sizeof j.slotOrder);
}
}  // namespace

void EnableJournal(bool on) {
    gEnabled = on;
    gJournal = GameJournal{};
    gLastWriteOk = false;
    gBeforeMoneyRequest = on ? JournalBeforeMoney : nullptr;
}

void KeepJournalInMemoryOnly(bool on) {
    gMemoryOnly = on;
}

bool JournalInMemoryOnly() {
    return gMemoryOnly;
}

void (*gOnGameRecorded)(const GameJournal& journal) = nullptr;

bool JournalEnabled() {
    return gEnabled;
}

std::string RecallTimeNow() {
    LocalTime t = GetLocalTime();
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

int64_t JournalPlayedMs() {
    return gJournal.playedMs + static_cast<int64_t>(timeGetTime() - gTakenOver);
}

void JournalTakeOver() {
    gTakenOver = timeGetTime();
}

std::string JournalText(const GameJournal& g) {
    std::string t;
    t.reserve(4096);
    // Numbers go straight into the text: the journal is written at every touch.
    auto number = [&t](long long v) {
        char digits[24];
        auto r = std::to_chars(digits, digits + sizeof digits, v);
        t += ' ';
        t.append(digits, r.ptr);
    };
    auto line = [&t, &number](const char* key, std::initializer_list<long long> values) {
        t += key;
        for (long long v : values) number(v);
        t += '\n';
    };
    auto word = [&t](const char* key, const std::string& value) {
        t += key;
        t += ' ';
        t += value.empty() ? "-" : value;
        t += '\n';
    };
    auto array = [&t, &number](const char* key, const int32_t* values, int count) {
        t += key;
        for (int i = 0; i < count; ++i) number(values[i]);
        t += '\n';
    };
    t += "brindlemark-journal " + std::to_string(JournalVersion) + "\n";
    word("phase", PhaseNames[static_cast<int>(g.phase)]);
    line("seq", {g.seq});
    line("bought", {g.bought});
    word("start", g.start);
    word("end", g.end);
    line("played_ms", {g.playedMs});
    line("resumed", {g.resumed});
    line("band", {g.band});
    line("stake_before", {g.creditBefore, g.bankBefore});
    line("question", {g.questionOpen, g.secondTryUsed});
    word("verdict", VerdictNames[static_cast<int>(g.verdict)]);
    line("beaten", {g.beaten});
    line("helps_used", {g.passesUsed, g.jokersUsed});
    line("prize", {g.prize, g.prizePart});
    word("payment", g.payment);
    const GameSession& s = g.session;
    line("session", {s.GameState, s.RemovalRow, s.TotalTasksCompleted, s.PassesLeft, s.JokersLeft,
                     s.JokerArmed, s.RetryOffered, s.WinAmount});
    int32_t teams[TeamCount * 5];
    for (int i = 0; i < TeamCount; ++i) {
        const Team& team = s.Teams[i];
        int32_t* out = teams + 5 * i;
        out[0] = team.x, out[1] = team.y, out[2] = team.picture;
        out[3] = team.big, out[4] = team.standing;
    }
    array("teams", teams, TeamCount * 5);
    array("big_teams", s.BigTeams, BigTeamCount);
    array("prizes", s.Prizes, BigTeamCount);
    array("teams_to_remove", &s.TeamsToRemove[0][0], RemovalRows * MainRoundCount);
    int32_t plan[12] = {g.plan.band,    g.plan.first, 0, 0, 0, 0, 0, 0, 0, 0,
                        g.plan.current, g.plan.active};
    for (int i = 0; i < 8; ++i) plan[2 + i] = g.plan.grade[i];
    array("win_plan", plan, 12);
    t += "audit";
    number(FloatBits(g.audit.balance[0]));
    number(FloatBits(g.audit.balance[1]));
    for (int32_t c : g.audit.counter) number(c);
    t += '\n';
    line("random", {g.random});
    array("slots", g.slotOrder, TeamCount);
    for (const RecallQuestion& q : g.questions) {
        t += "answered";
        for (long long v : {static_cast<long long>(q.final), static_cast<long long>(q.line),
                            static_cast<long long>(q.answer), static_cast<long long>(q.secondTry),
                            static_cast<long long>(q.joker), static_cast<long long>(q.tenths)})
            number(v);
        t += ' ';
        t += q.touch.empty() ? "-" : q.touch;
        t += ' ';
        t += q.pack.empty() ? "-" : q.pack;
        t += ' ';
        t += q.statement;
        t += '\n';
    }
    char check[32];
    std::snprintf(check, sizeof check, "%s%08x\n", CheckPrefix,
                  Crc32(reinterpret_cast<const uint8_t*>(t.data()), t.size()));
    return t + check;
}

namespace {
// The journal's lines by key; each value is read in full or the journal is refused.
struct JournalLines {
    std::map<std::string, std::string> values;
    std::vector<std::string> answered;

    std::istringstream At(const char* key) const {
        auto it = values.find(key);
        if (it == values.end()) throw std::runtime_error(std::string("no ") + key);
        return std::istringstream(it->second);
    }
    template <typename T>
    void Read(const char* key, std::initializer_list<T*> out) const {
        std::istringstream in = At(key);
        for (T* v : out) {
            long long x;
            if (!(in >> x)) throw std::runtime_error(std::string("short ") + key);
            *v = static_cast<T>(x);
        }
    }
    void ReadArray(const char* key, int32_t* out, int count) const {
        std::istringstream in = At(key);
        for (int i = 0; i < count; ++i)
            if (!(in >> out[i])) throw std::runtime_error(std::string("short ") + key);
    }
    std::string Word(const char* key) const {
        std::string w;
        At(key) >> w;
        return w == "-" ? std::string() : w;
    }
};

long long ReadNumber(std::istringstream& in) {
    long long v;
    if (!(in >> v)) throw std::runtime_error("short answered question");
    return v;
}

RecallQuestion ReadAnswered(const std::string& text) {
    std::istringstream in(text);
    RecallQuestion q;
    q.final = ReadNumber(in) != 0;
    q.line = static_cast<int32_t>(ReadNumber(in));
    q.answer = ReadNumber(in) != 0;
    q.secondTry = ReadNumber(in) != 0;
    q.joker = ReadNumber(in) != 0;
    q.tenths = static_cast<int32_t>(ReadNumber(in));
    if (!(in >> q.touch >> q.pack)) throw std::runtime_error("short answered question");
    if (q.pack == "-") q.pack.clear();
    in.get();
    std::getline(in, q.statement);
    return q;
}
}  // namespace

bool ParseJournal(const std::string& text, GameJournal& g, std::string& why) {
    size_t cut = text.rfind(CheckPrefix);
    if (cut == std::string::npos || (cut > 0 && text[cut - 1] != '\n')) {
        why = "no checksum line (cut short?)";
        return false;
    }
    unsigned crc = 0;
    if (std::sscanf(text.c_str() + cut + std::strlen(CheckPrefix), "%8x", &crc) != 1 ||
        crc != Crc32(reinterpret_cast<const uint8_t*>(text.data()), cut)) {
        why = "bad checksum";
        return false;
    }
    std::string header = "brindlemark-journal " + std::to_string(JournalVersion) + "\n";
    if (text.compare(0, header.size(), header) != 0) {
        why = "from another version";
        return false;
    }
    try {
        JournalLines lines;
        std::istringstream in(text.substr(header.size(), cut - header.size()));
        std::string line;
        while (std::getline(in, line)) {
            size_t space = line.find(' ');
            std::string key = line.substr(0, space);
            std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
            if (key == "answered")
                lines.answered.push_back(rest);
            else
                lines.values[key] = rest;
        }
        GameJournal r;
        r.open = true;
        int phase = IndexOf(PhaseNames, lines.Word("phase"));
        int verdict = IndexOf(VerdictNames, lines.Word("verdict"));
        if (phase < 0 || verdict < 0) throw std::runtime_error("phase or verdict");
        r.phase = static_cast<JournalPhase>(phase);
        r.verdict = static_cast<JournalVerdict>(verdict);
        lines.Read<int64_t>("seq", {&r.seq});
        lines.Read<int32_t>("bought", {&r.bought});
        r.start = lines.Word("start");
        r.end = lines.Word("end");
        lines.Read<int64_t>("played_ms", {&r.playedMs});
        lines.Read<int32_t>("resumed", {&r.resumed});
        lines.Read<int32_t>("band", {&r.band});
        lines.Read<uint16_t>("stake_before", {&r.creditBefore, &r.bankBefore});
        lines.Read<bool>("question", {&r.questionOpen, &r.secondTryUsed});
        lines.Read<int32_t>("beaten", {&r.beaten});
        lines.Read<int32_t>("helps_used", {&r.passesUsed, &r.jokersUsed});
        int32_t prize[2];
        lines.ReadArray("prize", prize, 2);
        r.prize = prize[0];
        r.prizePart = prize[1];
        r.payment = lines.Word("payment");
        GameSession& s = r.session;
        int32_t session[8];
        lines.ReadArray("session", session, 8);
        s.GameState = static_cast<uint8_t>(session[0]);
        s.RemovalRow = static_cast<uint8_t>(session[1]);
        s.TotalTasksCompleted = session[2];
        s.PassesLeft = static_cast<uint8_t>(session[3]);
        s.JokersLeft = static_cast<uint8_t>(session[4]);
        s.JokerArmed = session[5] != 0;
        s.RetryOffered = session[6] != 0;
        s.WinAmount = session[7];
        int32_t teams[TeamCount * 5];
        lines.ReadArray("teams", teams, TeamCount * 5);
        for (int i = 0; i < TeamCount; ++i) {
            const int32_t* v = teams + 5 * i;
            s.Teams[i] = Team{v[0], v[1], v[2], v[3] != 0, v[4] != 0};
        }
        lines.ReadArray("big_teams", s.BigTeams, BigTeamCount);
        lines.ReadArray("prizes", s.Prizes, BigTeamCount);
        lines.ReadArray("teams_to_remove", &s.TeamsToRemove[0][0], RemovalRows * MainRoundCount);
        int32_t plan[12];
        lines.ReadArray("win_plan", plan, 12);
        r.plan.band = static_cast<int16_t>(plan[0]);
        r.plan.first = static_cast<int16_t>(plan[1]);
        for (int i = 0; i < 8; ++i) r.plan.grade[i] = static_cast<int16_t>(plan[2 + i]);
        r.plan.current = static_cast<int16_t>(plan[10]);
        r.plan.active = plan[11];
        int32_t audit[2 + AuditCounterCount];
        {
            std::istringstream a = lines.At("audit");
            uint32_t bits[2];
            if (!(a >> bits[0] >> bits[1])) throw std::runtime_error("short audit");
            r.audit.balance[0] = BitsFloat(bits[0]);
            r.audit.balance[1] = BitsFloat(bits[1]);
            for (int i = 0; i < AuditCounterCount; ++i)
                if (!(a >> audit[i])) throw std::runtime_error("short audit");
            std::memcpy(r.audit.counter, audit, sizeof r.audit.counter);
        }
        lines.Read<uint32_t>("random", {&r.random});
        lines.ReadArray("slots", r.slotOrder, TeamCount);
        for (const std::string& q : lines.answered) r.questions.push_back(ReadAnswered(q));
        // Values a resumed game indexes tables with must lie inside them.
        bool inside = s.RemovalRow < RemovalRows && s.TotalTasksCompleted >= 0 &&
                      s.TotalTasksCompleted <= MainRoundCount && r.beaten >= 0 &&
                      r.beaten <= BigTeamCount && r.prizePart >= 0 && r.prizePart <= 1 &&
                      r.band >= 0 && r.band <= 6 && r.plan.grade[0] >= 0 && r.plan.grade[0] < 5;
        for (int q = 0; q < BigTeamCount; ++q)
            inside = inside && s.BigTeams[q] >= 0 && s.BigTeams[q] < TeamCount;
        for (int i = 0; i < TeamCount; ++i)
            inside = inside && r.slotOrder[i] >= 0 && r.slotOrder[i] < TeamCount;
        if (!inside) throw std::runtime_error("values out of range");
        g = std::move(r);
        return true;
    } catch (const std::exception& e) {
        why = std::string("not a journal (") + e.what() + ")";
        return false;
    }
}

void WriteJournal() {
    if (!gEnabled || !gJournal.open) return;
    Capture();
    if (gMemoryOnly) return;
    GameJournal copy = gJournal;
    copy.playedMs = JournalPlayedMs();
    MakeFolder("data");
    std::string text = JournalText(copy);
    gLastWriteOk =
        WriteFileDurably(JournalTempPath, text) && ReplaceFile(JournalTempPath, JournalPath);
    if (!gLastWriteOk) {
        DeleteFileAt(JournalTempPath);
        WriteLog("Game journal: could not write the journal of game %lld\n",
                 static_cast<long long>(gJournal.seq));
    }
}

bool JournalOnDisk() {
    return gEnabled && !gMemoryOnly && gJournal.open && gLastWriteOk;
}

int ReadJournal(GameJournal& journal) {
    std::vector<uint8_t> bytes;
    if (!FileExists(JournalPath)) return 0;
    if (!ReadWholeFile(JournalPath, bytes)) {
        SetJournalAside("cannot be read");
        return -1;
    }
    std::string why;
    if (!ParseJournal(std::string(bytes.begin(), bytes.end()), journal, why)) {
        SetJournalAside(why.c_str());
        return -1;
    }
    gLastWriteOk = true;  // the game taken up from it is on disk as it stands
    return 1;
}

void RemoveJournal() {
    if (gEnabled) DeleteFileAt(JournalPath);
    gJournal = GameJournal{};
    gLastWriteOk = false;
}

void SetJournalAside(const char* why) {
    LocalTime t = GetLocalTime();
    char name[96];
    for (int n = 0; n < 1000; ++n) {
        std::snprintf(name, sizeof name, "data\\game.journal.broken-%04d%02d%02d-%02d%02d%02d-%d",
                      t.year, t.month, t.day, t.hour, t.minute, t.second, n);
        if (FileExists(name)) continue;
        if (ReplaceFile(JournalPath, name)) {
            WriteLog("Game journal: unreadable journal set aside as %s (%s)\n",
                     TranslatePath(name).c_str(), why);
            return;
        }
        break;
    }
    WriteLog("Game journal: unreadable journal (%s) could not be set aside\n", why);
}

// Opens the journal of a new game: its number, its purchase count and its start.
// `counted` is 1 when the game's stake is already in the games-bought counter.
void OpenJournal(int counted) {
    GameJournal& j = gJournal;
    j = GameJournal{};
    j.open = true;
    j.start = RecallTimeNow();
    j.seq = NextRecallNumber(gAuditRecord.counter[0] + 1 - counted);
    JournalTakeOver();
}

void JournalBeforeStake(uint16_t credit, uint16_t bank) {
    if (!gEnabled) return;
    OpenJournal(0);
    gJournal.phase = JournalPhase::StakePending;
    gJournal.creditBefore = credit;
    gJournal.bankBefore = bank;
    WriteJournal();
}

void JournalStakeTaken() {
    if (!gEnabled) return;
    if (!gJournal.open) OpenJournal(1);
    gJournal.phase = JournalPhase::StakeTaken;
    gJournal.bought = gAuditRecord.counter[0];
    WriteJournal();
}

void JournalStakeRefused() {
    if (!gEnabled || !gJournal.open) return;
    RemoveJournal();
}

void JournalGameSetUp() {
    if (!gEnabled) return;
    if (!gJournal.open) {
        // A start that took no stake through the menu (tests): the game is its purchase.
        OpenJournal(1);
        gJournal.bought = gAuditRecord.counter[0];
    }
    gJournal.phase = JournalPhase::Rounds;
    gJournal.band = PayoutBand();
    WriteJournal();
}

void JournalQuestionPut(bool final) {
    if (!gEnabled || !gJournal.open) return;
    gJournal.phase = final ? JournalPhase::Final : JournalPhase::Rounds;
    gJournal.questionOpen = true;
    gJournal.verdict = JournalVerdict::None;
    gQuestionPutAt = timeGetTime();
    RecallQuestion q;
    q.final = final;
    q.pack = PackName(gPackReader.packPath);
    q.line = gPackReader.lineNumber;
    q.statement = StatementText(gPackReader.questionText);
    q.answer = gPackReader.correctAnswer == 1;
    q.joker = gGameSession.JokerArmed;  // a joker played before a power cut carries over
    gPendingQuestion = q;
    WriteJournal();
}

void JournalJoker() {
    if (!gEnabled || !gJournal.open) return;
    gJournal.jokersUsed += 1;
    gPendingQuestion.joker = true;
    WriteJournal();
}

void JournalSecondTry() {
    if (!gEnabled || !gJournal.open) return;
    gJournal.secondTryUsed = true;
    gPendingQuestion.secondTry = true;
    WriteJournal();
}

void JournalVerdictGiven(const char* touch, bool right) {
    if (!gEnabled || !gJournal.open) return;
    RecallQuestion q = gPendingQuestion;
    q.touch = touch;
    int64_t tenths = static_cast<int64_t>(timeGetTime() - gQuestionPutAt) / 100;
    if (std::strcmp(touch, "timeout") == 0 || tenths > 200) tenths = 200;
    q.tenths = static_cast<int32_t>(tenths);
    if (std::strcmp(touch, "pass") == 0) gJournal.passesUsed += 1;
    gJournal.questions.push_back(q);
    gJournal.questionOpen = false;
    gJournal.verdict = right ? JournalVerdict::Right : JournalVerdict::Wrong;
    WriteJournal();
}

// A settled step is not written: a power cut before the next question is put resumes from the
// verdict, whose consequences (the removal from the same random state, a big team's fall) come
// out the same when carried out again.
void JournalRoundSettled() {
    if (!gEnabled || !gJournal.open) return;
    gJournal.verdict = JournalVerdict::None;
    gJournal.secondTryUsed = false;
}

void JournalFinalSettled(int32_t beaten) {
    if (!gEnabled || !gJournal.open) return;
    gJournal.phase = JournalPhase::Final;
    gJournal.verdict = JournalVerdict::None;
    gJournal.beaten = beaten;
}

void JournalBeforeMoney(MoneyRequest request, int32_t amount, const CreditBalances& before) {
    if (!gEnabled) return;
    if (request == MoneyRequest::UseCredit) {
        JournalBeforeStake(before.credit, before.bank);
        return;
    }
    if (!gJournal.open) return;
    gJournal.phase = JournalPhase::PrizePending;
    gJournal.prizePart = request == MoneyRequest::AddBank ? 0 : 1;
    gJournal.creditBefore = before.known ? before.credit : CreditQueryFailed;
    gJournal.bankBefore = before.known ? before.bank : CreditQueryFailed;
    WriteJournal();
}

const char* PaymentName(MoneyOutcome outcome) {
    switch (outcome) {
        case MoneyOutcome::Booked:
            return "paid";
        case MoneyOutcome::NotBooked:
            return "not-paid";
        case MoneyOutcome::Uncertain:
            return "uncertain";
    }
    return "uncertain";
}

void JournalGameEnded(int32_t prize, const char* payment) {
    if (!gEnabled || !gJournal.open) return;
    gJournal.phase = JournalPhase::Ended;
    gJournal.prize = prize;
    gJournal.payment = payment;
    gJournal.end = RecallTimeNow();
    gJournal.questionOpen = false;
    WriteJournal();
    LogPayment(gJournal);
}

void LogPayment(const GameJournal& j) {
    if (j.prize <= 0) return;
    long long seq = static_cast<long long>(j.seq);
    if (j.payment == "paid")
        WriteLog("Prize payment: game %lld, %d pence paid\n", seq, j.prize);
    else if (j.payment == "found-paid")
        WriteLog("Prize payment: game %lld, %d pence found paid after a missing reply\n", seq,
                 j.prize);
    else if (j.payment == "paid-again")
        WriteLog("Prize payment: game %lld, %d pence paid again after a missing reply\n", seq,
                 j.prize);
    else if (j.payment == "uncertain")
        WriteLog("Prize payment uncertain: game %lld, %d pence (check the ledger)\n", seq, j.prize);
    else
        WriteLog("Prize payment failed: game %lld, %d pence not paid (pay by hand)\n", seq,
                 j.prize);
}
