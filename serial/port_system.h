// The seam between CSerial's own rules and the operating system. Each call returns 0 or a
// Windows error code; after a failure TakeErrorText() gives the system's explanation.
#pragma once

#include <cstdint>
#include <string>

#include "serial_port.h"

namespace port_system {

// Opens the device for exclusive use; the port starts in raw mode.
// A failure leaves the system's explanation in `errorText`.
int32_t Open(const char* path, PortDevice** device, std::string* errorText);
void Close(PortDevice* device);
int32_t SetupQueues(PortDevice* device, uint32_t inQueue, uint32_t outQueue);
// Puts the port into the system's default configuration for a data line.
void ApplyDefaultConfig(const char* path, PortDevice* device);

int32_t GetState(PortDevice* device, LineState* line);
int32_t SetState(PortDevice* device, const LineState& line);
int32_t GetTimeouts(PortDevice* device, ReadTimeouts* timeouts);
int32_t SetTimeouts(PortDevice* device, const ReadTimeouts& timeouts);
int32_t SetMask(PortDevice* device, uint32_t mask);
int32_t Purge(PortDevice* device);

// Transfers: `timeoutMs` bounds a transfer that cannot complete at once; running out gives
// kErrorTimeout with the bytes moved so far in `count`.
int32_t Read(PortDevice* device, void* buffer, uint32_t size, uint32_t* count, uint32_t timeoutMs);
int32_t Write(PortDevice* device, const void* data, uint32_t size, uint32_t* count,
              uint32_t timeoutMs);
// Waits for one of the events of the mask last set: EV_RXCHAR (input waiting) or EV_ERR (the
// line hung up or failed).
int32_t WaitEvent(PortDevice* device, uint32_t* seen, uint32_t timeoutMs);

// Any thread: wakes a transfer or wait pending on `device`, and ends it and every later one
// with kErrorOperationAborted.
void Cancel(PortDevice* device);

// The explanation of the device's last failure (empty for a time-out), handed over once so a
// later failure without one cannot show it again.
std::string TakeErrorText(PortDevice* device);

}  // namespace port_system
