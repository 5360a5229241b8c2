// The rules of CSerial that hold on every system: the closed-port test, the codes the class sets
// itself and the order of the steps. The system calls sit behind port_system.
#include "serial_port.h"

#include <cstring>
#include <string>
#include <utility>

#include "port_system.h"

CSerial::~CSerial() {
    if (m_hPort) CSerial::ClosePort();
}

int32_t CSerial::Succeed() {
    m_lLastError = 0;
    m_sLastErrorText.clear();
    return 0;
}

int32_t CSerial::Fail(int32_t code) {
    m_lLastError = code;
    m_sLastErrorText.clear();
    return code;
}

int32_t CSerial::FailFromSystem(int32_t code) {
    m_lLastError = code;
    m_sLastErrorText = code && m_hPort ? port_system::TakeErrorText(m_hPort) : std::string();
    return code;
}

int32_t CSerial::OpenPort(const char* path, uint32_t inQueue, uint32_t outQueue, bool overlapped) {
    Succeed();
    if (m_hPort) return Fail(kErrorAlreadyInitialized);
    PortDevice* device = nullptr;
    std::string openError;
    if (int32_t code = port_system::Open(path, &device, &openError)) {
        m_lLastError = code;
        m_sLastErrorText = std::move(openError);
        return code;
    }
    {
        std::lock_guard lock(m_portMutex);
        m_hPort = device;
        if (m_bCancelled) port_system::Cancel(device);
    }
    m_bOverlapped = overlapped;
    if (inQueue != 0 || outQueue != 0) {
        if (int32_t code = port_system::SetupQueues(m_hPort, inQueue, outQueue)) {
            std::string text = port_system::TakeErrorText(m_hPort);
            ClosePort();
            m_sLastErrorText = text;
            m_lLastError = code;
            return code;
        }
    }
    SetEventMask(kOpenEventMask);
    SetReadMode(ReadModeNonBlocking);
    // The default configuration is best effort: its outcome must not hide the read mode's.
    port_system::ApplyDefaultConfig(path, m_hPort);
    return m_lLastError;
}

int32_t CSerial::ClosePort() {
    Succeed();
    if (!m_hPort) return 0;
    PortDevice* device = m_hPort;
    {
        std::lock_guard lock(m_portMutex);
        m_hPort = nullptr;
    }
    port_system::Close(device);
    m_bOverlapped = false;
    return 0;
}

bool CSerial::ReadState(LineState* line) {
    if (!m_hPort) return FailClosed(), false;
    if (int32_t code = port_system::GetState(m_hPort, line)) return FailFromSystem(code), false;
    return true;
}

int32_t CSerial::WriteState(const LineState& line) {
    return FailFromSystem(port_system::SetState(m_hPort, line));
}

int32_t CSerial::ConfigureLine(uint32_t baud, int32_t dataBits, int32_t parity, int32_t stopBits) {
    Succeed();
    LineState line;
    if (!ReadState(&line)) return m_lLastError;
    line.BaudRate = baud;
    line.ByteSize = static_cast<uint8_t>(dataBits & 0xFF);
    line.Parity = static_cast<uint8_t>(parity & 0xFF);
    line.StopBits = static_cast<uint8_t>(stopBits & 0xFF);
    line.fParity = parity != 0;
    return WriteState(line);
}

int32_t CSerial::SetEventChar(char eventChar, bool addToMask) {
    Succeed();
    LineState line;
    if (!ReadState(&line)) return m_lLastError;
    line.EvtChar = eventChar;
    if (addToMask) SetEventMask(GetEventMask() | EV_RXFLAG);
    int32_t maskResult = m_lLastError;
    std::string maskText = m_sLastErrorText;
    if (WriteState(line) != 0) return m_lLastError;
    m_lLastError = maskResult;
    m_sLastErrorText = maskText;
    return m_lLastError;
}

int32_t CSerial::SetEventMask(uint32_t mask) {
    Succeed();
    if (!m_hPort) return FailClosed();
    if (int32_t code = port_system::SetMask(m_hPort, mask)) return FailFromSystem(code);
    m_dwEventMask = mask;
    return 0;
}

int32_t CSerial::SetFlowControl(int mode) {
    Succeed();
    LineState line;
    if (!ReadState(&line)) return m_lLastError;
    switch (mode) {
        case FlowControlNone:
        case FlowControlXonXoff:
            line.fOutxCtsFlow = false;
            line.fOutxDsrFlow = false;
            line.fDtrControl = DTR_CONTROL_DISABLE;
            line.fRtsControl = RTS_CONTROL_DISABLE;
            line.fOutX = line.fInX = mode == FlowControlXonXoff;
            break;
        case FlowControlHardware:
            line.fOutxCtsFlow = true;
            line.fOutxDsrFlow = true;
            line.fDtrControl = DTR_CONTROL_HANDSHAKE;
            line.fRtsControl = RTS_CONTROL_HANDSHAKE;
            line.fOutX = line.fInX = false;
            break;
        default:
            return Fail(kErrorInvalidArg);
    }
    return WriteState(line);
}

int32_t CSerial::SetReadMode(int mode) {
    Succeed();
    if (!m_hPort) return FailClosed();
    ReadTimeouts timeouts;
    if (int32_t code = port_system::GetTimeouts(m_hPort, &timeouts)) return FailFromSystem(code);
    switch (mode) {
        case ReadModeNonBlocking:
            timeouts = {kMaxDword, 0, 0};
            break;
        case ReadModeBlocking:
            timeouts = {0, 0, 0};
            break;
        default:
            return Fail(kErrorInvalidArg);
    }
    return FailFromSystem(port_system::SetTimeouts(m_hPort, timeouts));
}

int32_t CSerial::GetBaudRate() {
    Succeed();
    LineState line;
    return ReadState(&line) ? static_cast<int32_t>(line.BaudRate) : -1;
}

int32_t CSerial::GetDataBits() {
    Succeed();
    LineState line;
    return ReadState(&line) ? line.ByteSize : -1;
}

int32_t CSerial::GetParity() {
    Succeed();
    LineState line;
    if (!ReadState(&line)) return -1;
    return line.fParity ? line.Parity : 0;
}

int32_t CSerial::GetStopBits() {
    Succeed();
    LineState line;
    return ReadState(&line) ? line.StopBits : -1;
}

int32_t CSerial::GetFlowControl() {
    Succeed();
    LineState line;
    if (!ReadState(&line)) return -1;
    if (line.fDtrControl == DTR_CONTROL_HANDSHAKE && line.fRtsControl == RTS_CONTROL_HANDSHAKE)
        return FlowControlHardware;
    if (line.fOutX && line.fInX) return FlowControlXonXoff;
    return FlowControlNone;
}

uint32_t CSerial::GetEventMask() {
    Succeed();
    if (!m_hPort) return FailClosed(), 0;
    return m_dwEventMask;
}

char CSerial::GetEventChar() {
    Succeed();
    LineState line;
    return ReadState(&line) ? line.EvtChar : 0;
}

int32_t CSerial::PurgeBuffers() {
    Succeed();
    if (!m_hPort) return FailClosed();
    return FailFromSystem(port_system::Purge(m_hPort));
}

void CSerial::CancelTransfers() {
    std::lock_guard lock(m_portMutex);
    m_bCancelled = true;
    if (m_hPort) port_system::Cancel(m_hPort);
}

int32_t CSerial::WriteString(const char* text, uint32_t* written, SerialOverlapped* overlapped,
                             uint32_t timeoutMs) {
    return WriteData(text, static_cast<uint32_t>(std::strlen(text)), written, overlapped,
                     timeoutMs);
}

int32_t CSerial::WriteData(const void* data, uint32_t size, uint32_t* written,
                           SerialOverlapped* overlapped, uint32_t timeoutMs) {
    return Run(Transfer::kWrite, const_cast<void*>(data), size, written, overlapped, timeoutMs);
}

int32_t CSerial::ReadData(void* buffer, uint32_t size, uint32_t* read, SerialOverlapped* overlapped,
                          uint32_t timeoutMs) {
    return Run(Transfer::kRead, buffer, size, read, overlapped, timeoutMs);
}

int32_t CSerial::WaitForEvent(SerialOverlapped* overlapped, uint32_t timeoutMs) {
    return Run(Transfer::kWaitEvent, nullptr, 0, nullptr, overlapped, timeoutMs);
}

int32_t CSerial::Run(Transfer kind, void* buffer, uint32_t size, uint32_t* count,
                     SerialOverlapped* overlapped, uint32_t timeoutMs) {
    Succeed();
    uint32_t localCount = 0;
    if (!count) count = &localCount;
    *count = 0;
    if (!m_hPort) return FailClosed();
    // A plain port only knows the blocking call without a time limit.
    if (!m_bOverlapped && (overlapped || timeoutMs != kInfinite))
        return Fail(kErrorInvalidFunction);
    // A cancel is sticky: a transfer started after it must not wait for its time-out either.
    if (m_bCancelled) {
        if (overlapped) *overlapped = {true, kErrorOperationAborted, 0};
        return Fail(kErrorOperationAborted);
    }
    int32_t code = 0;
    switch (kind) {
        case Transfer::kRead:
            code = port_system::Read(m_hPort, buffer, size, count, timeoutMs);
            break;
        case Transfer::kWrite:
            code = port_system::Write(m_hPort, buffer, size, count, timeoutMs);
            break;
        case Transfer::kWaitEvent:
            m_dwEventsSeen = 0;
            code = port_system::WaitEvent(m_hPort, &m_dwEventsSeen, timeoutMs);
            break;
    }
    if (overlapped) *overlapped = {true, code, *count};
    return code == kErrorTimeout ? Fail(code) : FailFromSystem(code);
}
