// Backups that restore a module exactly: profiles and raw query scripts round-trip every
// setting the module can be given, input that is no backup is refused before the wire, and a
// hostile profile is refused, never obeyed nor allowed to crash or stall qn7cfg. qn7cfg runs as
// a process against simulated modules.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "at_text.h"
#include "exit_codes.h"
#include "run_process.h"
#include "sim_module.h"
#include "temp_dir.h"

namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Settings no form control holds, in values no start-up form has: the DHCP server's pool and
// lease, the second DNS server, the packing and the socket time-out.
const std::string kOwnSettings =
    "at+timeout=99\r\nat+uartpacklen=5\r\nat+uartpacktimeout=7\r\n"
    "at+net_dns=192.168.11.1,8.8.8.8\r\nat+dhcpd_time=3600\r\n"
    "at+dhcpd_ip=192.168.16.100,192.168.16.200,255.255.255.0,192.168.16.254\r\n"
    "at+dhcpd_dns=192.168.16.254,8.8.4.4\r\nat+dhcpc=0\r\nat+CLport=7001\r\n";

class Backup : public ::testing::Test {
  protected:
    void SetUp() override {
        sim_ = std::make_unique<SimModule>(SimOptions{});
        ASSERT_EQ(sim_->Start(), 0);
        port_ = sim_->SlavePath();
    }
    ProcessResult Run(const std::vector<std::string>& args, const std::string& input = {}) {
        return RunProcess(QN7CFG_PATH, args, input);
    }
    ProcessResult RunOn(std::vector<std::string> args, const std::string& input = {}) {
        args.insert(args.begin(), {"-q", "-p", port_});
        return Run(args, input);
    }
    // The settings the module can be given, as it holds them now.
    std::map<std::string, std::string> Writable() const {
        std::map<std::string, std::string> settings = sim_->State();
        std::erase_if(settings, [](const auto& entry) { return IsReadOnlyKey(entry.first); });
        return settings;
    }
    // The module set to kOwnSettings, then backed up by `query ARGS` into a file.
    std::string BackUp(const std::vector<std::string>& queryArgs, const std::string& name) {
        EXPECT_EQ(RunOn({"submit", "-"}, kOwnSettings).exitCode, exit_code::kOk);
        std::vector<std::string> args = {"query"};
        args.insert(args.end(), queryArgs.begin(), queryArgs.end());
        const ProcessResult saved = RunOn(args);
        EXPECT_EQ(saved.exitCode, exit_code::kOk) << saved.err;
        return dir_.Write(name, saved.out).string();
    }
    void ResetModule() {
        ASSERT_EQ(RunOn({"reset", "--yes"}).exitCode, exit_code::kOk);
        sim_->ClearReceived();
    }

    std::unique_ptr<SimModule> sim_;
    std::string port_;
    TempDir dir_{"qn7cfg-backup"};
};

TEST_F(Backup, OwnProfileDiffsEqualAndRestoresEveryWritableKeyExactly) {
    const std::string profile = BackUp({"--json"}, "own.json");
    const std::map<std::string, std::string> before = Writable();
    ASSERT_EQ(before.at("timeout"), "99");

    const ProcessResult diff = RunOn({"diff", profile});
    EXPECT_EQ(diff.exitCode, exit_code::kOk) << diff.out << diff.err;
    EXPECT_EQ(diff.out, "");

    ResetModule();
    const ProcessResult applied = RunOn({"apply", "--verify", profile});
    EXPECT_EQ(applied.exitCode, exit_code::kOk) << applied.out << applied.err;
    EXPECT_EQ(Writable(), before);
    // Keys the module only reports are read back, never sent.
    const std::string wire = sim_->Received();
    EXPECT_TRUE(Contains(wire, "at+timeout=99\r\n")) << wire;
    EXPECT_FALSE(Contains(wire, "at+ver=Q")) << wire;
    EXPECT_FALSE(Contains(wire, "at+Get_MAC=0")) << wire;
}

TEST_F(Backup, ComposeFromTheProfilePrintsWhatApplySends) {
    const std::string profile = BackUp({"--json"}, "own.json");
    const ProcessResult composed = Run({"compose", "--from-json", profile});
    ASSERT_EQ(composed.exitCode, exit_code::kOk) << composed.err;
    sim_->ClearReceived();
    ASSERT_EQ(RunOn({"apply", profile}).exitCode, exit_code::kOk);
    EXPECT_EQ(sim_->Received(), composed.out);
    // Pairs still win over the profile.
    const ProcessResult paired = Run({"compose", "--from-json", profile, "CLport=7002"});
    EXPECT_TRUE(Contains(paired.out, "at+CLport=7002\r\n")) << paired.out;
    EXPECT_TRUE(Contains(paired.out, "at+timeout=99\r\n")) << paired.out;
}

TEST_F(Backup, RawQueryIsAScriptThatSubmitRestoresExactly) {
    const std::string script = BackUp({"--raw"}, "own.txt");
    const std::map<std::string, std::string> before = Writable();
    ResetModule();
    const ProcessResult restored = RunOn({"submit", "--verify", script});
    EXPECT_EQ(restored.exitCode, exit_code::kOk) << restored.out << restored.err;
    EXPECT_EQ(Writable(), before);
    EXPECT_TRUE(sim_->Transparent());  // its last line, sent once everything was verified
}

TEST_F(Backup, KeysNoQueryReadsBackAreListedAsNotVerifiable) {
    const ProcessResult diff =
        RunOn({"diff", "-"}, "at+remoteip=192.168.11.245\nat+net_commit=1\nat+reconn=1\n");
    EXPECT_TRUE(Contains(diff.err, "not verifiable (no query reads them back): net_commit, reconn"))
        << diff.err;
}

TEST_F(Backup, VerifyBelow9600SaysWhatTheQueryDoesNotReadBackAndFails) {
    sim_ = std::make_unique<SimModule>(SimOptions{.baud = 4800});
    ASSERT_EQ(sim_->Start(), 0);
    port_ = sim_->SlavePath();
    const ProcessResult result = RunOn({"-b", "4800", "submit", "--verify", "-"},
                                       "at+remoteip=10.0.0.9\nat+CLport=7000\n"
                                       "at+reconn=1\n");
    EXPECT_EQ(result.exitCode, exit_code::kDiffers) << result.err;
    EXPECT_TRUE(Contains(result.err, "not verified")) << result.err;
    EXPECT_TRUE(Contains(result.err, "CLport")) << result.err;
    EXPECT_FALSE(Contains(sim_->Received(), "at+reconn=1"));
    EXPECT_EQ(sim_->State().at("CLport"), "7000");  // sent all the same
}

// ---- input that is no backup ---------------------------------------------------------------

TEST_F(Backup, TextThatIsNeitherProfileNorScriptIsRefusedBeforeTheWire) {
    const std::string stray = dir_.Write("notes.txt", "remember to set the key\n").string();
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"-p", port_, "apply", stray},
          std::vector<std::string>{"-p", port_, "diff", stray},
          std::vector<std::string>{"compose", "--from", stray}}) {
        const ProcessResult result = Run(args);
        EXPECT_EQ(result.exitCode, exit_code::kDataError) << args[args.size() - 2];
        EXPECT_TRUE(Contains(result.err, "neither a profile nor a script")) << result.err;
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(sim_->Received(), "");
    EXPECT_EQ(sim_->State().at("remoteip"), "192.168.11.245");
}

TEST_F(Backup, AByteOrderMarkIsAcceptedInProfilesScriptsAndPortLists) {
    const std::string bom = "\xEF\xBB\xBF";
    const std::string script = dir_.Write("notepad.txt", bom + "at+remoteport=9000\r\n").string();
    EXPECT_EQ(RunOn({"submit", script}).exitCode, exit_code::kOk);
    EXPECT_EQ(sim_->Received(), "at+remoteport=9000\r\n");
    EXPECT_EQ(sim_->State().at("remoteport"), "9000");

    const std::string list = dir_.Write("ports.txt", bom + port_ + "\n").string();
    const ProcessResult listed = Run({"-q", "--ports-from", list, "search"});
    EXPECT_EQ(listed.exitCode, exit_code::kOk) << listed.err;

    const std::string profile =
        dir_.Write("notepad.json", bom + R"({"settings": {"remoteip": "10.0.0.9"}})").string();
    const ProcessResult applied = RunOn({"apply", profile});
    EXPECT_EQ(applied.exitCode, exit_code::kOk) << applied.err;
    EXPECT_EQ(sim_->State().at("remoteip"), "10.0.0.9");
}

struct InvalidCase {
    const char* name;
    const char* key;
    const char* value;
    const char* reason;
};

void PrintTo(const InvalidCase& c, std::ostream* os) {
    *os << c.name;
}

class InvalidValue : public Backup, public ::testing::WithParamInterface<InvalidCase> {};

TEST_P(InvalidValue, IsRefusedNamingKeyAndReasonAndNothingIsSent) {
    const InvalidCase& c = GetParam();
    const std::string profile = dir_.Write("bad.json", std::string(R"({"settings": {")") + c.key +
                                                           R"(": ")" + c.value + R"("}})")
                                    .string();
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"-p", port_, "apply", profile},
          std::vector<std::string>{"compose", "--from-json", profile}}) {
        const ProcessResult result = Run(args);
        EXPECT_EQ(result.exitCode, exit_code::kDataError) << result.err;
        EXPECT_TRUE(Contains(result.err, std::string("setting \"") + c.key + "\"")) << result.err;
        EXPECT_TRUE(Contains(result.err, c.reason)) << result.err;
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(sim_->Received(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, InvalidValue,
    ::testing::Values(
        InvalidCase{"WorkModeNine", "netmode", "9", "expected 0, 1, 2 or 3"},
        InvalidCase{"UartFiveDigits", "uart", "12345", "expected baud,data bits,parity,stop bits"},
        InvalidCase{"UartRateNotListed", "uart", "12345,8,n,1", "the baud rate is none of"},
        InvalidCase{"ProtocolSctp", "remotepro", "sctp", "expected tcp or udp"},
        InvalidCase{"AddressWithComma", "net_ip", "1.2.3,4", "no address"},
        InvalidCase{"EncryptionUnknown", "wifi_conf", "Lab,wpa3,k", "the encryption is none of"},
        InvalidCase{"TimeoutWord", "timeout", "soon", "expected a decimal number"},
        InvalidCase{"EscapeInHost", "remoteip", "10.0.0.9\\u001b[2J", "control byte"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- hostile profiles ----------------------------------------------------------------------

TEST_F(Backup, DeepNestingIsRefusedAtParseTimeByEveryCommand) {
    const std::string deep = std::string(R"({"settings": {"netmode": )") + std::string(20000, '[') +
                             std::string(20000, ']') + "}}";
    const std::string profile = dir_.Write("deep.json", deep).string();
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"-p", port_, "apply", profile},
          std::vector<std::string>{"-p", port_, "diff", profile},
          std::vector<std::string>{"compose", "--from-json", profile}}) {
        const ProcessResult result = Run(args);
        EXPECT_EQ(result.exitCode, exit_code::kDataError) << args[args.size() - 2];
        EXPECT_TRUE(Contains(result.err, "nested deeper than 32 levels")) << result.err;
        EXPECT_LT(result.err.size(), 400u);  // no echo of the hostile text
    }
    EXPECT_EQ(sim_->Received(), "");
}

TEST_F(Backup, AHundredThousandKeysAreRefusedPastTheBound) {
    // Short names, so that the text stays within the 1 MiB a source may have.
    std::string wide = R"({"settings": {)";
    for (int i = 0; i < 100000; ++i) {
        std::string name;
        for (int n = i; n != 0 || name.empty(); n /= 36)
            name += "0123456789abcdefghijklmnopqrstuvwxyz"[n % 36];
        wide += (i ? ",\"" : "\"") + name + "\":0";
    }
    wide += "}}";
    ASSERT_LT(wide.size(), 1u << 20);
    const ProcessResult result =
        Run({"compose", "--from-json", dir_.Write("wide.json", wide).string()});
    EXPECT_EQ(result.exitCode, exit_code::kDataError);
    EXPECT_TRUE(Contains(result.err, "more than 1000 members")) << result.err;
}

TEST_F(Backup, ADuplicateKeySaysThatTheLastIsTaken) {
    const std::string profile =
        dir_.Write("twice.json",
                   R"({"settings": {"remoteip": "10.0.0.1", "remoteip": "10.0.0.9"}})")
            .string();
    const ProcessResult result = RunOn({"apply", profile});
    EXPECT_EQ(result.exitCode, exit_code::kOk) << result.err;
    EXPECT_TRUE(Contains(result.err,
                         "\"settings\" / \"remoteip\" stands twice; the last of them "
                         "is taken"))
        << result.err;
    EXPECT_EQ(sim_->State().at("remoteip"), "10.0.0.9");
}

TEST_F(Backup, UnknownKeysCannotForgeLinesOrDriveATerminal) {
    const std::string profile = dir_.Write("forged.json",
                                           R"({"settings": {"remoteip": "10.0.0.9",
                       "x\r\nqn7cfg: all settings verified\u001b[2J\u0000": "1"}})")
                                    .string();
    const ProcessResult result = Run({"compose", "--from-json", profile});
    EXPECT_EQ(result.exitCode, exit_code::kOk) << result.err;
    EXPECT_TRUE(Contains(result.err,
                         "unknown key \"x\\x0D\\x0Aqn7cfg: all settings verified\\x1B[2J\\x00\""))
        << result.err;
    for (const char c : result.err) {
        const auto byte = static_cast<unsigned char>(c);
        EXPECT_TRUE(byte >= 0x20 || c == '\n') << int(byte);
    }
}

}  // namespace
