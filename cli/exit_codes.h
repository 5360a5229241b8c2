// Exit statuses of qn7cfg, from the BSD sysexits convention, so scripts can tell a typo from a
// missing module from a broken cable.
#pragma once

namespace exit_code {

inline constexpr int kOk = 0;
inline constexpr int kDiffers = 1;        // diff, --verify: the module's settings differ
inline constexpr int kDamaged = 1;        // bridge: bytes lost, changed or reordered
inline constexpr int kUsage = 64;         // EX_USAGE: bad command line
inline constexpr int kDataError = 65;     // EX_DATAERR: the script is not fit to send
inline constexpr int kNoInput = 66;       // EX_NOINPUT: script source missing or unreadable
inline constexpr int kNoHost = 68;        // EX_NOHOST: bridge: no route to the module's address
inline constexpr int kUnavailable = 69;   // EX_UNAVAILABLE: no module answered; bridge refused
inline constexpr int kCantCreate = 73;    // EX_CANTCREAT: bridge: the port to listen on is taken
inline constexpr int kIoError = 74;       // EX_IOERR: the serial port failed
inline constexpr int kTempFail = 75;      // EX_TEMPFAIL: bridge: the deadline passed
inline constexpr int kProtocol = 76;      // EX_PROTOCOL: bridge: not (or no longer) transparent
inline constexpr int kNoPermission = 77;  // EX_NOPERM: not allowed to open the port

}  // namespace exit_code
