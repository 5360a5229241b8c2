// CSerial: one serial port, opened by device path, reporting every outcome as a Windows error
// code (0 for success) on every platform, so that the codes the user sees never depend on the
// system the tool runs on. The operating system is reached only through port_system.h.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

struct PortDevice;

// The line state of a port, field for field as a Windows DCB carries it.
struct LineState {
    uint32_t BaudRate = 0;
    uint8_t ByteSize = 8;
    uint8_t Parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
    uint8_t StopBits = 0;  // 0 one, 1 one and a half, 2 two
    bool fParity = false;  // parity checking on input
    bool fOutxCtsFlow = false;
    bool fOutxDsrFlow = false;
    uint8_t fDtrControl = 0;  // 0 disable, 1 enable, 2 handshake
    bool fOutX = false;
    bool fInX = false;
    uint8_t fRtsControl = 0;  // 0 disable, 1 enable, 2 handshake
    char XonChar = 0x11;
    char XoffChar = 0x13;
    char EvtChar = 0;
};

// Read time-outs, as a Windows COMMTIMEOUTS carries them.
struct ReadTimeouts {
    uint32_t ReadIntervalTimeout = 0;
    uint32_t ReadTotalTimeoutMultiplier = 0;
    uint32_t ReadTotalTimeoutConstant = 0;
};

// A caller's record for a transfer or wait it wants to complete itself. Here such an operation
// completes before the call returns (bounded by the call's time-out), so the record is always
// done on return and carries the outcome and the byte count.
struct SerialOverlapped {
    bool done = false;
    int32_t result = 0;
    uint32_t count = 0;
};

inline constexpr uint32_t kInfinite = 0xFFFFFFFF;
inline constexpr uint32_t kMaxDword = 0xFFFFFFFF;

inline constexpr int32_t kErrorInvalidFunction = 1;
inline constexpr int32_t kErrorFileNotFound = 2;
inline constexpr int32_t kErrorAccessDenied = 5;
inline constexpr int32_t kErrorInvalidHandle = 6;
inline constexpr int32_t kErrorBadUnit = 20;
inline constexpr int32_t kErrorSharingViolation = 32;
inline constexpr int32_t kErrorNotSupported = 50;
inline constexpr int32_t kErrorInvalidParameter = 87;
inline constexpr int32_t kErrorOperationAborted = 995;
inline constexpr int32_t kErrorDeviceNotConnected = 1167;
inline constexpr int32_t kErrorAlreadyInitialized = 1247;
inline constexpr int32_t kErrorTimeout = 1460;
inline constexpr int32_t kErrorInvalidArg = static_cast<int32_t>(0x80070057);

inline constexpr uint32_t EV_RXCHAR = 0x0001;
inline constexpr uint32_t EV_RXFLAG = 0x0002;
inline constexpr uint32_t EV_TXEMPTY = 0x0004;
inline constexpr uint32_t EV_BREAK = 0x0040;
inline constexpr uint32_t EV_ERR = 0x0080;

inline constexpr uint8_t NOPARITY = 0;
inline constexpr uint8_t ONESTOPBIT = 0;
inline constexpr uint8_t DTR_CONTROL_DISABLE = 0;
inline constexpr uint8_t DTR_CONTROL_HANDSHAKE = 2;
inline constexpr uint8_t RTS_CONTROL_DISABLE = 0;
inline constexpr uint8_t RTS_CONTROL_HANDSHAKE = 2;

class CSerial {
  public:
    enum EFlowControl { FlowControlNone = 0, FlowControlHardware = 1, FlowControlXonXoff = 2 };
    enum EReadMode { ReadModeNonBlocking = 0, ReadModeBlocking = 1 };
    static constexpr uint32_t kOpenEventMask = EV_RXCHAR | EV_BREAK | EV_ERR;

    CSerial() = default;
    virtual ~CSerial();
    CSerial(const CSerial&) = delete;
    CSerial& operator=(const CSerial&) = delete;

    virtual int32_t OpenPort(const char* path, uint32_t inQueue, uint32_t outQueue,
                             bool overlapped);
    virtual int32_t ClosePort();
    virtual int32_t ConfigureLine(uint32_t baud, int32_t dataBits, int32_t parity,
                                  int32_t stopBits);
    virtual int32_t SetEventChar(char eventChar, bool addToMask);
    virtual int32_t SetEventMask(uint32_t mask);
    virtual int32_t WaitForEvent(SerialOverlapped* overlapped, uint32_t timeoutMs);
    virtual int32_t SetFlowControl(int mode);
    virtual int32_t SetReadMode(int mode);
    virtual int32_t GetBaudRate();
    virtual int32_t GetDataBits();
    virtual int32_t GetParity();
    virtual int32_t GetStopBits();
    virtual int32_t GetFlowControl();
    virtual uint32_t GetEventMask();
    virtual char GetEventChar();
    virtual int32_t WriteString(const char* text, uint32_t* written, SerialOverlapped* overlapped,
                                uint32_t timeoutMs);
    virtual int32_t WriteData(const void* data, uint32_t size, uint32_t* written,
                              SerialOverlapped* overlapped, uint32_t timeoutMs);
    virtual int32_t ReadData(void* buffer, uint32_t size, uint32_t* read,
                             SerialOverlapped* overlapped, uint32_t timeoutMs);

    int32_t PurgeBuffers();
    // Any thread: ends a transfer or wait pending on this object at once, and every later one,
    // with ERROR_OPERATION_ABORTED; the port stays open until it is closed as usual.
    void CancelTransfers();
    int32_t LastError() const { return m_lLastError; }
    // The system's own explanation of the latest failure (empty after success).
    const std::string& LastErrorText() const { return m_sLastErrorText; }
    // The event bits of the latest WaitForEvent.
    uint32_t EventsSeen() const { return m_dwEventsSeen; }

  private:
    enum class Transfer { kRead, kWrite, kWaitEvent };
    int32_t Succeed();
    int32_t Fail(int32_t code);
    int32_t FailClosed() { return Fail(kErrorInvalidHandle); }
    int32_t FailFromSystem(int32_t code);
    bool ReadState(LineState* line);
    int32_t WriteState(const LineState& line);
    int32_t Run(Transfer kind, void* buffer, uint32_t size, uint32_t* count,
                SerialOverlapped* overlapped, uint32_t timeoutMs);

    int32_t m_lLastError = 0;
    PortDevice* m_hPort = nullptr;
    uint32_t m_dwEventsSeen = 0;
    uint32_t m_dwEventMask = 0;
    bool m_bOverlapped = false;  // stands in for the I/O event of an overlapped port
    std::string m_sLastErrorText;
    // Guards m_hPort against CancelTransfers from another thread; the owning thread alone
    // changes it, so its own reads need no lock.
    std::mutex m_portMutex;
    std::atomic<bool> m_bCancelled{false};
};

// Holds each standard descriptor (0, 1, 2) that is closed with /dev/null, so that no port
// opened later lands on one: there it would be taken for the program's own terminal, and what
// the program prints would go down the serial line. A program calls it first thing, while it
// runs one thread. Returns the descriptors that were closed, as bits (1 << fd); 0 on systems
// whose ports are not descriptors.
unsigned ReserveStandardDescriptors();
