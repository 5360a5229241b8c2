#include "at_text.h"

#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <string>

namespace {

struct ValueCase {
    const char* name;
    std::string text;
    const char* key;
    std::string expected;
};

void PrintTo(const ValueCase& c, std::ostream* os) {
    *os << c.name;
}

class GetAtValueTest : public testing::TestWithParam<ValueCase> {};

TEST_P(GetAtValueTest, FindsTheValueOfTheKey) {
    EXPECT_EQ(GetAtValue(GetParam().text, GetParam().key), GetParam().expected);
}

const std::string kLongValue(300, 'x');

INSTANTIATE_TEST_SUITE_P(
    Lookups, GetAtValueTest,
    testing::Values(
        ValueCase{"DhcpdSkipsDhcpdIp", "at+dhcpd_ip=1,2,3,4\r\nat+dhcpd=1\r\n", "dhcpd", "1"},
        ValueCase{"DhcpdIpItself", "at+dhcpd=1\r\nat+dhcpd_ip=1,2,3,4\r\n", "dhcpd_ip", "1,2,3,4"},
        ValueCase{"ModeSkipsNetmode", "at+netmode=2\r\nat+mode=client\r\n", "mode", "client"},
        ValueCase{"ModeAbsentButNetmodePresent", "at+netmode=2\r\n", "mode", ""},
        ValueCase{"UartSkipsUartpacklen", "at+uartpacklen=64\r\nat+uart=9600,8,n,1\r\n", "uart",
                  "9600,8,n,1"},
        ValueCase{"FirstOccurrenceWins", "at+dhcpc=0\r\nat+dhcpc=1\r\n", "dhcpc", "0"},
        ValueCase{"NoCrAfterLastLine", "at+netmode=1\r\nat+dhcpc=1", "dhcpc", ""},
        ValueCase{"EmptyValue", "at+CLport=\r\nat+timeout=0\r\n", "CLport", ""},
        ValueCase{"KeysAreCaseSensitive", "at+clport=5\r\n", "CLport", ""},
        ValueCase{"CleanedQueryReply", "at+ver=V1.0.4\rat+netmode=2\r", "netmode", "2"},
        ValueCase{"ValueRunsToTheCr", "at+remoteip=a b\tc\r\n", "remoteip", "a b\tc"},
        ValueCase{"LongValueComesWhole", "at+wifi_conf=" + kLongValue + "\r\n", "wifi_conf",
                  kLongValue},
        ValueCase{"EmptyText", "", "netmode", ""}),
    [](const testing::TestParamInfo<ValueCase>& info) { return std::string(info.param.name); });

TEST(IsAtValueTest, ComparesExactlyAndCaseSensitively) {
    const std::string script = "at+remotepro=tcp\r\nat+dhcpc= 1\r\n";
    EXPECT_TRUE(IsAtValue(script, "remotepro", "tcp"));
    EXPECT_FALSE(IsAtValue(script, "remotepro", "TCP"));
    EXPECT_FALSE(IsAtValue(script, "remotepro", "tc"));
    EXPECT_FALSE(IsAtValue(script, "dhcpc", "1"));
    EXPECT_TRUE(IsAtValue(script, "netmode", ""));  // absent reads as empty
}

struct FieldCase {
    const char* name;
    std::string text;
    const char* delimiter;
    int index;
    std::string expected;
};

void PrintTo(const FieldCase& c, std::ostream* os) {
    *os << c.name;
}

class GetAtFieldTest : public testing::TestWithParam<FieldCase> {};

TEST_P(GetAtFieldTest, SplitsTheText) {
    const FieldCase& c = GetParam();
    EXPECT_EQ(GetAtField(c.text, c.delimiter, c.index), c.expected);
}

const std::string kLongField(200, 'k');

INSTANTIATE_TEST_SUITE_P(
    Splits, GetAtFieldTest,
    testing::Values(FieldCase{"Address1", "192.168.11.254,255.255.255.0,192.168.11.1", ",", 1,
                              "255.255.255.0"},
                    FieldCase{"LastFieldToEnd", "115200,8,n,1", ",", 3, "1"},
                    FieldCase{"SingleField", "abc", ",", 0, "abc"},
                    FieldCase{"MissingField", "abc", ",", 1, ""},
                    FieldCase{"EmptyMiddleField", "ssid,,key", ",", 1, ""},
                    FieldCase{"DelimiterBeatsEarlierCr", "a,b\r\nc,d", ",", 1, "b\r\nc"},
                    FieldCase{"CrEndsFieldWithoutDelimiter", "a,b\r\nc", ",", 1, "b"},
                    FieldCase{"CrEndsFieldZero", "abc\r\n", ",", 0, "abc"},
                    FieldCase{"DotDelimiter", "10.0.0.1", ".", 3, "1"},
                    FieldCase{"MultiCharDelimiter", "a::b::c", "::", 2, "c"},
                    FieldCase{"EmptyDelimiter", "a,b", "", 0, ""},
                    FieldCase{"LongLastFieldWhole", "x," + kLongField, ",", 1, kLongField},
                    FieldCase{"LongInnerFieldWhole", kLongField + ",y", ",", 0, kLongField}),
    [](const testing::TestParamInfo<FieldCase>& info) { return std::string(info.param.name); });

struct AddressCase {
    const char* text;
    uint32_t value;
};

void PrintTo(const AddressCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

// One reading of a field for the module's parser (wrapping) and the address control (0..255).
TEST(AddressFieldTest, OneReadingWrapsForTheAddressAndClampsForTheControl) {
    struct Case {
        const char* field;
        uint32_t wrapped;
        int clamped;
    };
    const Case cases[] = {{"192", 192, 192},      {" +7x", 7, 7},     {"-1", 0xFFFFFFFFu, 0},
                          {"256", 256, 255},      {"", 0, 0},         {"abc", 0, 0},
                          {"4294967297", 1, 255}, {"0255", 255, 255}, {"- 5", 0, 0}};
    for (const Case& c : cases) {
        const AddressFieldNumber number = ParseAddressField(c.field);
        EXPECT_EQ(number.Wrapped(), c.wrapped) << c.field;
        EXPECT_EQ(number.Clamped(), c.clamped) << c.field;
    }
}

class ParseIPv4Test : public testing::TestWithParam<AddressCase> {};

TEST_P(ParseIPv4Test, ParsesDottedText) {
    EXPECT_EQ(ParseIPv4(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Addresses, ParseIPv4Test,
                         testing::Values(AddressCase{"10.0.0.1", (10u << 24) + 1},
                                         AddressCase{"", 0},
                                         AddressCase{"192.168.11.1", 0xC0A80B01u},
                                         AddressCase{"255.255.255.0", 0xFFFFFF00u},
                                         AddressCase{"1.2", 0x01020000u}, AddressCase{"a.b.c.d", 0},
                                         AddressCase{"7.8.9.10\r\n", 0x0708090Au}));

TEST(FormatIPv4Test, RoundTripsThroughParse) {
    EXPECT_EQ(FormatIPv4((192u << 24) + (168u << 16) + (11u << 8) + 1u), "192.168.11.1");
    for (const char* text : {"0.0.0.0", "255.255.255.255", "10.1.200.3", "192.168.16.254"}) {
        EXPECT_EQ(FormatIPv4(ParseIPv4(text)), text);
    }
    for (uint32_t value : {0u, 1u, 0x7F000001u, 0xFFFFFFFFu, 0xC0A81001u}) {
        EXPECT_EQ(ParseIPv4(FormatIPv4(value)), value);
    }
}

struct AddressFieldsCase {
    const char* name;
    std::string text;
    std::array<std::string, 4> fields;
};

void PrintTo(const AddressFieldsCase& c, std::ostream* os) {
    *os << c.name;
}

class AddressFieldsTest : public testing::TestWithParam<AddressFieldsCase> {};

TEST_P(AddressFieldsTest, TakesLeadingDigitsClampedPerField) {
    EXPECT_EQ(AddressFields(GetParam().text), GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, AddressFieldsTest,
    testing::Values(AddressFieldsCase{"Plain", "192.168.11.254", {"192", "168", "11", "254"}},
                    AddressFieldsCase{"Blank", "", {"", "", "", ""}},
                    AddressFieldsCase{"LettersAfterDigits", "1x.22y.3.4z", {"1", "22", "3", "4"}},
                    AddressFieldsCase{"NoDigits", "a.b.c.d", {"0", "0", "0", "0"}},
                    AddressFieldsCase{"Short", "10.1", {"10", "1", "0", "0"}},
                    AddressFieldsCase{"EmptyFields", "1..3.", {"1", "0", "3", "0"}},
                    AddressFieldsCase{"Extra", "1.2.3.4.5", {"1", "2", "3", "4"}},
                    AddressFieldsCase{"BlanksAndSigns", " 7.+8.-9. 10 ", {"7", "8", "0", "10"}},
                    AddressFieldsCase{"TooLarge",
                                      "256.300.99999999999999999999.255",
                                      {"255", "255", "255", "255"}},
                    AddressFieldsCase{"LineEnd", "7.8.9.10\r\n", {"7", "8", "9", "10"}},
                    AddressFieldsCase{"LeadingZeros", "010.001.000.0", {"10", "1", "0", "0"}}),
    [](const testing::TestParamInfo<AddressFieldsCase>& info) {
        return std::string(info.param.name);
    });

TEST(DhcpHostPartTest, InvertsTheMaskAndStopsBelowBroadcast) {
    const std::pair<const char*, const char*> cases[] = {
        {"255.255.255.0", "0.0.0.254"},   {"255.255.0.0", "0.0.254.254"},
        {"255.255.255.128", "0.0.0.127"}, {"255.255.255.255", "0.0.0.0"},
        {"0.0.0.0", "254.254.254.254"},   {"255.255.240.0", "0.0.15.254"}};
    for (const auto& [mask, host] : cases) {
        EXPECT_EQ(FormatIPv4(DhcpHostPart(ParseIPv4(mask))), host) << mask;
    }
}

TEST(EncryptionTokenTest, IndexOfEveryTokenAndUnknownOnes) {
    for (std::size_t i = 0; i < kEncryptionTokens.size(); ++i) {
        EXPECT_EQ(EncryptionIndexOfToken(kEncryptionTokens[i]), static_cast<int>(i));
    }
    EXPECT_EQ(EncryptionIndexOfToken("wep"), 2);  // listed as WEP_SHARE
    EXPECT_EQ(EncryptionIndexOfToken("WPA2_AES"), -1);
    EXPECT_EQ(EncryptionIndexOfToken("wep_share"), -1);
    EXPECT_EQ(EncryptionIndexOfToken(""), -1);
}

}  // namespace
