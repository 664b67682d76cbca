// tormik-cli as a user runs it: against the built-in simulator and against orven-sim over the socket backend.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "tormik/hex_file.h"
#include "tests/support/device_process.h"

namespace orven {
namespace {

struct CliRun {
  int status;
  std::string out;
};

CliRun Cli(const std::string& args, const std::string& env = "") {
  const std::string command = env + " " + testing::BinDir() + "/tormik-cli " + args + " 2>/dev/null";
  FILE* p = popen(command.c_str(), "r");
  CliRun r{-1, {}};
  if (!p) return r;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  int raw = pclose(p);
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return r;
}

std::string Example() { return ORVEN_SOURCE_DIR "/data/examples/blink.hex"; }

std::string TempPath(const char* name) { return std::string(::testing::TempDir()) + name; }

std::vector<uint8_t> Load(const std::string& path, uint32_t limit) {
  std::vector<uint8_t> image(limit, 0xFF);
  EXPECT_TRUE(app::LoadHexFile(path, image.data(), limit, {})) << path;
  return image;
}

class CliOverDevice : public ::testing::TestWithParam<bool> {
 protected:
  // "--simulate" in process, or ORVEN_HID_SOCKET to a separate orven-sim.
  std::string Env() { return GetParam() ? "ORVEN_HID_SOCKET=" + device_->Path() : ""; }
  std::string Sim() { return GetParam() ? "" : "--simulate "; }
  // Test cases run in parallel processes: each variant keeps its own files.
  // Test programs of one suite also run at once: the test's name keeps their files apart.
  std::string Temp(const char* name) {
    std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    for (char& c : test) c = c == '/' ? '-' : c;
    return TempPath((test + "-" + name).c_str());
  }
  void SetUp() override {
    if (GetParam()) {
      device_ = std::make_unique<testing::DeviceProcess>(std::vector<std::string>{"--trace", Temp("trace.txt")});
      ASSERT_TRUE(device_->Ok());
    }
  }
  std::unique_ptr<testing::DeviceProcess> device_;
};

TEST_P(CliOverDevice, AutoVerifyReadReproducesTheFile) {
  const std::string out = Temp("read.hex");
  std::remove(out.c_str());
  CliRun r = Cli(Sim() + "--model qx410 --chip 'AT89S52 [ZIF]' auto " + Example() + " verify " + Example() + " read " +
                  out,
              Env());
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("设备连接成功, 型号: QX410\n"), std::string::npos);
  EXPECT_NE(r.out.find("擦除...\n擦除完成.\n写入...\n烧写完成.\n校验...\n校验成功.\n读取...\n读取完成.\n"), std::string::npos)
      << r.out;
  EXPECT_EQ(Load(out, 0x2000), Load(Example(), 0x2000));
}

TEST_P(CliOverDevice, ACorruptFileExitsOneBeforeAnythingIsSent) {
  const std::string bad = Temp("bad.hex");
  std::ofstream(bad) << ":0400000001020304F2\n; comment\n:0400040001020304F2\n";
  CliRun r = Cli(Sim() + "--model qx410 --chip 1 erase program " + bad, Env());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "警告：第3行数据格式错误\n");
  if (GetParam()) {
    device_.reset();  // orven-sim writes its trace when it stops
    std::ifstream trace(Temp("trace.txt"));
    std::stringstream s;
    s << trace.rdbuf();
    EXPECT_EQ(s.str(), "") << "commands reached the device";
  }
}

TEST_P(CliOverDevice, FirmwareUpgradeAndInfo) {
  // Over the socket the device restarts twice in real time (about 11 s).
  CliRun r = Cli(Sim() + "--model qx410 upgrade info", Env());
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("升级固件...\n固件升级成功.\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("固件版本： V2.07(B571)\n序列号： 01AB007F\n"), std::string::npos) << r.out;
}

TEST_P(CliOverDevice, FuseWriteWithAChangedItemThenFuseReadShowsIt) {
  CliRun r = Cli(Sim() + "--model qx410 --chip 'ATmega16 [ISP]' fuse-write --set 'BODEN=已编程' fuse-read", Env());
  ASSERT_EQ(r.status, 0) << r.out;
  // Low fuse E1 (the file's default) with BODEN (bit 6) programmed reads back as A1.
  EXPECT_NE(r.out.find("Write Fuse...\nWrite Fuse done.\nRead Fuse...\nRead Fuse done.\nA1 99 FF FF 00"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("[欠压检测] BODEN = 已编程 (0x0)\n"), std::string::npos) << r.out;

  // An unknown item or value is a usage error and nothing reaches the device.
  EXPECT_EQ(Cli(Sim() + "--model qx410 --chip 'ATmega16 [ISP]' fuse-write --set 'BODEN=maybe'", Env()).status, 2);
  EXPECT_EQ(Cli(Sim() + "--model qx410 --chip 'ATmega16 [ISP]' fuse-write --set 'NOSUCH=1'", Env()).status, 2);
  if (GetParam()) {
    device_.reset();
    std::ifstream trace(Temp("trace.txt"));
    std::stringstream s;
    s << trace.rdbuf();
    EXPECT_EQ(s.str(), "0\n29\n40\n30\n29\n41\n30\n") << "only the first call reached the device";
  }
}

INSTANTIATE_TEST_SUITE_P(Devices, CliOverDevice, ::testing::Values(false, true),
                         [](const auto& p) { return p.param ? "Socket" : "Simulator"; });

TEST(Cli, UsageErrorsExitTwoAndNoDeviceExitsOne) {
  struct Case {
    std::string args;
    int status;
  };
  const Case cases[] = {
      {"--simulate --chip 'NO SUCH CHIP' erase", 2},
      {"--simulate --chip 27 erase", 2},
      {"--simulate program", 2},
      {"--simulate program /nonexistent/file.hex", 2},
      {"--simulate --bogus info", 2},
      {"--simulate --model z80 info", 2},
      {"--simulate --set X=1 erase", 2},
      {"", 2},
      {"--help", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    EXPECT_EQ(Cli(c.args).status, c.status);
  }
  CliRun none = Cli("--model qx410 info", "ORVEN_HID_SOCKET=/nonexistent/socket");
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(none.out, "未检测到设备, 联机失败\n");
}

TEST(Cli, AFileReadEarlierInTheCallCanBeVerifiedAndWordChipsVerify) {
  const std::string file = TempPath("read-then-verify.hex");
  std::remove(file.c_str());
  EXPECT_EQ(Cli("--simulate --model qx410 --chip 1 read " + file + " verify " + file).status, 0);
  // The 14-bit word chip keeps 6 bits of every odd byte; verify compares accordingly.
  EXPECT_EQ(Cli("--simulate --model qx410 --chip 'PIC16F877A [ISP]' auto " + Example() + " verify " + Example()).status,
            0);
}

TEST(Cli, ChipsListsTheModelsCatalogue) {
  CliRun r = Cli("--model orvenf chips");
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 7);
  EXPECT_NE(r.out.find("ATmega88 [ISP]"), std::string::npos);
}

}  // namespace
}  // namespace orven
