// The Windows port list: the COM ports present, from the ports device class (SetupAPI) and the
// registry's HARDWARE\DEVICEMAP\SERIALCOMM, which also lists ports whose driver has no device of
// that class (wine's, some virtual ports).
#include <windows.h>

#include <setupapi.h>

#include <string>
#include <string_view>

#include "port_list.h"
#include "text_win32.h"

namespace {

// GUID_DEVCLASS_PORTS, the "Ports (COM & LPT)" class.
constexpr GUID kPortsClass = {
    0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

// A REG_SZ value's text; registry strings need not end in a NUL.
std::wstring StringValue(HKEY key, const wchar_t* name) {
    DWORD type = 0;
    wchar_t text[256] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return {};
    }
    return std::wstring(text, size / sizeof(wchar_t)).c_str();
}

std::wstring FriendlyName(HDEVINFO devices, SP_DEVINFO_DATA* device) {
    wchar_t name[256] = {};
    for (DWORD property : {SPDRP_FRIENDLYNAME, SPDRP_DEVICEDESC}) {
        if (SetupDiGetDeviceRegistryPropertyW(devices, device, property, nullptr,
                                              reinterpret_cast<BYTE*>(name),
                                              sizeof name - sizeof(wchar_t), nullptr)) {
            return name;
        }
    }
    return {};
}

std::vector<WindowsPortSources::Device> PortsClassDevices() {
    std::vector<WindowsPortSources::Device> found;
    HDEVINFO devices = SetupDiGetClassDevsW(&kPortsClass, nullptr, nullptr, DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE) return found;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(devices, i, &device); ++i) {
        HKEY key = SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE) continue;
        const std::wstring port = StringValue(key, L"PortName");
        RegCloseKey(key);
        if (!port.empty()) found.push_back({Narrow(port), Narrow(FriendlyName(devices, &device))});
    }
    SetupDiDestroyDeviceInfoList(devices);
    return found;
}

std::vector<WindowsPortSources::Mapping> SerialCommMappings() {
    std::vector<WindowsPortSources::Mapping> found;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return found;
    }
    for (DWORD i = 0;; ++i) {
        wchar_t device[256] = {};
        DWORD deviceLength = 255;
        wchar_t port[256] = {};
        DWORD size = sizeof port - sizeof(wchar_t);
        DWORD type = 0;
        const LONG status = RegEnumValueW(key, i, device, &deviceLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(port), &size);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS || type != REG_SZ) continue;
        found.push_back(
            {Narrow(device), Narrow(std::wstring(port, size / sizeof(wchar_t)).c_str())});
    }
    RegCloseKey(key);
    return found;
}

}  // namespace

WindowsPortSources ReadWindowsPortSources() {
    return {PortsClassDevices(), SerialCommMappings()};
}

std::vector<SerialPortInfo> ListSerialPorts() {
    return DescribeWindowsPorts(ReadWindowsPortSources());
}

std::vector<SerialPortInfo> ListPortChoices() {
    return WindowsPortChoices(ListSerialPorts());
}

std::string PortDeviceKey(const std::string& path) {
    constexpr std::string_view kDevicePrefix = R"(\\.\)";
    std::string name = path.starts_with(kDevicePrefix) ? path.substr(kDevicePrefix.size()) : path;
    for (char& c : name) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    return name;
}
