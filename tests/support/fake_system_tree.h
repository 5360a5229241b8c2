// A fake system tree for the port enumeration: ROOT/dev with device nodes (plain files) and
// ROOT/sys laid out as sysfs is, with USB devices, their interfaces and the tty class links.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

class FakeSystemTree {
  public:
    explicit FakeSystemTree(std::filesystem::path root) : root_(std::move(root)) {
        std::filesystem::create_directories(root_ / "dev");
        std::filesystem::create_directories(TtyClass());
    }

    const std::filesystem::path& Root() const { return root_; }
    std::string Dev(const std::string& name) const { return (root_ / "dev" / name).string(); }

    void AddNode(const std::string& name) const { std::ofstream(root_ / "dev" / name).put('\n'); }

    void RemoveNode(const std::string& name) const {
        std::filesystem::remove(root_ / "dev" / name);
    }

    // A USB adapter: device 1-N with its strings, interface 1-N:1.0, and for usb-serial
    // drivers (ttyUSB) one more level for the port, as the kernel lays them out. Empty strings
    // are left out, as sysfs does for a device without them.
    void AddUsbSerial(const std::string& name, const std::string& manufacturer,
                      const std::string& product, const std::string& serial,
                      const std::string& vendorId = "0403", const std::string& productId = "6001") {
        const std::string bus = "1-" + std::to_string(++usbDevices_);
        const auto device = root_ / "sys" / "devices" / "pci0000:00" / "usb1" / bus;
        std::filesystem::create_directories(device);
        Write(device / "idVendor", vendorId);
        Write(device / "idProduct", productId);
        if (!manufacturer.empty()) Write(device / "manufacturer", manufacturer);
        if (!product.empty()) Write(device / "product", product);
        if (!serial.empty()) Write(device / "serial", serial);
        auto ttyDevice = device / (bus + ":1.0");
        if (name.starts_with("ttyUSB")) ttyDevice /= name;
        std::filesystem::create_directories(ttyDevice);
        LinkTty(name, ttyDevice);
        AddNode(name);
    }

    // An on-board UART: sysfs type 0 stands for a placeholder with nothing fitted.
    void AddUart(const std::string& name, int type) const {
        const auto device = root_ / "sys" / "devices" / "platform" / "serial8250" / name;
        std::filesystem::create_directories(device);
        LinkTty(name, device);
        Write(TtyClass() / name / "type", std::to_string(type));
        AddNode(name);
    }

    void AddByIdLink(const std::string& link, const std::string& target) const {
        const auto byId = root_ / "dev" / "serial" / "by-id";
        std::filesystem::create_directories(byId);
        std::filesystem::create_symlink("../../" + target, byId / link);
    }

  private:
    std::filesystem::path TtyClass() const { return root_ / "sys" / "class" / "tty"; }

    void LinkTty(const std::string& name, const std::filesystem::path& device) const {
        std::filesystem::create_directories(TtyClass() / name);
        std::filesystem::create_symlink(device, TtyClass() / name / "device");
    }

    static void Write(const std::filesystem::path& file, const std::string& text) {
        std::ofstream(file) << text << '\n';
    }

    std::filesystem::path root_;
    int usbDevices_ = 0;
};
