#include "exchange_feedback.h"

#include <gtest/gtest.h>

// The texts the log pane and the status line show for outcomes the module itself leaves silent.
TEST(ExchangeFeedback, SilentOutcomesNameThePortAndWhatIsLeftAsItWas) {
    EXPECT_EQ(NoReplyLogText(ExchangeKind::kSearch, "/dev/ttyUSB0", 57600),
              "(:no module answered on /dev/ttyUSB0 at any of the 9 rates\r\n");
    EXPECT_EQ(NoReplyLogText(ExchangeKind::kQuery, "", 9600),
              "(:no reply to the query on (no port) at 9600 baud; the form and the command pane "
              "are left as they were\r\n");
    EXPECT_EQ(NoReplyLogText(ExchangeKind::kWifiScan, "/dev/ttyACM0", 1200),
              "(:no reply to WiFi scan on /dev/ttyACM0 at 1200 baud\r\n");
    EXPECT_EQ(StoppedLogText(ExchangeKind::kFactoryReset, "/dev/ttyUSB1"),
              "(:Factory reset stopped; /dev/ttyUSB1 is released\r\n");
}

TEST(ExchangeFeedback, StatusLineTellsSearchFromTheOtherExchanges) {
    EXPECT_EQ(StatusText("", 115200), "Port (no port) at 115200 baud");
    EXPECT_EQ(StatusText("/dev/ttyUSB0", 57600, ExchangeKind::kSearch, ExchangeOutcome::kReplied),
              "Port /dev/ttyUSB0 at 57600 baud \u00b7 Search: found the module");
    EXPECT_EQ(StatusText("/dev/ttyUSB0", 57600, ExchangeKind::kSubmit, ExchangeOutcome::kNoReply),
              "Port /dev/ttyUSB0 at 57600 baud \u00b7 Submit: no reply");
    EXPECT_EQ(StatusText("/dev/ttyUSB0", 57600, ExchangeKind::kQuery, std::nullopt),
              "Port /dev/ttyUSB0 at 57600 baud \u00b7 Query: running");
}

struct ErrorTextCase {
    int32_t code;
    const char* mentions;
};

class ExchangeErrorText : public ::testing::TestWithParam<ErrorTextCase> {};

TEST_P(ExchangeErrorText, NamesTheCodeAndHelps) {
    auto [code, mentions] = GetParam();
    std::string text = SerialErrorText({code, "Unable to open COM-port", "No such device"});
    EXPECT_TRUE(
        text.starts_with("Unable to open COM-port\n(error code " + std::to_string(code) + ")\n"))
        << text;
    EXPECT_NE(text.find(mentions), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(Codes, ExchangeErrorText,
                         ::testing::Values(ErrorTextCase{5, "usermod -aG dialout $USER"},
                                           ErrorTextCase{32, "Another program holds the port"},
                                           ErrorTextCase{1167, "disconnected"},
                                           ErrorTextCase{2, "No such device"}));

TEST(ExchangeErrorText, TheExplanationStandsAloneWhereNoHintHelps) {
    EXPECT_EQ(SerialErrorText({1460, "Unable to read data", "Timer expired"}),
              "Unable to read data\n(error code 1460)\nTimer expired");
}
