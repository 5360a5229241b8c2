// qn7cfg's provisioning commands as processes against simulated modules: profiles, diff,
// --verify and several ports at once, with what reached each wire.
#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "exit_codes.h"
#include "json_text.h"
#include "run_process.h"
#include "sim_module.h"
#include "temp_dir.h"

namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class Provisioning : public ::testing::Test {
  protected:
    // A module of its own on a pseudo-terminal; returns its port.
    std::string AddSim(SimOptions options = {}) {
        sims_.push_back(std::make_unique<SimModule>(options));
        EXPECT_EQ(sims_.back()->Start(), 0);
        return sims_.back()->SlavePath();
    }
    SimModule& Sim(std::size_t i = 0) { return *sims_.at(i); }

    ProcessResult Run(const std::vector<std::string>& args, const std::string& input = {}) {
        return RunProcess(QN7CFG_PATH, args, input);
    }
    ProcessResult RunOn(const std::string& port, std::vector<std::string> args) {
        args.insert(args.begin(), {"-q", "-p", port});
        return Run(args);
    }

    std::string WriteFile(const std::string& name, const std::string& text) {
        return dir_.Write(name, text).string();
    }

    std::vector<std::unique_ptr<SimModule>> sims_;
    TempDir dir_{"qn7cfg-provisioning"};
};

Json Parsed(const std::string& text) {
    Json value;
    std::string error;
    EXPECT_TRUE(ParseJson(text, value, error)) << error << "\n" << text;
    return value;
}

// ---- profiles ------------------------------------------------------------------------------

TEST_F(Provisioning, QueryJsonWritesAProfileOfEveryKeyAnswered) {
    const std::string port = AddSim();
    const ProcessResult result = RunOn(port, {"query", "--json"});
    ASSERT_EQ(result.exitCode, exit_code::kOk) << result.err;
    const Json profile = Parsed(result.out);
    EXPECT_EQ(profile["port"], port);
    EXPECT_EQ(profile["rate"], 115200);
    EXPECT_TRUE(std::regex_match(profile["time"].get<std::string>(),
                                 std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)")))
        << profile["time"];
    Json expected = Json::object();
    for (const auto& [key, value] : Sim().State()) {
        if (key != "wifi_Scan" && key != "default" && key != "reboot") expected[key] = value;
    }
    EXPECT_EQ(Json(profile["settings"]).size(), 27u);
    for (const auto& [key, value] : expected.items()) EXPECT_EQ(profile["settings"][key], value);
}

TEST_F(Provisioning, ApplyOfAProfileSendsTheScriptComposedFromIt) {
    const std::string port = AddSim();
    const std::string profile =
        WriteFile("lab.json", R"({"settings": {"netmode": "2", "wifi_conf": "Lab,wpa2_aes,s3cret",
                       "remoteip": "10.0.0.9", "ver": "V9"}})");
    const ProcessResult composed = Run({"compose", "--from-json", profile});
    ASSERT_EQ(composed.exitCode, exit_code::kOk) << composed.err;
    EXPECT_TRUE(
        composed.out.starts_with("at+netmode=2\r\nat+dhcpd=0\r\n"
                                 "at+wifi_conf=Lab,wpa2_aes,s3cret\r\n"))
        << composed.out;
    // Keys the profile lacks keep the start-up form's values.
    EXPECT_TRUE(Contains(composed.out, "at+remoteport=8080\r\n")) << composed.out;

    const ProcessResult applied = RunOn(port, {"apply", profile});
    EXPECT_EQ(applied.exitCode, exit_code::kOk) << applied.err;
    EXPECT_EQ(Sim().Received(), composed.out);
    EXPECT_EQ(Sim().State().at("remoteip"), "10.0.0.9");
    EXPECT_EQ(Sim().State().at("ver"), "QN7-SIM 1.6.0");  // logged only: never sent
}

TEST_F(Provisioning, UnknownKeysAreReportedAndTheRestApplied) {
    const std::string port = AddSim();
    const std::string profile =
        WriteFile("p.json", R"({"note": "rig 3", "settings": {"remoteip": "10.0.0.7",
                              "colour": "red"}})");
    const ProcessResult result = RunOn(port, {"apply", profile});
    EXPECT_EQ(result.exitCode, exit_code::kOk) << result.err;
    EXPECT_TRUE(Contains(result.err, "unknown key \"note\" ignored")) << result.err;
    EXPECT_TRUE(Contains(result.err, "unknown key \"colour\" ignored")) << result.err;
    EXPECT_FALSE(Contains(Sim().Received(), "colour"));
    EXPECT_EQ(Sim().State().at("remoteip"), "10.0.0.7");
}

TEST_F(Provisioning, BadJsonIsADataErrorAndNothingReachesTheWire) {
    const std::string port = AddSim();
    const std::string bad = WriteFile("bad.json", "{\"settings\": {\"netmode\": \"1\",}}");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"-p", port, "apply", bad},
          std::vector<std::string>{"-p", port, "diff", bad},
          std::vector<std::string>{"compose", "--from-json", bad}}) {
        const ProcessResult result = Run(args);
        EXPECT_EQ(result.exitCode, exit_code::kDataError) << args[args.size() - 2];
        EXPECT_EQ(result.out, "");
        EXPECT_TRUE(Contains(result.err, "not JSON: parse error at line 1, column 30"))
            << result.err;
    }
    EXPECT_EQ(Sim().Received(), "");
}

// ---- diff ----------------------------------------------------------------------------------

TEST_F(Provisioning, DiffOfTheModulesOwnProfileIsEqual) {
    const std::string port = AddSim();
    const ProcessResult saved = RunOn(port, {"query", "--json"});
    ASSERT_EQ(saved.exitCode, exit_code::kOk) << saved.err;
    const ProcessResult result = RunOn(port, {"diff", WriteFile("saved.json", saved.out)});
    EXPECT_EQ(result.exitCode, exit_code::kOk) << result.out << result.err;
    EXPECT_EQ(result.out, "");
}

TEST_F(Provisioning, DiffPrintsEachDifferingKeyAndExitsOne) {
    const std::string port = AddSim();
    const std::string script = WriteFile("site.txt", "at+remoteip=10.0.0.9\nat+CLport=7000\n");
    const ProcessResult result = Run({"-q", "-p", port, "diff", "-"}, "at+remoteip=10.0.0.9\n");
    EXPECT_EQ(result.exitCode, exit_code::kDiffers) << result.err;
    EXPECT_TRUE(Contains(result.out, "remoteip: 192.168.11.245 \u2192 10.0.0.9\n")) << result.out;
    // The script leaves the rest of the form empty: applying it would clear those settings.
    EXPECT_TRUE(Contains(result.out, "remoteport: 8080 \u2192 \n")) << result.out;
    const ProcessResult fromFile = RunOn(port, {"diff", script});
    EXPECT_TRUE(Contains(fromFile.out, "CLport: 8080 \u2192 7000\n")) << fromFile.out;
    // Only queries went out.
    EXPECT_FALSE(Contains(Sim().Received(), "=10.0.0.9"));
}

// ---- verify --------------------------------------------------------------------------------

const std::string kVerifiedScript = "at+remoteport=9000\r\nat+netmode=2\r\nat+reconn=1\r\n";

TEST_F(Provisioning, VerifyFindsASettingTheModuleDidNotTakeAndKeepsItInCommandMode) {
    const std::string port = AddSim({.ignoredSetting = "remoteport"});
    const ProcessResult result =
        RunOn(port, {"submit", "--verify", WriteFile("s.txt", kVerifiedScript)});
    EXPECT_EQ(result.exitCode, exit_code::kDiffers) << result.err;
    EXPECT_EQ(result.out, "remoteport: 8080 \u2192 9000\n");
    EXPECT_TRUE(Contains(result.err, "did not take 1 setting; at+reconn=1 not sent")) << result.err;
    const std::string wire = Sim().Received();
    EXPECT_TRUE(wire.starts_with("at+remoteport=9000\r\nat+netmode=2\r\nat+ver=?\r\n")) << wire;
    EXPECT_FALSE(Contains(wire, "at+reconn=1"));
    EXPECT_FALSE(Sim().Transparent());
}

TEST_F(Provisioning, VerifySendsTheTransparentLineLastWhenEverythingWasTaken) {
    const std::string port = AddSim();
    const ProcessResult result =
        RunOn(port, {"submit", WriteFile("s.txt", kVerifiedScript), "--verify"});
    EXPECT_EQ(result.exitCode, exit_code::kOk) << result.err;
    EXPECT_EQ(result.out, "");
    const std::string wire = Sim().Received();
    EXPECT_TRUE(wire.starts_with("at+remoteport=9000\r\nat+netmode=2\r\nat+ver=?\r\n")) << wire;
    EXPECT_TRUE(wire.ends_with("at+COM2=?\r\nat+reconn=1\r\n")) << wire;
    EXPECT_TRUE(Sim().Transparent());
}

TEST_F(Provisioning, ApplyVerifyComparesTheComposedScript) {
    const std::string port = AddSim({.ignoredSetting = "uart"});
    const ProcessResult result = RunOn(
        port,
        {"apply", "--verify", WriteFile("p.json", R"({"settings": {"uart": "9600,8,e,1"}})")});
    EXPECT_EQ(result.exitCode, exit_code::kDiffers) << result.err;
    EXPECT_EQ(result.out, "uart: 115200,8,n,1 \u2192 9600,8,e,1\n");
}

// ---- several ports -------------------------------------------------------------------------

TEST_F(Provisioning, ThreePortsOneMissingRunInParallelAndReportTheWorst) {
    const std::string first = AddSim();
    const std::string second = AddSim({.baud = 57600});
    const std::string missing = "/dev/qn7-no-such-port";
    const ProcessResult result =
        Run({"-p", first, "-p", missing, "-p", second, "-b", "auto", "query", "--json"});
    EXPECT_EQ(result.exitCode, exit_code::kIoError) << result.err;
    // Every line, log or result, says which port it is about.
    std::istringstream errLines(result.err);
    for (std::string line; std::getline(errLines, line);) {
        EXPECT_TRUE(line.starts_with(first + ": ") || line.starts_with(second + ": ") ||
                    line.starts_with(missing + ": "))
            << line;
    }
    EXPECT_TRUE(Contains(result.err, missing + ": Unable to open COM-port\n")) << result.err;
    EXPECT_TRUE(Contains(result.err, second + ": (:Found Device at " + second + "(57600)!"));
    EXPECT_TRUE(Contains(result.out, second + ":   \"rate\": 57600,\n")) << result.out;
    EXPECT_TRUE(Contains(result.out, first + ":   \"rate\": 115200,\n")) << result.out;
    // The table: port, rate, outcome.
    for (const auto& [port, row] : {std::pair{first, " +115200 +ok"},
                                    {second, " +57600 +ok"},
                                    {missing, " +115200 +serial error"}}) {
        EXPECT_TRUE(std::regex_search(result.out, std::regex("\n" + port + row + "\n")))
            << port << row << "\n"
            << result.out;
    }
    EXPECT_TRUE(Sim(0).Received().ends_with("at+COM2=?\r\n"));
    EXPECT_TRUE(Sim(1).Received().ends_with("at+COM2=?\r\n"));
}

TEST_F(Provisioning, PortsFromAFileJoinThePortOptions) {
    const std::string first = AddSim();
    const std::string second = AddSim();
    const std::string list = WriteFile("ports.txt", "# rig 3\n  " + second + "  \n\n");
    const ProcessResult result = Run({"-q", "-p", first, "--ports-from", list, "transparent"});
    EXPECT_EQ(result.exitCode, exit_code::kOk) << result.err;
    EXPECT_TRUE(Sim(0).Transparent());
    EXPECT_TRUE(Sim(1).Transparent());
    EXPECT_TRUE(Contains(result.out, "PORT")) << result.out;

    const ProcessResult empty =
        Run({"--ports-from", WriteFile("none.txt", "# nothing\n"), "transparent"});
    EXPECT_EQ(empty.exitCode, exit_code::kDataError);
    EXPECT_TRUE(Contains(empty.err, "names no port")) << empty.err;
    const ProcessResult twice =
        Run({"-p", first, "--ports-from", WriteFile("twice.txt", first + "\n"), "transparent"});
    EXPECT_EQ(twice.exitCode, exit_code::kDataError);
    EXPECT_TRUE(Contains(twice.err, "given twice")) << twice.err;
}

}  // namespace
