#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include "platform/posix/LinuxSerialDevices.h"
#include "platform/posix/PosixPortEnumerator.h"

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

TEST(LinuxSerialDevicesTest, TheNamedDevicesAreTheListInTheirOwnOrderAndNumberedFromOne) {
    const auto devices = ListSerialDevices({"/tmp/c", "/tmp/a", "/tmp/b"});
    EXPECT_THAT(devices, ElementsAre("/tmp/c", "/tmp/a", "/tmp/b"));
    PosixPortEnumerator ports(devices);
    EXPECT_THAT(ports.UsablePorts(), ElementsAre(1, 2, 3));
    EXPECT_EQ(ports.PortName(2), "/tmp/a");
    EXPECT_EQ(ports.PortName(4), "port 4");
}

class ScanTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("serial-scan-" + std::to_string(::getpid()));
        fs::create_directories(root / "dev");
        fs::create_directories(root / "sys");
    }
    void TearDown() override { fs::remove_all(root); }

    void Device(const std::string& name) { std::ofstream(root / "dev" / name); }
    void Driver(const std::string& name) { fs::create_directories(root / "sys" / name / "device" / "driver"); }

    std::vector<std::string> Scan(const std::set<std::string>& uarts) {
        const std::string dev = (root / "dev").string();
        auto names = ScanSerialDevices(dev, (root / "sys").string(), [&](const std::string& path) {
            return uarts.count(fs::path(path).filename().string()) > 0;
        });
        for (auto& name : names) name = fs::path(name).filename().string();
        return names;
    }

    fs::path root;
};

TEST_F(ScanTest, UsbDevicesFirstThenOnlyTheTtySWithAUartBehindThem) {
    for (const char* name : {"ttyS10", "ttyS2", "ttyS0", "ttyS1", "ttyACM0", "ttyUSB10", "ttyUSB2", "ttyUSB0", "tty0",
                             "ttyS", "ttySx", "ttyUSB1a", "console"})
        Device(name);
    Driver("ttyS0");   // a UART
    Driver("ttyS2");   // a driver, but the probe finds no UART
    Driver("ttyS10");  // a UART
    // ttyS1: a UART would answer, but no driver is bound.
    EXPECT_THAT(Scan({"ttyS0", "ttyS1", "ttyS10"}),
                ElementsAre("ttyUSB0", "ttyUSB2", "ttyUSB10", "ttyACM0", "ttyS0", "ttyS10"));
}

TEST_F(ScanTest, AMissingDeviceFolderListsNothing) {
    fs::remove_all(root / "dev");
    EXPECT_TRUE(Scan({}).empty());
}

}  // namespace
