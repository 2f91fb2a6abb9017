// The fleet broker's doors: an agent with a certificate from another authority, one that does not
// trust the broker, and one with a wrong password are refused; a cabinet cannot publish under
// another cabinet's id; the agent refuses an unprotected link to a broker on another machine,
// and does nothing when telemetry is not configured.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/credit_service.h"
#include "support/fleet_services.h"

namespace fs = std::filesystem;
using fleet::WaitFor;

namespace {
// A certificate authority of our own making, and a certificate it signs for `name`.
void MakeRogue(const fs::path& dir, const std::string& name) {
    fs::create_directories(dir);
    std::string d = "'" + dir.string() + "'";
    CaptureCommand(
        "openssl req -x509 -new -newkey rsa:2048 -nodes -days 1 -subj /CN=rogue -keyout " + d +
        "/ca.key -out " + d + "/ca.crt 2>&1");
    CaptureCommand("openssl req -new -newkey rsa:2048 -nodes -subj /CN=" + name + " -keyout " + d +
                   "/client.key -out " + d + "/client.csr 2>&1");
    CaptureCommand("openssl x509 -req -in " + d + "/client.csr -CA " + d + "/ca.crt -CAkey " + d +
                   "/ca.key -CAcreateserial -days 1 -out " + d + "/client.crt 2>&1");
}

class FleetAuthTest : public ::testing::Test {
  protected:
    ScratchFolder scratch{"fleet-auth"};
    std::vector<ProcessId> processes;

    ~FleetAuthTest() override {
        for (ProcessId p : processes) {
            StopProcess(p);
            WaitProcess(p);
        }
    }
    // An agent with these extra arguments; its log file.
    std::string StartAgent(const std::string& name, std::vector<std::string> args) {
        fs::path folder = scratch.path() / name;
        fs::create_directories(folder);
        std::vector<std::string> argv = {TELEMETRY_TOOL, "--folder", folder.string(), "--heartbeat",
                                         "1"};
        argv.insert(argv.end(), args.begin(), args.end());
        std::string log = (folder / "agent.log").string();
        processes.push_back(StartProcess(argv, "", log));
        return log;
    }
    // Everything the collector's credentials may read on the broker, as "topic payload" lines.
    std::string Watch(const fleet::Broker& broker, std::vector<std::string> credentials) {
        std::string out = scratch.File("watch.txt");
        std::vector<std::string> argv = {
            "/usr/bin/mosquitto_sub",      "-h", "127.0.0.1",           "-p",
            std::to_string(broker.port()), "-t", "brindlemark/fleet/#", "-v"};
        argv.insert(argv.end(), credentials.begin(), credentials.end());
        processes.push_back(StartProcess(argv, out, scratch.File("watch.err")));
        return out;
    }
};

TEST_F(FleetAuthTest, CertificatesFromElsewhereAreRefusedAndACabinetPublishesOnlyAsItself) {
    fleet::Broker broker(scratch.path() / "broker", FLEET_SETUP, "localhost");
    ASSERT_TRUE(broker.running()) << broker.setUpOutput();
    ASSERT_TRUE(broker.AddCabinet("pub-a"));
    std::string ca = (broker.folder() / "ca.crt").string();
    std::string watch = Watch(
        broker, {"--cafile", ca, "--cert", broker.Client("brindlemark-collector", "crt").string(),
                 "--key", broker.Client("brindlemark-collector", "key").string()});
    MakeRogue(scratch.path() / "rogue", "pub-a");
    std::string rogue = (scratch.path() / "rogue").string();
    std::string cert = broker.Client("pub-a", "crt").string();
    std::string key = broker.Client("pub-a", "key").string();

    // The genuine cabinet is heard.
    std::string genuine = StartAgent("genuine", {"--cabinet", "pub-a", "--broker", broker.address(),
                                                 "--cafile", ca, "--cert", cert, "--key", key});
    EXPECT_TRUE(WaitFor(20, [&] {
        return ReadText(watch).find("brindlemark/fleet/pub-a/heartbeat") != std::string::npos;
    })) << ReadText(genuine);
    // A certificate the fleet's authority did not sign is refused, as is a broker the agent
    // cannot trust; pub-a's own certificate does not let it speak for pub-b.
    std::string untrusted =
        StartAgent("untrusted", {"--cabinet", "pub-c", "--broker", broker.address(), "--cafile", ca,
                                 "--cert", rogue + "/client.crt", "--key", rogue + "/client.key"});
    std::string distrustful =
        StartAgent("distrustful", {"--cabinet", "pub-d", "--broker", broker.address(), "--cafile",
                                   rogue + "/ca.crt", "--cert", cert, "--key", key});
    std::string impostor =
        StartAgent("impostor", {"--cabinet", "pub-b", "--broker", broker.address(), "--cafile", ca,
                                "--cert", cert, "--key", key});
    EXPECT_TRUE(WaitFor(
        20,
        [&] {
            return ReadText(untrusted).find("cannot reach the broker") != std::string::npos &&
                   ReadText(distrustful).find("cannot reach the broker") != std::string::npos &&
                   ReadText(impostor).find("connected to the broker") != std::string::npos;
        }))
        << ReadText(untrusted) << ReadText(distrustful) << ReadText(impostor);
    std::this_thread::sleep_for(std::chrono::seconds(3));
    std::string seen = ReadText(watch);
    EXPECT_EQ(ReadText(untrusted).find("connected to the broker"), std::string::npos);
    EXPECT_EQ(ReadText(distrustful).find("connected to the broker"), std::string::npos);
    EXPECT_EQ(seen.find("brindlemark/fleet/pub-b/"), std::string::npos) << seen;
    EXPECT_EQ(seen.find("brindlemark/fleet/pub-c/"), std::string::npos) << seen;
    EXPECT_EQ(seen.find("brindlemark/fleet/pub-d/"), std::string::npos) << seen;
    EXPECT_NE(seen.find("brindlemark/fleet/pub-a/status"), std::string::npos) << seen;
}

TEST_F(FleetAuthTest, AWrongPasswordIsRefused) {
    fleet::Broker broker(scratch.path() / "broker", FLEET_SETUP);
    ASSERT_TRUE(broker.running()) << broker.setUpOutput();
    ASSERT_TRUE(broker.AddCabinet("pub-a"));
    std::string watch = Watch(
        broker,
        {"-u", "brindlemark-collector", "-P",
         ReadText(broker.Client("brindlemark-collector", "password").string()).substr(0, 32)});
    std::ofstream(scratch.File("wrong.password")) << "not-the-password\n";
    std::string right =
        StartAgent("right", {"--cabinet", "pub-a", "--broker", broker.address(), "--password-file",
                             broker.Client("pub-a", "password").string()});
    std::string wrong = StartAgent(
        "wrong", {"--cabinet", "pub-a", "--broker", broker.address(), "--password-file",
                  scratch.File("wrong.password"), "--outbox", scratch.File("wrong-outbox.db")});
    EXPECT_TRUE(
        WaitFor(20,
                [&] {
                    return ReadText(wrong).find("refused the connection") != std::string::npos &&
                           ReadText(right).find("connected to the broker") != std::string::npos;
                }))
        << ReadText(wrong) << ReadText(right);
    EXPECT_EQ(ReadText(wrong).find("connected to the broker"), std::string::npos);
}

TEST_F(FleetAuthTest, UnconfiguredDoesNothingAndARemoteBrokerNeedsTls) {
    Captured none = CaptureCommand(std::string(TELEMETRY_TOOL) + " 2>&1");
    EXPECT_EQ(none.status, 0);
    EXPECT_NE(none.out.find("telemetry is not configured"), std::string::npos) << none.out;
    Captured plain = CaptureCommand(std::string(TELEMETRY_TOOL) +
                                    " --cabinet pub-a --folder . --broker fleet.example:1883 2>&1");
    EXPECT_EQ(plain.status, 2);
    EXPECT_NE(plain.out.find("is not on this machine"), std::string::npos) << plain.out;
    Captured badId =
        CaptureCommand(std::string(TELEMETRY_TOOL) + " --cabinet 'pub/+' --folder . 2>&1");
    EXPECT_EQ(badId.status, 2) << badId.out;
}
}  // namespace
