#include "form_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Entries = std::vector<std::string>;

TEST(FormModelTest, ListsAreFilledWithoutSelection) {
    const FormModel form;
    const std::pair<int, Entries> lists[] = {
        {ctl::kEncryption,
         {"NONE", "WEP_OPEN", "WEP_SHARE", "WPA_TKIP", "WPA_AES", "WPA2_TKIP", "WPA2_AES",
          "WPA/WPA2_TKIP", "WPA/WPA2_AES", "AUTO"}},
        {ctl::kUartBaud,
         {"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200", "230400"}},
        {ctl::kDataBits, {"5", "6", "7", "8"}},
        {ctl::kStopBits, {"1", "2"}},
        {ctl::kParity, {"NONE", "ODD", "EVEN"}}};
    for (const auto& [id, entries] : lists) {
        EXPECT_EQ(form.Entries(id), entries) << id;
        EXPECT_EQ(form.GetSelectedIndex(id), -1) << id;
        EXPECT_EQ(form.GetSelectedText(id), "") << id;
    }
    EXPECT_FALSE(form.Has(ctl::kComPortList));  // the link lists belong to the dialog
    EXPECT_TRUE(form.Entries(ctl::kComPortList).empty());
}

TEST(FormModelTest, SelectByPrefixIgnoresCaseAndWrapsToTheFirstEntry) {
    FormModel form;
    const std::pair<const char*, int> cases[] = {{"wpa2", 5}, {"WPA/", 7},  {"none", 0},
                                                 {"auto", 9}, {"wep_s", 2}, {"", 1}};
    for (const auto& [prefix, index] : cases) {
        form.SelectIndex(ctl::kEncryption, -1);
        form.SelectByPrefix(ctl::kEncryption, prefix);
        EXPECT_EQ(form.GetSelectedIndex(ctl::kEncryption), index) << prefix;
    }
    form.SelectIndex(ctl::kEncryption, 3);
    form.SelectByPrefix(ctl::kEncryption, "wpa3");
    EXPECT_EQ(form.GetSelectedIndex(ctl::kEncryption), 3);
}

TEST(FormModelTest, AddressControlsHoldFourFields) {
    FormModel form;
    const std::pair<const char*, const char*> cases[] = {{"", "0.0.0.0"},
                                                         {"10.1.2.3", "10.1.2.3"},
                                                         {"192.168.1", "192.168.1.0"},
                                                         {"300.1.2.3", "255.1.2.3"},
                                                         {"host", "0.0.0.0"}};
    for (const auto& [text, shown] : cases) {
        form.SetText(ctl::kMask, text);
        EXPECT_EQ(form.GetText(ctl::kMask), shown) << text;
    }
    form.SetText(ctl::kSsid, " 10.1 ");
    EXPECT_EQ(form.GetText(ctl::kSsid), " 10.1 ");  // plain edits keep their text
}

TEST(FormModelTest, UserActionsRaiseTheirNotificationsAndRespectGroups) {
    FormModel form;
    std::vector<std::pair<int, Notify>> raised;
    form.SetNotifyHandler([&raised](int id, Notify code) { raised.push_back({id, code}); });
    form.Click(ctl::kModeAp);
    form.Click(ctl::kTcpClient);
    form.Click(ctl::kModeStation);
    EXPECT_TRUE(form.IsChecked(ctl::kModeStation));
    EXPECT_FALSE(form.IsChecked(ctl::kModeAp));
    EXPECT_TRUE(form.IsChecked(ctl::kTcpClient));  // the other group is untouched
    form.Click(ctl::kDhcp);
    form.Click(ctl::kDhcp);
    EXPECT_FALSE(form.IsChecked(ctl::kDhcp));
    form.Choose(ctl::kParity, 1);
    form.EnterAddress(ctl::kDns, "8.8.8.8");
    form.Enable(ctl::kKey, false);
    form.Click(ctl::kKey);  // not a button: nothing happens
    const std::vector<std::pair<int, Notify>> expected = {
        {ctl::kModeAp, Notify::kClicked},      {ctl::kTcpClient, Notify::kClicked},
        {ctl::kModeStation, Notify::kClicked}, {ctl::kDhcp, Notify::kClicked},
        {ctl::kDhcp, Notify::kClicked},        {ctl::kParity, Notify::kSelChange},
        {ctl::kDns, Notify::kEditChange},      {ctl::kDns, Notify::kFieldChanged}};
    EXPECT_EQ(raised, expected);
}

}  // namespace
