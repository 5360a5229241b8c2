// Main dialog, template 102. The radio buttons come first; the tab stops follow in their tab
// order, each label and group box just before the controls it names; the hidden controls last.
#include "control_ids.h"
#include "dialog_template.h"

namespace {

using enum ControlKind;

constexpr uint32_t kTab = kTabStop;
constexpr uint32_t kEditStyle = kTabStop | kBorder | kAutoHScroll;
constexpr uint32_t kPaneStyle = kTabStop | kReadOnly | kMultiLine | kBorder | kScrollBars;
constexpr uint32_t kListStyle = kTabStop | kEditable;
constexpr uint32_t kHiddenListStyle = kHidden | kEditable | kSorted | kAutoHScroll;

constexpr ControlTemplate kControls[] = {
    // Work mode.
    {kStaticId, kGroupBox, "工作模式选择", {239, 20, 208, 37}, 0, "work mode selection"},
    {kStaticId, kGroupBox, "串口转WIFI", {309, 26, 131, 28}, 0, "serial to WiFi"},
    {ctl::kModeEthernet, kRadioButton, "串口以太网", {250, 37, 56, 10}, kGroup, "serial Ethernet"},
    {ctl::kModeStation,
     kRadioButton,
     "无线网卡模式",
     {317, 37, 60, 10},
     0,
     "wireless network card mode"},
    {ctl::kModeAp, kRadioButton, "无线AP模式", {386, 37, 55, 10}, 0, "wireless AP mode"},
    // Socket protocol and role.
    {kStaticId, kGroupBox, "网络协议选择", {239, 59, 77, 137}, 0, "network protocol selection"},
    {ctl::kTcpServer, kRadioButton, "TCP服务器", {249, 70, 53, 10}, kGroup, "TCP server"},
    {ctl::kTcpClient, kRadioButton, "TCP客户端", {249, 81, 47, 10}, 0, "TCP client"},
    {ctl::kUdpServer, kRadioButton, "UDP服务器", {249, 92, 53, 10}, 0, "UDP server"},
    {ctl::kUdpClient, kRadioButton, "UDP客户端", {249, 103, 53, 10}, 0, "UDP client"},
    // Action buttons; the first closes the protocol group and takes the first focus.
    {ctl::kSubmit,
     kPushButton,
     "提交配置",
     {233, 306, 38, 16},
     kGroup | kTab,
     "submit configuration"},
    {ctl::kQuery, kPushButton, "查询配置", {278, 306, 38, 16}, kTab, "query configuration"},
    {ctl::kFactoryReset,
     kPushButton,
     "恢复出厂",
     {413, 306, 38, 16},
     kTab,
     "restore factory settings"},
    {ctl::kSearch, kPushButton, "搜索模块", {319, 7, 45, 13}, kTab, "search for the module"},
    // User slots.
    {kStaticId, kGroupBox, "用户参数保存区", {10, 272, 137, 58}, 0, "user parameter save area"},
    {ctl::kUser0, kPushButton, "User0", {19, 285, 39, 16}, kTab | kNotify},
    {ctl::kUser0 + 1, kPushButton, "User1", {84, 285, 39, 16}, kTab | kNotify},
    {ctl::kUser0 + 2, kPushButton, "User2", {19, 306, 39, 16}, kTab | kNotify},
    {ctl::kUser3, kPushButton, "User3", {84, 306, 39, 16}, kTab | kNotify},
    // Panes.
    {kStaticId, kLabel, "待发送命令", {7, 8, 48, 8}, kCentered, "commands to be sent"},
    {ctl::kCmdPane, kRichEdit, nullptr, {7, 19, 225, 104}, kPaneStyle},
    {kStaticId,
     kLabel,
     "命令执行与回复",
     {7, 131, 57, 8},
     kCentered,
     "command execution and replies"},
    {ctl::kLogPane, kRichEdit, nullptr, {7, 143, 225, 116}, kPaneStyle},
    {ctl::kComPortList, kComboBox, nullptr, {257, 7, 51, 75}, kListStyle},
    {ctl::kSave0, kPushButton, "S", {62, 285, 13, 16}, kTab},
    {ctl::kSave0 + 1, kPushButton, "S", {127, 285, 13, 16}, kTab},
    {ctl::kSave0 + 2, kPushButton, "S", {62, 306, 13, 16}, kTab},
    {ctl::kSave3, kPushButton, "S", {127, 306, 13, 16}, kTab},
    // Addresses.
    {ctl::kDhcp, kCheckBox, "启用DHCP", {244, 201, 50, 10}, kTab, "enable DHCP"},
    {kStaticId, kGroupBox, "网络参数", {244, 212, 154, 85}, 0, "network parameters"},
    {kStaticId, kLabel, "本地IP", {257, 228, 24, 8}, 0, "local IP"},
    {ctl::kLocalIp, kIpAddress, nullptr, {285, 225, 100, 15}, kTab},
    {kStaticId, kLabel, "子网掩码", {249, 244, 33, 8}, 0, "subnet mask"},
    {ctl::kMask, kIpAddress, nullptr, {285, 242, 100, 15}, kTab},
    {kStaticId, kLabel, "网关", {265, 263, 17, 8}, 0, "gateway"},
    {ctl::kGateway, kIpAddress, nullptr, {285, 260, 100, 15}, kTab},
    {kStaticId, kLabel, "DNS", {268, 279, 14, 8}, 0},
    {ctl::kDns, kIpAddress, nullptr, {285, 274, 100, 15}, kTab},
    // WiFi.
    {kStaticId, kGroupBox, "无线参数", {317, 59, 128, 69}, 0, "wireless parameters"},
    {kStaticId, kLabel, "网络名称", {323, 70, 33, 8}, 0, "network name"},
    {ctl::kSsid, kEdit, nullptr, {358, 68, 75, 14}, kEditStyle},
    {kStaticId, kLabel, "加密方式", {324, 90, 33, 8}, 0, "encryption method"},
    {ctl::kEncryption, kComboBox, nullptr, {358, 88, 75, 101}, kListStyle},
    {kStaticId, kLabel, "密钥", {325, 108, 17, 8}, 0, "key"},
    {ctl::kKey, kEdit, nullptr, {358, 105, 75, 14}, kEditStyle},
    // Module UART.
    {kStaticId, kGroupBox, "串口参数", {317, 129, 128, 55}, 0, "serial port parameters"},
    {kStaticId, kLabel, "波特率", {320, 145, 25, 8}, 0, "baud rate"},
    {ctl::kUartBaud, kComboBox, nullptr, {344, 143, 41, 74}, kListStyle},
    {kStaticId, kLabel, "数据位", {388, 145, 25, 8}, 0, "data bits"},
    {ctl::kDataBits, kComboBox, nullptr, {413, 143, 27, 74}, kListStyle},
    {kStaticId, kLabel, "停止位", {387, 164, 25, 8}, 0, "stop bits"},
    {ctl::kStopBits, kComboBox, nullptr, {413, 162, 27, 53}, kListStyle},
    {kStaticId, kLabel, "校验位", {320, 167, 25, 8}, 0, "parity bit"},
    {ctl::kParity, kComboBox, nullptr, {343, 162, 36, 53}, kListStyle},
    // Remote end and local port.
    {kStaticId, kLabel, "远端IP", {246, 117, 24, 8}, 0, "remote IP"},
    {ctl::kRemoteIp, kEdit, nullptr, {251, 127, 59, 12}, kEditStyle},
    {kStaticId, kLabel, "端口", {245, 143, 17, 8}, 0, "port"},
    {ctl::kRemotePort, kEdit, nullptr, {262, 150, 37, 12}, kEditStyle},
    {ctl::kTransparent, kPushButton, "透传模式", {368, 306, 38, 16}, kTab, "transparent mode"},
    {ctl::kWifiScan, kPushButton, "WIFI扫描", {323, 306, 38, 16}, kTab, "WiFi scan"},
    {kStaticId, kLabel, "本地端口", {246, 168, 33, 8}, 0, "local port"},
    {ctl::kLocalPort, kEdit, nullptr, {262, 179, 37, 12}, kEditStyle},
    // Created without the visible style: nothing shows them.
    {ctl::kOk, kDefaultPushButton, "OK", {439, 208, 16, 16}, kHidden | kTab},
    {ctl::kCancel, kPushButton, "Cancel", {425, 247, 30, 16}, kHidden | kTab},
    {ctl::kPresetTcpDhcp, kPushButton, "TCP/DHCP", {406, 197, 49, 16}, kHidden | kTab},
    {ctl::kPresetWifiDhcp,
     kPushButton,
     "无线DHCP",
     {393, 198, 49, 16},
     kHidden | kTab,
     "wireless, DHCP"},
    {ctl::kPresetAp, kPushButton, "AP模式", {399, 194, 49, 16}, kHidden | kTab, "AP mode"},
    {ctl::kPresetTcpStatic,
     kPushButton,
     "TCP/静态IP",
     {397, 191, 49, 16},
     kHidden | kTab,
     "TCP, static IP"},
    {ctl::kPresetWifiStatic,
     kPushButton,
     "无线静态IP",
     {406, 196, 49, 16},
     kHidden | kTab,
     "wireless, static IP"},
    {ctl::kLinkBaudList, kComboBox, nullptr, {439, 233, 16, 84}, kHidden | kDisabled | kListStyle},
    {ctl::kHiddenList1, kComboBox, nullptr, {438, 260, 17, 14}, kHiddenListStyle | kTab},
    {ctl::kHiddenList2, kComboBox, nullptr, {438, 274, 17, 14}, kHiddenListStyle | kTab},
    {ctl::kHiddenRichEdit,
     kRichEdit,
     nullptr,
     {403, 221, 40, 14},
     kHidden | kTab | kBorder | kAutoHScroll},
};

}  // namespace

const DialogTemplate kMainDialogTemplate = {
    102, "ZOV-QN7_CONFIG By Qn7 Tools", 455, 338, "MS Shell Dlg", 8, kControls,
};
