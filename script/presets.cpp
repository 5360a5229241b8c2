#include "presets.h"

#include "control_ids.h"

// Every preset ends with the same socket, UART and commit lines.
#define QN7_COMMON_TAIL              \
    "at+remoteip=192.168.11.245\r\n" \
    "at+remoteport=8080\r\n"         \
    "at+remotepro=tcp\r\n"           \
    "at+timeout=0\r\n"               \
    "at+mode=server\r\n"             \
    "at+uart=115200,8,n,1\r\n"       \
    "at+uartpacklen=64\r\n"          \
    "at+uartpacktimeout=10\r\n"      \
    "at+net_commit=1\r\n"            \
    "at+reconn=1\r\n"

#define QN7_STATION_WIFI "at+wifi_conf=ZOVRA,wpa2_aes,40721596\r\n"
#define QN7_STATIC_ADDRESS                                    \
    "at+net_ip=192.168.11.254,255.255.255.0,192.168.11.1\r\n" \
    "at+net_dns=192.168.11.1,8.8.8.8\r\n"

const std::array<Preset, 5> kPresets = {{
    {ctl::kPresetTcpDhcp, "TCP/DHCP", "at+netmode=1\r\nat+dhcpc=1\r\n" QN7_COMMON_TAIL},
    {ctl::kPresetTcpStatic, "TCP/静态IP",
     "at+netmode=1\r\nat+dhcpc=0\r\n" QN7_STATIC_ADDRESS QN7_COMMON_TAIL},
    {ctl::kPresetWifiDhcp, "无线DHCP",
     "at+netmode=2\r\n" QN7_STATION_WIFI "at+dhcpc=1\r\n" QN7_COMMON_TAIL},
    {ctl::kPresetWifiStatic, "无线静态IP",
     "at+netmode=2\r\n" QN7_STATION_WIFI "at+dhcpc=0\r\n" QN7_STATIC_ADDRESS QN7_COMMON_TAIL},
    {ctl::kPresetAp, "AP模式",
     "at+netmode=3\r\n"
     "at+wifi_conf=Zovra_,wpa2_aes,5813062947\r\n"
     "at+dhcpd=1\r\n"
     "at+dhcpd_ip=192.168.16.100,192.168.16.200,255.255.255.0,192.168.16.254\r\n"
     "at+dhcpd_dns=192.168.16.254,8.8.8.8\r\n"
     "at+dhcpd_time=86400\r\n"
     "at+net_ip=192.168.16.254,255.255.255.0,192.168.16.254\r\n"
     "at+net_dns=192.168.16.254,8.8.8.8\r\n" QN7_COMMON_TAIL},
}};

const Preset* PresetForButton(int id) {
    for (const Preset& preset : kPresets) {
        if (preset.buttonId == id) return &preset;
    }
    return nullptr;
}

std::string_view FirstPresetScript() {
    return kPresets[0].script;
}
