#include "cabinet_support.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <random>
#include <sstream>

#include "credit/link.h"
#include "display/display.h"
#include "game/outside.h"
#include "game/session.h"
#include "platform/headless.h"
#include "platform/net_server.h"
#include "platform/window.h"
#include "shell/menu.h"
#include "shell/menu_sound.h"
#include "shell/startup.h"
#include "sound/music.h"
#include "sound/music_track.h"

namespace fs = std::filesystem;

namespace {
// Touch points: the middle of the menu's Main Menu and Start buttons.
constexpr int16_t MainMenuX = 90, MainMenuY = 510;
constexpr int16_t StartX = 700, StartY = 480;
// The player touches the menu no more often than this.
constexpr uint32_t MenuPressGapMs = 40;

Cabinet* gCabinet = nullptr;
StartupSteps gRealSteps;
bool gInMenu = false;

bool CabinetRunMenu() {
    // The player puts coins in before the menu when another game is wanted.
    gCabinet->EnsureMoney();
    gInMenu = true;
    bool paid = gRealSteps.runMenu();
    gInMenu = false;
    if (paid) {
        gOutsideLog = OutsideLog{};
        ScriptPlays(gCabinet->NextPlays());
    }
    return paid;
}

void CabinetPlayGame() {
    gRealSteps.playGame();
    gCabinet->NoteGame();
}

bool CabinetPress(uint32_t now, int16_t& x, int16_t& y) {
    if (gInMenu) return gCabinet->MenuPress(now, x, y);
    return gScriptedPress(now, x, y);
}

// The tune is not played: decoding it for every virtual minute of play would only cost time.
bool SilentTune(int32_t, int32_t) {
    return true;
}
bool SilentTuneCall() {
    return true;
}

// A shown balance: a failed query or 10000 pence and more read as nothing, as on screen.
int64_t Shown(int64_t value) {
    return value < 0 || value >= CreditShownLimit ? 0 : value;
}

// The number after the comma of a reply such as "CTEL,150\r", or -1.
int64_t ReplyValue(const std::string& reply) {
    size_t comma = reply.find(',');
    if (reply.size() < 6 || comma != 4 || reply.compare(0, 4, "FAIL") == 0) return -1;
    return std::stoll(reply.substr(comma + 1));
}

}  // namespace

RecordingRelay::RecordingRelay(uint16_t servicePort)
    : servicePort_(servicePort), listener_(ListenOnLoopback(0)) {
    port_ = SocketLocalPort(listener_);
    if (port_ != 0) thread_ = std::thread([this] { Run(); });
}

RecordingRelay::~RecordingRelay() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    CloseSocket(listener_);
}

std::string RecordingRelay::Sent() {
    std::lock_guard<std::mutex> lock(mutex_);
    return sent_;
}

void RecordingRelay::Watch(std::function<void(const std::string& chunk)> watch) {
    std::lock_guard<std::mutex> lock(mutex_);
    watch_ = std::move(watch);
}

bool RecordingRelay::WaitForClose(int timeoutMs) {
    for (int waited = 0; !closed_ && waited < timeoutMs; waited += 5)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return closed_;
}

void RecordingRelay::Run() {
    SocketHandle client = InvalidSocket, service = InvalidSocket;
    while (!stop_ && !closed_) {
        if (client == InvalidSocket) {
            SocketWait wait{listener_, false};
            if (WaitForSockets(&wait, 1, 20) <= 0) continue;
            client = AcceptConnection(listener_, nullptr);
            if (client == InvalidSocket) continue;
            service = OpenTcpSocket();
            if (!ConnectSocket(service, "127.0.0.1", servicePort_)) break;
            continue;
        }
        SocketWait waits[2] = {{client, false}, {service, false}};
        if (WaitForSockets(waits, 2, 20) <= 0) continue;
        char chunk[4096];
        if (waits[0].ready) {
            long n = ReadAvailable(client, chunk, sizeof chunk);
            if (n == 0 || n == -1) {
                closed_ = true;
            } else if (n > 0) {
                std::function<void(const std::string&)> watch;
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    sent_.append(chunk, static_cast<size_t>(n));
                    watch = watch_;
                }
                if (watch) watch(std::string(chunk, static_cast<size_t>(n)));
                SendOnSocket(service, chunk, static_cast<size_t>(n));
            }
        }
        if (waits[1].ready) {
            long n = ReadAvailable(service, chunk, sizeof chunk);
            if (n == 0 || n == -1) break;
            if (n > 0) SendOnSocket(client, chunk, static_cast<size_t>(n));
        }
    }
    // The service's end goes only now, so that it has read whatever the client sent last.
    CloseSocket(service);
    CloseSocket(client);
    closed_ = true;
}

Cabinet::Cabinet() {
    service_ =
        std::make_unique<ServiceProcess>(folder_.File("credit.db"), folder_.File("serve.log"));
    if (!service_->started()) return;
    relay_ = std::make_unique<RecordingRelay>(service_->port());
    player_ = std::make_unique<RawClient>(service_->port());
    fs::path stage = BRINDLEMARK_STAGE_DIR;
    if (relay_->port() == 0 || !player_->connected() ||
        !fs::exists(stage / "Questions" / "trueorfalse" / "Data48.pck") ||
        !fs::exists(stage / "Graphic_resource" / "Main" / "Box.bmp"))
        return;
    work_ = std::make_unique<ScratchDir>();
    for (const char* item : {"Graphic_resource", "sounds", "Questions"})
        fs::create_directory_symlink(fs::absolute(stage / item), work_->path() / item);
    ready_ = true;
}

Cabinet::~Cabinet() {
    gCabinet = nullptr;
}

void Cabinet::PresetPayoutBalance(float balance) {
    ResetAuditRecord();
    gAuditRecord.balance[0] = balance;
    SaveAuditRecord();
    ResetAuditRecord();
}

bool Cabinet::Insert(int pence) {
    CommandResult r = RunCreditCommand(
        {"insert", std::to_string(pence), "--port", std::to_string(service_->port())}, folder_);
    if (r.exitCode != 0) return false;
    coins_ += pence;
    return true;
}

bool Cabinet::EnsureMoney() {
    if (bought_ >= plan_.games) return true;
    for (int tries = 0; tries < 3; ++tries) {
        if (!player_->Send("CGET\r\n")) return false;
        int64_t credit = ReplyValue(player_->Receive());
        if (!player_->Send("BGET\r\n")) return false;
        int64_t bank = ReplyValue(player_->Receive());
        if (Shown(credit) + Shown(bank) >= GameStake) return true;
        if (!Insert(plan_.coin)) return false;
    }
    return false;
}

bool Cabinet::MenuPress(uint32_t now, int16_t& x, int16_t& y) {
    if (now - lastMenuPress_ < MenuPressGapMs) return false;
    lastMenuPress_ = now;
    if (bought_ >= plan_.games) {
        x = MainMenuX, y = MainMenuY;
        return true;
    }
    x = StartX, y = StartY;
    return true;
}

std::vector<Play> Cabinet::NextPlays() {
    return plan_.plays(bought_++);
}

void Cabinet::NoteGame() {
    GameRecord r;
    r.state = gGameSession.GameState;
    r.winAmount = gGameSession.WinAmount;
    for (int q = 0; q < 3; ++q) r.prizes[q] = gGameSession.Prizes[q];
    r.tasks = gGameSession.TotalTasksCompleted;
    r.standing = CountStandingTeams();
    r.playsTaken = gPlayer.next;
    r.log = gOutsideLog;
    r.displayUp = DisplayIsUp();
    games_.push_back(std::move(r));
}

int Cabinet::Run(const CabinetPlan& plan) {
    if (relay_->WaitForClose(0)) {
        // The link of the last run has gone: the next one connects to a fresh relay.
        sentBefore_ += relay_->Sent();
        relay_ = std::make_unique<RecordingRelay>(service_->port());
    }
    plan_ = plan;
    bought_ = 0;
    lastMenuPress_ = 0;
    games_.clear();
    gCabinet = this;
    // The log also hands the effects and the payments on, so the game plays and pays for real.
    StartGameHarness(4049, {.drawing = plan.drawn, .sound = plan.sound, .payments = true});
    bool answerForMissingHelps = gPlayer.answerForMissingHelps;
    gPlayer = ScriptedPlayer{};
    gPlayer.answerForMissingHelps = answerForMissingHelps;
    gRealSteps = DefaultStartupSteps();
    StartupSteps steps = gRealSteps;
    steps.runMenu = CabinetRunMenu;
    steps.playGame = CabinetPlayGame;
    if (!plan.drawn) LeaveOutDisplay(steps);
    gStartup = steps;
    MenuSounds sounds = DefaultMenuSounds();
    if (plan.tunes) {
        // As the program's static tracks are made before it starts: read in this folder.
        for (MusicTrack* track : {&MainTune(), &RulesTune()}) {
            const char* path = track == &MainTune() ? "sounds//MainTune.mp3" : "sounds//Rules.mp3";
            track->~MusicTrack();
            new (track) MusicTrack(path);
        }
    } else {
        sounds.playMainTune = SilentTune;
        sounds.stopMainTune = sounds.pauseMainTune = sounds.resumeMainTune = SilentTuneCall;
    }
    gMenuSounds = sounds;
    relay_->Watch(plan.watchRequests);
    gCreditServicePort = relay_->port();
    HeadlessSetPressSource(CabinetPress);
    if (!plan.resumedPlays.empty()) {
        gOutsideLog = OutsideLog{};
        ScriptPlays(plan.resumedPlays);
    }

    int exitCode = WinMain();

    gCreditServicePort = 6667;
    gStartup = DefaultStartupSteps();
    gMenuSounds = DefaultMenuSounds();
    ForgetGameSprites();
    StopGameHarness();
    ResetAuditRecord();
    LoadAuditRecord();
    saved_ = gAuditRecord;
    relay_->WaitForClose(2000);
    return exitCode;
}

bool Cabinet::Damage(const std::string& path, FileDamage damage, uint32_t seed) {
    if (!work_) return false;
    fs::path file = work_->path() / path;
    // A staged folder stands behind one link: it becomes a folder of links to its files, so
    // that one of them can be changed without touching the staged one.
    fs::path top = work_->path() / fs::path(path).begin()->string();
    if (fs::is_symlink(top)) {
        fs::path staged = fs::read_symlink(top);
        fs::remove(top);
        fs::create_directory(top);
        for (const auto& entry : fs::recursive_directory_iterator(staged)) {
            fs::path to = top / fs::relative(entry.path(), staged);
            if (entry.is_directory())
                fs::create_directories(to);
            else
                fs::create_symlink(entry.path(), to);
        }
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    fs::remove(file);
    if (damage == FileDamage::Missing) return true;
    if (damage == FileDamage::CutToHalf) bytes.resize(bytes.size() / 2);
    if (damage == FileDamage::Overwritten && !bytes.empty()) {
        std::mt19937 random(seed);
        for (int i = 0; i < 64; ++i)
            bytes[random() % bytes.size()] = static_cast<char>(random() & 0xFF);
    }
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::string Cabinet::LogText() const {
    return work_ ? ReadText((work_->path() / "~system" / "logs" / "Brindlemark.txt").string())
                 : std::string();
}

std::string Cabinet::WorkFolder() const {
    return work_ ? work_->path().string() : std::string();
}

std::vector<std::string> Cabinet::Requests() {
    std::vector<std::string> lines;
    std::string sent = sentBefore_ + relay_->Sent();
    size_t start = 0, end;
    while ((end = sent.find('\n', start)) != std::string::npos) {
        lines.push_back(sent.substr(start, end + 1 - start));
        start = end + 1;
    }
    if (start < sent.size()) lines.push_back(sent.substr(start));
    return lines;
}

std::vector<std::string> Cabinet::Changes() {
    std::vector<std::string> changes;
    for (const std::string& line : Requests())
        if (line != "CGET\r\n" && line != "BGET\r\n") changes.push_back(line);
    return changes;
}

std::vector<LedgerEntry> Cabinet::Ledger() {
    CommandResult r =
        RunCreditCommand({"ledger", "1000000", "--db", folder_.File("credit.db")}, folder_);
    return r.exitCode == 0 ? ParseLedger(r.output) : std::vector<LedgerEntry>{};
}

std::vector<LedgerEntry> Cabinet::GameLedger() {
    std::vector<LedgerEntry> all = Ledger();
    std::string game;
    for (const LedgerEntry& e : all)
        if (e.request == "CUSE") game = e.client;
    std::vector<LedgerEntry> mine;
    for (const LedgerEntry& e : all)
        if (!game.empty() && e.client == game) mine.push_back(e);
    return mine;
}

bool Cabinet::Balances(int64_t& credit, int64_t& bank) {
    CommandResult r =
        RunCreditCommand({"show", "--port", std::to_string(service_->port())}, folder_);
    // "credit £0.50" and "bank   £1.00", a line each.
    std::istringstream lines(r.output);
    std::string creditWord, creditText, bankWord, bankText;
    lines >> creditWord >> creditText >> bankWord >> bankText;
    credit = PenceOf(creditText);
    bank = PenceOf(bankText);
    return r.exitCode == 0 && creditWord == "credit" && bankWord == "bank" && credit >= 0 &&
           bank >= 0;
}

std::string Cabinet::ServiceLog() const {
    return ReadText(folder_.File("serve.log"));
}

std::vector<std::string> PrizeLines(int32_t prize) {
    std::vector<std::string> lines;
    if (prize >= 100) lines.push_back("BADD," + std::to_string(prize / 100 * 100) + "\r\n");
    if (prize % 100 != 0) lines.push_back("CADD," + std::to_string(prize % 100) + "\r\n");
    return lines;
}
