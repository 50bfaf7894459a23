// What --list-ports tells of a device, read from a sysfs tree laid out as the kernel does.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/posix/SerialDeviceInfo.h"

namespace {

namespace fs = std::filesystem;

class SerialDeviceInfoTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("serial-info-" + std::to_string(::getpid()));
        fs::create_directories(root / "dev");
        fs::create_directories(root / "class");
        fs::create_directories(root / "drivers" / "ftdi_sio");
        fs::create_directories(root / "drivers" / "serial8250");
        fs::create_directories(root / "bus" / "serial-base" / "drivers" / "port");
    }
    void TearDown() override { fs::remove_all(root); }

    // A device node and its tty class entry, pointing at `device` (a folder under devices/).
    fs::path Tty(const std::string& name, const fs::path& device) {
        std::ofstream(root / "dev" / name);
        fs::create_directories(root / "class" / name);
        fs::create_directory_symlink(device, root / "class" / name / "device");
        return root / "dev" / name;
    }
    void Attribute(const fs::path& folder, const char* name, const char* value) {
        std::ofstream(folder / name) << value << "\n";
    }
    std::string Describe(const fs::path& device) {
        return DescribeSerialDevice(device.string(), (root / "class").string());
    }

    fs::path root;
};

TEST_F(SerialDeviceInfoTest, AUsbAdapterGivesItsDriverIdsNamesAndSerial) {
    const fs::path usb = root / "devices" / "usb1" / "1-1";
    const fs::path tty = usb / "1-1:1.0" / "ttyUSB0";
    fs::create_directories(tty);
    fs::create_directory_symlink(root / "drivers" / "ftdi_sio", tty / "driver");
    Attribute(usb, "idVendor", "0403");
    Attribute(usb, "idProduct", "6001");
    Attribute(usb, "manufacturer", "FTDI");
    Attribute(usb, "product", "FT232R USB UART");
    Attribute(usb, "serial", "A10KJ3V2");
    const fs::path node = Tty("ttyUSB0", tty);
    EXPECT_EQ(Describe(node), "ftdi_sio, USB 0403:6001 FTDI FT232R USB UART, serial A10KJ3V2");

    // A link such as /dev/serial/by-id/... names the same device.
    fs::create_symlink(node, root / "dev" / "usb-FTDI_FT232R-if00-port0");
    EXPECT_EQ(Describe(root / "dev" / "usb-FTDI_FT232R-if00-port0"), Describe(node));
}

TEST_F(SerialDeviceInfoTest, AUartBehindTheSerialBasePortGivesItsOwnDriver) {
    const fs::path uart = root / "devices" / "platform" / "serial8250";
    const fs::path port = uart / "serial8250:0" / "serial8250:0.0";
    fs::create_directories(port);
    fs::create_directory_symlink(root / "drivers" / "serial8250", uart / "serial8250:0" / "driver");
    fs::create_directory_symlink(root / "bus" / "serial-base" / "drivers" / "port", port / "driver");
    EXPECT_EQ(Describe(Tty("ttyS0", port)), "serial8250");
}

TEST_F(SerialDeviceInfoTest, ADeviceSysfsKnowsNothingOfHasNoDescription) {
    std::ofstream(root / "dev" / "3");  // a pseudo-terminal's node
    EXPECT_EQ(Describe(root / "dev" / "3"), "");
    EXPECT_EQ(Describe(root / "dev" / "missing"), "");
}

}  // namespace
