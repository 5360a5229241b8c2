// Control IDs of the main dialog. The form, the composer, the applier and the dialog
// all name controls by these numbers.
#pragma once

namespace ctl {

inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
inline constexpr int kSearch = 1000;         // "搜索模块"
inline constexpr int kPresetTcpDhcp = 1001;  // hidden preset buttons
inline constexpr int kPresetWifiDhcp = 1002;
inline constexpr int kPresetAp = 1003;
inline constexpr int kFactoryReset = 1005;
inline constexpr int kHiddenList1 = 1006;
inline constexpr int kUser0 = 1007;  // User0 … User3: 1007 … 1010
inline constexpr int kUser3 = 1010;
inline constexpr int kSubmit = 1014;
inline constexpr int kQuery = 1015;
inline constexpr int kHiddenList2 = 1016;
inline constexpr int kCmdPane = 1017;
inline constexpr int kLogPane = 1018;
inline constexpr int kComPortList = 1019;
inline constexpr int kLinkBaudList = 1020;
inline constexpr int kSave0 = 1021;  // "S" buttons: 1021 … 1024
inline constexpr int kSave3 = 1024;
inline constexpr int kPresetTcpStatic = 1025;
inline constexpr int kPresetWifiStatic = 1026;
inline constexpr int kTcpServer = 1032;
inline constexpr int kTcpClient = 1036;
inline constexpr int kUdpServer = 1037;
inline constexpr int kUdpClient = 1038;
inline constexpr int kHiddenRichEdit = 1047;
inline constexpr int kDhcp = 1048;
inline constexpr int kLocalIp = 1050;
inline constexpr int kMask = 1051;
inline constexpr int kGateway = 1052;
inline constexpr int kDns = 1053;
inline constexpr int kModeEthernet = 1054;
inline constexpr int kModeStation = 1055;
inline constexpr int kModeAp = 1056;
inline constexpr int kSsid = 1059;
inline constexpr int kKey = 1060;
inline constexpr int kEncryption = 1065;
inline constexpr int kUartBaud = 1067;
inline constexpr int kDataBits = 1068;
inline constexpr int kStopBits = 1069;
inline constexpr int kParity = 1070;
inline constexpr int kRemoteIp = 1071;
inline constexpr int kRemotePort = 1072;
inline constexpr int kTransparent = 1073;
inline constexpr int kWifiScan = 1074;
inline constexpr int kLocalPort = 1075;

}  // namespace ctl

// Notification codes, as the dialog's dispatch table knows them.
enum class Notify : int {
    kClicked = 0,          // BN_CLICKED
    kSelChange = 1,        // CBN_SELCHANGE
    kDoubleClicked = 5,    // BN_DOUBLECLICKED
    kEditChange = 0x0300,  // EN_CHANGE
    kFieldChanged = -860,  // IPN_FIELDCHANGED
};
