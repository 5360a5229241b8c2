#include "user_slots.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "control_ids.h"
#include "pane_fixture.h"
#include "presets.h"
#include "temp_dir.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

class UserSlotsTest : public PaneFixture {
  protected:
    void SetUp() override {
        PaneFixture::SetUp();
        session.SetSlotDirectory(dir);
    }

    std::string FileText(const std::string& name) const { return temp.Read(name); }
    void WriteFile(const std::string& name, const std::string& bytes) const {
        temp.Write(name, bytes);
    }
    // Names in the folder other than the given slot files.
    std::vector<std::string> StrayFiles(std::initializer_list<std::string> slots) const {
        std::vector<std::string> stray;
        for (const auto& entry : fs::directory_iterator(dir)) {
            const std::string name = entry.path().filename().string();
            if (std::find(slots.begin(), slots.end(), name) == slots.end()) stray.push_back(name);
        }
        return stray;
    }

    TempDir temp{"qn7-slots"};
    const fs::path& dir = temp.Path();
};

TEST_F(UserSlotsTest, SlotNamesAndDefaultFolder) {
    EXPECT_EQ(SlotName(0), "user0");
    EXPECT_EQ(SlotName(3), "user3");
    EXPECT_EQ(Session().SlotDirectory(), fs::path("."));
}

TEST_F(UserSlotsTest, SaveThenLoadGivesTheSameBytes) {
    const std::string text = "at+netmode=2\r\nat+wifi_conf=\xE5\xAE\xB6,wpa2_aes,k\r\n\nx\r"s;
    session.ShowScript(text);
    ASSERT_TRUE(session.SaveUserSlot("user2"));
    EXPECT_EQ(FileText("user2"), text);
    session.ShowScript("something else");
    session.LoadUserSlot("user2");
    EXPECT_EQ(cmdPane.Text(), text);
    EXPECT_EQ(logPane.Text(), "");
    EXPECT_TRUE(StrayFiles({"user2"}).empty());
}

// The pane shows what a submit sends, and a submit stops at a NUL.
TEST_F(UserSlotsTest, SlotWithANulLoadsTheTextBeforeIt) {
    const std::pair<std::string, std::string> cases[] = {
        {"at+netmode=1\r\n\0at+default=1\r\n"s, "at+netmode=1\r\n"},
        {"\0at+reboot=1\r\n"s, ""},
        {"at+dhcpc=0\r\n\0"s, "at+dhcpc=0\r\n"}};
    for (const auto& [bytes, shown] : cases) {
        WriteFile("user1", bytes);
        session.ShowScript("before");
        session.LoadUserSlot("user1");
        EXPECT_EQ(cmdPane.Text(), shown) << testing::PrintToString(bytes);
    }
}

TEST_F(UserSlotsTest, SaveReplacesAnExistingSlotWhole) {
    WriteFile("user1", std::string(5000, 'o'));
    session.ShowScript("short");
    ASSERT_TRUE(session.SaveUserSlot("user1"));
    EXPECT_EQ(FileText("user1"), "short");
    EXPECT_TRUE(StrayFiles({"user1"}).empty());
}

// Slots hold WiFi keys: a new one is the owner's alone; a replaced one keeps its permissions.
TEST_F(UserSlotsTest, NewSlotIsPrivateAndReplacedSlotKeepsItsMode) {
    auto mode = [&](const std::string& name) {
        struct stat st {};
        EXPECT_EQ(::stat((dir / name).c_str(), &st), 0);
        return st.st_mode & 07777;
    };
    const mode_t oldMask = ::umask(022);
    session.ShowScript("at+wifi_conf=Lab,wpa2_aes,secret\r\n");
    ASSERT_TRUE(session.SaveUserSlot("user0"));
    EXPECT_EQ(mode("user0"), 0600u);
    WriteFile("user1", "old");
    ASSERT_EQ(::chmod((dir / "user1").c_str(), 0640), 0);
    ASSERT_TRUE(session.SaveUserSlot("user1"));
    EXPECT_EQ(mode("user1"), 0640u);
    ::umask(oldMask);
}

TEST_F(UserSlotsTest, MissingSlotLoadsNothingSilentlyAndEmptySlotLoadsEmpty) {
    session.ShowScript("kept");
    EXPECT_FALSE(session.LoadUserSlot("user0"));
    EXPECT_EQ(cmdPane.Text(), "kept");
    EXPECT_EQ(logPane.Text(), "");
    WriteFile("user3", "");
    EXPECT_TRUE(session.LoadUserSlot("user3"));
    EXPECT_EQ(cmdPane.Text(), "");
}

// Root ignores folder permissions, so a root run saves as an unprivileged user meanwhile.
bool SaveAsUnprivilegedUser(Session& session, std::string_view name) {
    if (::geteuid() != 0) return session.SaveUserSlot(name);
    if (::seteuid(65534) != 0) ADD_FAILURE() << "cannot drop privileges";
    const bool saved = session.SaveUserSlot(name);
    if (::seteuid(0) != 0) ADD_FAILURE() << "cannot restore privileges";
    return saved;
}

TEST_F(UserSlotsTest, FailedSaveKeepsTheOldSlotAndSaysWhy) {
    WriteFile("user0", "old contents\r\n");
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                             fs::perms::group_exec | fs::perms::others_read |
                             fs::perms::others_exec);
    session.ShowScript("new contents\r\n");
    EXPECT_FALSE(SaveAsUnprivilegedUser(session, "user0"));
    EXPECT_EQ(FileText("user0"), "old contents\r\n");
    EXPECT_TRUE(StrayFiles({"user0"}).empty());
    const std::string& log = logPane.Text();
    EXPECT_NE(log.find("Could not save user slot"), std::string::npos) << log;
    EXPECT_NE(log.find((dir / "user0").string()), std::string::npos) << log;
    EXPECT_NE(log.find("Permission denied"), std::string::npos) << log;
}

TEST_F(UserSlotsTest, FailedRenameRemovesTheTemporary) {
    fs::create_directory(dir / "user1");  // a folder in the slot's place cannot be replaced
    WriteFile("user1/keep", "x");
    session.ShowScript("text");
    EXPECT_FALSE(session.SaveUserSlot("user1"));
    EXPECT_TRUE(StrayFiles({"user1"}).empty());
    EXPECT_NE(logPane.Text().find("user1"), std::string::npos);
}

TEST_F(UserSlotsTest, SaveWithoutACommandPaneWritesNothing) {
    session.SetPanes(nullptr, &logPane);
    EXPECT_FALSE(session.SaveUserSlot("user0"));
    EXPECT_TRUE(StrayFiles({}).empty());
}

TEST(PresetsTest, FirstPresetByteForByteAndButtons) {
    EXPECT_EQ(FirstPresetScript(),
              "at+netmode=1\r\nat+dhcpc=1\r\nat+remoteip=192.168.11.245\r\n"
              "at+remoteport=8080\r\nat+remotepro=tcp\r\nat+timeout=0\r\nat+mode=server\r\n"
              "at+uart=115200,8,n,1\r\nat+uartpacklen=64\r\nat+uartpacktimeout=10\r\n"
              "at+net_commit=1\r\nat+reconn=1\r\n");
    const int order[] = {ctl::kPresetTcpDhcp, ctl::kPresetTcpStatic, ctl::kPresetWifiDhcp,
                         ctl::kPresetWifiStatic, ctl::kPresetAp};
    for (std::size_t i = 0; i < kPresets.size(); ++i) {
        EXPECT_EQ(kPresets[i].buttonId, order[i]);
        EXPECT_EQ(PresetForButton(order[i]), &kPresets[i]);
    }
    EXPECT_EQ(PresetForButton(ctl::kUser0), nullptr);
}

TEST(PresetsTest, OtherPresetsByteForByte) {
    const std::string tail =
        "at+remoteip=192.168.11.245\r\nat+remoteport=8080\r\nat+remotepro=tcp\r\n"
        "at+timeout=0\r\nat+mode=server\r\nat+uart=115200,8,n,1\r\nat+uartpacklen=64\r\n"
        "at+uartpacktimeout=10\r\nat+net_commit=1\r\nat+reconn=1\r\n";
    const std::string staticIp =
        "at+net_ip=192.168.11.254,255.255.255.0,192.168.11.1\r\n"
        "at+net_dns=192.168.11.1,8.8.8.8\r\n";
    const std::string station = "at+wifi_conf=ZOVRA,wpa2_aes,40721596\r\n";
    EXPECT_EQ(kPresets[1].script, "at+netmode=1\r\nat+dhcpc=0\r\n" + staticIp + tail);
    EXPECT_EQ(kPresets[2].script, "at+netmode=2\r\n" + station + "at+dhcpc=1\r\n" + tail);
    EXPECT_EQ(kPresets[3].script,
              "at+netmode=2\r\n" + station + "at+dhcpc=0\r\n" + staticIp + tail);
    EXPECT_EQ(kPresets[4].script,
              "at+netmode=3\r\nat+wifi_conf=Zovra_,wpa2_aes,5813062947\r\nat+dhcpd=1\r\n"
              "at+dhcpd_ip=192.168.16.100,192.168.16.200,255.255.255.0,192.168.16.254\r\n"
              "at+dhcpd_dns=192.168.16.254,8.8.8.8\r\nat+dhcpd_time=86400\r\n"
              "at+net_ip=192.168.16.254,255.255.255.0,192.168.16.254\r\n"
              "at+net_dns=192.168.16.254,8.8.8.8\r\n" +
                  tail);
    const char* labels[] = {"TCP/DHCP", "TCP/静态IP", "无线DHCP", "无线静态IP", "AP模式"};
    for (std::size_t i = 0; i < kPresets.size(); ++i) EXPECT_STREQ(kPresets[i].label, labels[i]);
}

}  // namespace
