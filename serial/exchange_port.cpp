#include "exchange_port.h"

#include <algorithm>
#include <string>

#include "at_line.h"
#include "win_error.h"

uint32_t WriteTimeLimitMs(std::size_t bytes, uint32_t baud) {
    const uint64_t lineMs = baud ? (uint64_t{bytes} * 10 * 1000 + baud - 1) / baud : 0;
    return static_cast<uint32_t>(std::min<uint64_t>(2 * lineMs + 1000, kInfinite - 1));
}

bool ExchangePort::Check(int32_t result, std::string_view message) {
    if (result == 0) return true;
    // A transfer the stop cut short is no failure of the port.
    if (context_.stop.Stopped()) return false;
    const int32_t code = serial_.LastError();
    const std::string& text = serial_.LastErrorText();
    failure_ =
        SerialFailure{code, std::string(message), text.empty() ? WinErrorDescription(code) : text};
    return false;
}

ExchangeResult ExchangePort::Ended() const {
    ExchangeResult result;
    if (context_.stop.Stopped()) {
        result.outcome = ExchangeOutcome::kStopped;
    } else if (failure_) {
        result.outcome = ExchangeOutcome::kSerialError;
        result.failure = *failure_;
    }
    return result;
}

bool ExchangePort::Open() {
    const std::string& path = context_.link.port;
    return Check(serial_.OpenPort(path.c_str(), 0, 0, true), "Unable to open COM-port") &&
           Check(serial_.SetFlowControl(CSerial::FlowControlNone),
                 "Unable to set COM-port handshaking");
}

bool ExchangePort::Configure(uint32_t baud) {
    if (!Check(serial_.ConfigureLine(baud, 8, NOPARITY, ONESTOPBIT),
               "Unable to set COM-port setting"))
        return false;
    baud_ = baud;
    serial_.PurgeBuffers();
    return true;
}

int32_t ExchangePort::Send(std::string_view text) {
    const std::string sent(UpToNul(text));
    const uint32_t limitMs = WriteTimeLimitMs(sent.size(), baud_);
    return serial_.WriteString(sent.c_str(), nullptr, nullptr, limitMs);
}

bool ExchangePort::Write(std::string_view text) {
    return Check(Send(text), "Unable to send data");
}

bool ExchangePort::WriteBytes(std::string_view bytes) {
    const uint32_t limitMs = WriteTimeLimitMs(bytes.size(), baud_);
    return Check(serial_.WriteData(bytes.data(), static_cast<uint32_t>(bytes.size()), nullptr,
                                   nullptr, limitMs),
                 "Unable to send data");
}

void ExchangePort::WriteUnchecked(std::string_view text) {
    Send(text);
}

bool ExchangePort::Read(char* buffer, uint32_t limit, uint32_t timeoutMs, uint32_t* length) {
    uint32_t count = 0;
    bool ok = Check(serial_.ReadData(buffer + *length, limit, &count, nullptr, timeoutMs),
                    "Unable to read data");
    *length += count;
    return ok;
}

bool ExchangePort::AwaitInput(uint32_t timeoutMs) {
    const int32_t result = serial_.WaitForEvent(nullptr, timeoutMs);
    if (result == kErrorTimeout) return true;
    return result == 0 && (serial_.EventsSeen() & EV_RXCHAR) != 0;
}

ExchangeResult TakeReply(const ExchangeContext& context, std::string_view reply) {
    ExchangeResult result;
    result.reply = UpToNul(reply);
    context.log.Log(">:" + result.reply + "\r\n");
    if (context.stop.Stopped()) {
        result.outcome = ExchangeOutcome::kStopped;
    } else if (result.reply.find("at") != std::string::npos) {
        result.outcome = ExchangeOutcome::kReplied;
    }
    return result;
}
