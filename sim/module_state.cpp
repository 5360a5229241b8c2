#include "module_state.h"

namespace {

// Factory settings: a wired bridge with DHCP, a TCP server, the data UART at 115200 8N1.
const std::map<std::string, std::string>& FactorySettings() {
    static const std::map<std::string, std::string> kFactory = {
        {"netmode", "1"},
        {"wifi_conf", "QN7-SIM,none,"},
        {"dhcpd", "0"},
        {"dhcpd_ip", "192.168.16.100,192.168.16.200,255.255.255.0,192.168.16.254"},
        {"dhcpd_dns", "192.168.16.254,0.0.0.0"},
        {"dhcpd_time", "86400"},
        {"dhcpc", "1"},
        {"net_ip", "192.168.11.254,255.255.255.0,192.168.11.1"},
        {"net_dns", "192.168.11.1,0.0.0.0"},
        {"remoteip", "192.168.11.245"},
        {"remoteport", "8080"},
        {"remotepro", "tcp"},
        {"timeout", "0"},
        {"mode", "server"},
        {"uart", "115200,8,n,1"},
        {"uartpacklen", "64"},
        {"uartpacktimeout", "10"},
        {"ver", "QN7-SIM 1.6.0"},
        {"CLport", "8080"},
        {"escap", "+++"},
        {"tcp_auto", "1"},
        {"Channel", "6"},
        {"S2N_Stat", "0"},
        {"Get_MAC", "02:51:4e:37:00:01"},
        {"wifi_ConState", "Disconnected"},
        {"COM2", "0"},
    };
    return kFactory;
}

constexpr std::string_view kScanList =
    "SSID,Channel,Security,Signal\r\nZOVRA,6,wpa2_aes,-48\r\nOffice-Guest,11,none,-67\r\n"
    "Workshop,1,wpawpa2_aes,-81";

}  // namespace

void ModuleState::RestoreFactory() {
    settings_ = FactorySettings();
    settings_["net_wanip"] = addressInUse_;
}

void ModuleState::SetAddressInUse(std::string address) {
    addressInUse_ = std::move(address);
    settings_["net_wanip"] = addressInUse_;
}

std::string ModuleState::AnswerCommand(std::string_view key, std::string_view value,
                                       ModuleAnswer* answer) {
    if (key == "wifi_Scan" && value == "?") {
        answer->delayed = true;
        return std::string(kScanList);
    }
    if (key == "default") {
        RestoreFactory();
        return "ok";
    }
    if (key == "reconn") {
        answer->enterTransparent = true;
        return "ok";
    }
    if (key == "reboot" || key == "net_commit") return "ok";
    auto setting = settings_.find(std::string(key));
    if (setting == settings_.end()) return "ERROR";
    if (value == "?") return setting->second;
    if (key == "net_wanip") return "ERROR";
    if (key != ignoredSetting_) setting->second = value;
    return "ok";
}

ModuleAnswer ModuleState::Answer(std::string_view line) {
    ModuleAnswer answer;
    answer.text = line;
    answer.echoSize = line.size();
    std::string result;
    if (line == "at") {
        result = "ok";
    } else if (line.starts_with("at+") && line.find('=') != std::string_view::npos) {
        std::size_t equals = line.find('=');
        result = AnswerCommand(line.substr(3, equals - 3), line.substr(equals + 1), &answer);
    } else {
        // Not a command (the query's spacer line, stray text): echoed and otherwise ignored.
        answer.text += "\r\n";
        return answer;
    }
    answer.text += "\r\r\n" + result + "\r";
    return answer;
}
