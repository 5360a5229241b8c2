// The Windows side of the port seam: the Win32 serial API, with every transfer and wait on an
// overlapped handle so a time-out can bound it. Error codes are GetLastError's own.
// The seam first: <windows.h> defines the DCB and event names it declares as macros of the
// same values.
#include "port_system.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

struct PortDevice {
    HANDLE handle = INVALID_HANDLE_VALUE;
    HANDLE ioEvent = nullptr;        // manual reset; the event of every transfer's OVERLAPPED
    HANDLE cancelEvent = nullptr;    // manual reset; set once, it ends every later wait too
    bool readsReturnAtOnce = false;  // read time-outs MAXDWORD, 0, 0
    std::string errorText;           // the system's explanation of the last failure
};

namespace port_system {
namespace {

constexpr std::string_view kDevicePrefix = R"(\\.\)";

int32_t Fail(std::string& text, DWORD code) {
    text = std::system_category().message(static_cast<int>(code));
    return static_cast<int32_t>(code);
}

int32_t FailLastError(std::string& text) {
    return Fail(text, GetLastError());
}

int32_t Succeed(std::string& text) {
    text.clear();
    return 0;
}

// "COM11" and "\\.\COM11" both name the port; ports from COM10 up open only in the second form.
std::string DevicePath(std::string_view port) {
    if (port.starts_with(kDevicePrefix) || port.find_first_of(R"(\/)") != std::string_view::npos)
        return std::string(port);
    return std::string(kDevicePrefix) + std::string(port);
}

// The default configuration is looked up by the port's own name, without the device prefix.
std::string PortName(std::string_view port) {
    if (port.starts_with(kDevicePrefix)) port.remove_prefix(kDevicePrefix.size());
    return std::string(port);
}

bool ReadDcb(HANDLE handle, DCB* dcb) {
    *dcb = DCB{};
    dcb->DCBlength = sizeof(DCB);
    return GetCommState(handle, dcb) != FALSE;
}

// Runs one overlapped operation to its end, waiting at most `timeoutMs` for it or until the
// port is cancelled. A pending operation writes into this call's OVERLAPPED and the caller's
// buffer, so after a time-out or a cancel it is cancelled and waited for before the call returns.
template <class Issue>
int32_t Complete(PortDevice* device, uint32_t timeoutMs, DWORD* count, Issue issue) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = device->ioEvent;
    *count = 0;
    const bool doneAtOnce = issue(&overlapped);
    if (!doneAtOnce && GetLastError() != ERROR_IO_PENDING) return FailLastError(device->errorText);
    const HANDLE events[2] = {device->ioEvent, device->cancelEvent};
    const DWORD wait =
        doneAtOnce ? WAIT_OBJECT_0 : WaitForMultipleObjects(2, events, FALSE, timeoutMs);
    const DWORD waitError = wait == WAIT_FAILED ? GetLastError() : 0;
    if (wait != WAIT_OBJECT_0) CancelIo(device->handle);
    // An operation that completed just as the wait ran out has done its work: no failure.
    if (GetOverlappedResult(device->handle, &overlapped, count, TRUE))
        return Succeed(device->errorText);
    const DWORD error = GetLastError();
    if (wait == WAIT_OBJECT_0 || error != ERROR_OPERATION_ABORTED)
        return Fail(device->errorText, error);
    if (wait == WAIT_OBJECT_0 + 1) return Fail(device->errorText, ERROR_OPERATION_ABORTED);
    if (waitError) return Fail(device->errorText, waitError);
    device->errorText.clear();
    return kErrorTimeout;
}

}  // namespace

std::string TakeErrorText(PortDevice* device) {
    return std::exchange(device->errorText, {});
}

int32_t Open(const char* path, PortDevice** device, std::string* errorText) {
    const std::string devicePath = DevicePath(path);
    HANDLE handle = CreateFileA(devicePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return FailLastError(*errorText);
    HANDLE ioEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE cancelEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (ioEvent == nullptr || cancelEvent == nullptr) {
        const int32_t code = FailLastError(*errorText);
        for (HANDLE h : {ioEvent, cancelEvent, handle})
            if (h != nullptr) CloseHandle(h);
        return code;
    }
    *device = new PortDevice{handle, ioEvent, cancelEvent, false, {}};
    return Succeed(*errorText);
}

void Cancel(PortDevice* device) {
    SetEvent(device->cancelEvent);
}

void Close(PortDevice* device) {
    CloseHandle(device->cancelEvent);
    CloseHandle(device->ioEvent);
    CloseHandle(device->handle);
    delete device;
}

int32_t SetupQueues(PortDevice* device, uint32_t inQueue, uint32_t outQueue) {
    return SetupComm(device->handle, inQueue, outQueue) ? Succeed(device->errorText)
                                                        : FailLastError(device->errorText);
}

void ApplyDefaultConfig(const char* path, PortDevice* device) {
    COMMCONFIG config{};
    config.dwSize = sizeof(COMMCONFIG);
    DWORD size = sizeof(COMMCONFIG);
    if (GetDefaultCommConfigA(PortName(path).c_str(), &config, &size))
        (void)SetCommConfig(device->handle, &config, size);
}

int32_t GetState(PortDevice* device, LineState* line) {
    DCB dcb;
    if (!ReadDcb(device->handle, &dcb)) return FailLastError(device->errorText);
    line->BaudRate = dcb.BaudRate;
    line->ByteSize = dcb.ByteSize;
    line->Parity = dcb.Parity;
    line->StopBits = dcb.StopBits;
    line->fParity = dcb.fParity;
    line->fOutxCtsFlow = dcb.fOutxCtsFlow;
    line->fOutxDsrFlow = dcb.fOutxDsrFlow;
    line->fDtrControl = static_cast<uint8_t>(dcb.fDtrControl);
    line->fOutX = dcb.fOutX;
    line->fInX = dcb.fInX;
    line->fRtsControl = static_cast<uint8_t>(dcb.fRtsControl);
    line->XonChar = dcb.XonChar;
    line->XoffChar = dcb.XoffChar;
    line->EvtChar = dcb.EvtChar;
    return Succeed(device->errorText);
}

int32_t SetState(PortDevice* device, const LineState& line) {
    // Fields the line state does not carry keep the driver's values.
    DCB dcb;
    if (!ReadDcb(device->handle, &dcb)) return FailLastError(device->errorText);
    dcb.BaudRate = line.BaudRate;
    dcb.ByteSize = line.ByteSize;
    dcb.Parity = line.Parity;
    dcb.StopBits = line.StopBits;
    dcb.fParity = line.fParity;
    dcb.fOutxCtsFlow = line.fOutxCtsFlow;
    dcb.fOutxDsrFlow = line.fOutxDsrFlow;
    dcb.fDtrControl = line.fDtrControl;
    dcb.fOutX = line.fOutX;
    dcb.fInX = line.fInX;
    dcb.fRtsControl = line.fRtsControl;
    dcb.XonChar = line.XonChar;
    dcb.XoffChar = line.XoffChar;
    dcb.EvtChar = line.EvtChar;
    return SetCommState(device->handle, &dcb) ? Succeed(device->errorText)
                                              : FailLastError(device->errorText);
}

int32_t GetTimeouts(PortDevice* device, ReadTimeouts* timeouts) {
    COMMTIMEOUTS driver{};
    if (!GetCommTimeouts(device->handle, &driver)) return FailLastError(device->errorText);
    *timeouts = {driver.ReadIntervalTimeout, driver.ReadTotalTimeoutMultiplier,
                 driver.ReadTotalTimeoutConstant};
    return Succeed(device->errorText);
}

int32_t SetTimeouts(PortDevice* device, const ReadTimeouts& timeouts) {
    // The write time-outs keep the driver's values.
    COMMTIMEOUTS driver{};
    if (!GetCommTimeouts(device->handle, &driver)) return FailLastError(device->errorText);
    driver.ReadIntervalTimeout = timeouts.ReadIntervalTimeout;
    driver.ReadTotalTimeoutMultiplier = timeouts.ReadTotalTimeoutMultiplier;
    driver.ReadTotalTimeoutConstant = timeouts.ReadTotalTimeoutConstant;
    if (!SetCommTimeouts(device->handle, &driver)) return FailLastError(device->errorText);
    device->readsReturnAtOnce = timeouts.ReadIntervalTimeout == MAXDWORD &&
                                timeouts.ReadTotalTimeoutMultiplier == 0 &&
                                timeouts.ReadTotalTimeoutConstant == 0;
    return Succeed(device->errorText);
}

int32_t SetMask(PortDevice* device, uint32_t mask) {
    return SetCommMask(device->handle, mask) ? Succeed(device->errorText)
                                             : FailLastError(device->errorText);
}

int32_t Purge(PortDevice* device) {
    return PurgeComm(device->handle, PURGE_TXCLEAR | PURGE_RXCLEAR)
               ? Succeed(device->errorText)
               : FailLastError(device->errorText);
}

// With the read time-outs that ask for "what has arrived", Windows completes a read at once,
// but wine leaves it pending until a byte comes. Asking only for what the driver holds
// completes at once on both.
namespace {
int32_t QueuedBytes(PortDevice* device, uint32_t* queued) {
    COMSTAT status{};
    DWORD errors = 0;
    if (!ClearCommError(device->handle, &errors, &status)) return FailLastError(device->errorText);
    *queued = status.cbInQue;
    return Succeed(device->errorText);
}
}  // namespace

int32_t Read(PortDevice* device, void* buffer, uint32_t size, uint32_t* count, uint32_t timeoutMs) {
    *count = 0;
    if (device->readsReturnAtOnce) {
        uint32_t queued = 0;
        if (int32_t code = QueuedBytes(device, &queued)) return code;
        if (queued == 0) return Succeed(device->errorText);
        size = std::min(size, queued);
    }
    DWORD done = 0;
    const int32_t code = Complete(device, timeoutMs, &done, [&](OVERLAPPED* overlapped) {
        return ReadFile(device->handle, buffer, size, nullptr, overlapped);
    });
    *count = done;
    return code;
}

int32_t Write(PortDevice* device, const void* data, uint32_t size, uint32_t* count,
              uint32_t timeoutMs) {
    DWORD done = 0;
    const int32_t code = Complete(device, timeoutMs, &done, [&](OVERLAPPED* overlapped) {
        return WriteFile(device->handle, data, size, nullptr, overlapped);
    });
    *count = done;
    return code;
}

int32_t WaitEvent(PortDevice* device, uint32_t* seen, uint32_t timeoutMs) {
    DWORD events = 0;
    DWORD unused = 0;
    const int32_t code = Complete(device, timeoutMs, &unused, [&](OVERLAPPED* overlapped) {
        return WaitCommEvent(device->handle, &events, overlapped);
    });
    *seen = events;
    return code;
}

}  // namespace port_system

unsigned ReserveStandardDescriptors() {
    // Ports are handles here, never C runtime descriptors.
    return 0;
}
