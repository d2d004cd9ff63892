#include "platform/linux/session/LinuxMachineFacts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace tessane::linux_backend {
namespace {

namespace fs = std::filesystem;

class LinuxMachineFactsTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("tessane-machine-" + std::to_string(std::random_device{}()));
        fs::create_directories(root);
    }
    void TearDown() override { fs::remove_all(root); }

    void write(const std::string& relative, const std::string& text) {
        fs::create_directories((root / relative).parent_path());
        std::ofstream(root / relative, std::ios::binary) << text;
    }

    fs::path root;
    const LinuxMachineFacts::Kernel kernel{"6.1.0-18-amd64", "x86_64"};
};

TEST_F(LinuxMachineFactsTest, OsReleaseQuoting) {
    const std::string text = "NAME=Debian\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nID=debian\n"
                             "A='single \"quoted\"'\nB=\"esc \\\"q\\\" \\$x \\n\"\nC=bare\\ word\nPRETTY=x\n";
    EXPECT_EQ(LinuxMachineFacts::osReleaseValue(text, "PRETTY_NAME"), "Debian GNU/Linux 12 (bookworm)");
    EXPECT_EQ(LinuxMachineFacts::osReleaseValue(text, "A"), "single \"quoted\"");
    EXPECT_EQ(LinuxMachineFacts::osReleaseValue(text, "B"), "esc \"q\" $x \\n");
    EXPECT_EQ(LinuxMachineFacts::osReleaseValue(text, "C"), "bare word");
    EXPECT_EQ(LinuxMachineFacts::osReleaseValue(text, "VERSION"), std::nullopt);
    EXPECT_EQ(LinuxMachineFacts::osReleaseValue("X=1\nX=2\n", "X"), "2");
}

TEST_F(LinuxMachineFactsTest, DmiMachineWithItsOs) {
    write("etc/os-release", "NAME=\"Fedora Linux\"\nPRETTY_NAME=\"Fedora Linux 39 (Workstation Edition)\"\n");
    write("sys/class/dmi/id/sys_vendor", "LENOVO\n");
    write("sys/class/dmi/id/product_name", "20XWCTO1WW\n");
    EXPECT_EQ(LinuxMachineFacts::read(root, kernel),
              (MachineFacts{"Fedora Linux 39 (Workstation Edition), Linux 6.1.0-18-amd64", "LENOVO 20XWCTO1WW", "x86_64"}));
    write("sys/class/dmi/id/product_name", "LENOVO ThinkPad\n");  // no vendor twice
    EXPECT_EQ(LinuxMachineFacts::read(root, kernel).hardwareModel, "LENOVO ThinkPad");
}

TEST_F(LinuxMachineFactsTest, DeviceTreeAndFallbacks) {
    write("usr/lib/os-release", "NAME=Alpine\n");  // no /etc file, no PRETTY_NAME
    write("proc/device-tree/model", std::string("Raspberry Pi 4 Model B Rev 1.4\0", 31));
    const auto facts = LinuxMachineFacts::read(root, {"6.6.20", "aarch64"});
    EXPECT_EQ(facts, (MachineFacts{"Alpine, Linux 6.6.20", "Raspberry Pi 4 Model B Rev 1.4", "aarch64"}));

    fs::remove_all(root / "usr");
    fs::remove_all(root / "proc");
    EXPECT_EQ(LinuxMachineFacts::read(root, {}), (MachineFacts{"Linux", "unknown", "unknown"}));
}

TEST_F(LinuxMachineFactsTest, ThisMachineIsNeverAConstant) {
    const auto facts = LinuxMachineFacts::read();
    EXPECT_NE(facts.architecture, "arm64");  // the kernel says aarch64 on 64-bit ARM
    EXPECT_NE(facts.architecture, "unknown");
    EXPECT_NE(facts.osVersion.find(", Linux "), std::string::npos);
}

}  // namespace
}  // namespace tessane::linux_backend
