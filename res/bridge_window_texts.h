// The texts of the Bridge window: each label as the main dialog has its labels (Chinese), with
// the English tooltip beside it.
#pragma once

struct LabelText {
    const char* label;
    const char* gloss;  // the tooltip
};

inline constexpr const char* kBridgeWindowTitle = "Bridge";
inline constexpr LabelText kSerialPaneText = {
    "模块串口", "The module's UART: what the PC writes to the serial port and what comes back"};
inline constexpr LabelText kNetworkPaneText = {
    "网络对端", "The network peer: the PC's side of the module's socket"};
inline constexpr LabelText kHexText = {"十六进制", "Show the bytes in hex"};
inline constexpr LabelText kTimestampText = {"时间戳", "Show when each line came"};
inline constexpr LabelText kClearText = {"清除", "Clear the view (the counters go on)"};
inline constexpr LabelText kSendText = {"发送", "Send the line, with the chosen line ending"};
inline constexpr LabelText kLineEndingText = {"行尾", "What is added to the line you send"};
inline constexpr const char* kLineEndingEntries[] = {"无", "CR", "LF", "CR+LF"};
inline constexpr int kLineEndingInitialIndex = 3;  // CR+LF, as the module's commands end
inline constexpr LabelText kCountersText = {
    "字节", "Bytes sent and received on this side, and the rate they come in at"};
inline constexpr LabelText kOpenPortText = {
    "打开串口", "Open the serial port again (after the module was plugged back in)"};
inline constexpr LabelText kClosePortText = {"关闭串口", "Release the serial port"};
inline constexpr LabelText kProtoText = {"协议", "Protocol of the module's socket"};
inline constexpr LabelText kRoleText = {
    "模块角色", "The module's role: the PC connects to a server and listens for a client"};
inline constexpr const char* kRoleEntries[] = {"服务器", "客户端"};  // server, client
inline constexpr LabelText kAddressText = {
    "地址", "The module's address (server), or the PC's address it connects to (client)"};
inline constexpr LabelText kPortText = {"端口", "The socket's port (1 to 65535)"};
inline constexpr LabelText kConnectText = {
    "连接", "Connect to the module, or listen for it, with the address and port shown"};
inline constexpr LabelText kDisconnectText = {"断开", "Close the PC's side of the socket"};
inline constexpr LabelText kCheckText = {
    "检测", "Check the bridge as qn7cfg bridge does: a test pattern both ways, probes, losses"};
inline constexpr LabelText kCommandModeText = {
    "命令模式", "Send the escape (+++) so the module answers commands again"};
inline constexpr LabelText kResultText = {"检测结果", "What the last check or escape found"};
