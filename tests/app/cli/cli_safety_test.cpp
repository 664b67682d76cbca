// tormik-cli for production use: refused data files, data beyond the chip, binary files, JSON output and the
// choice between several attached programmers.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>

#include "tormik/hex_file.h"
#include "tests/support/device_process.h"

namespace orven {
namespace {

struct CliResult {
  int status;
  std::string out;
  std::string err;
};

CliResult Cli(const std::string& args, const std::string& env = "") {
  static int serial = 0;
  const std::string errFile = std::string(::testing::TempDir()) + "cli-err-" + std::to_string(getpid()) + "-" +
                              std::to_string(serial++) + ".txt";
  const std::string command = env + " " + testing::BinDir() + "/tormik-cli " + args + " 2>" + errFile;
  CliResult r{-1, {}, {}};
  FILE* p = popen(command.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  const int raw = pclose(p);
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  std::ifstream e(errFile);
  std::stringstream s;
  s << e.rdbuf();
  r.err = s.str();
  std::remove(errFile.c_str());
  return r;
}

std::string Temp(const std::string& name) { return std::string(::testing::TempDir()) + "safety-" + name; }

std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// orven-sim with a trace of every command code it received, written when it stops.
class TracedDevice {
 public:
  explicit TracedDevice(const std::string& name, std::vector<std::string> args = {})
      : trace_(Temp(name + "-trace.txt")) {
    std::remove(trace_.c_str());
    args.insert(args.end(), {"--trace", trace_});
    process_ = std::make_unique<testing::DeviceProcess>(args);
  }
  bool Ok() const { return process_->Ok(); }
  std::string Env() const { return "ORVEN_HID_SOCKET=" + process_->Path(); }
  const std::string& Path() const { return process_->Path(); }
  std::string StopAndTrace() {
    process_.reset();
    return ReadAll(trace_);
  }

 private:
  std::string trace_;
  std::unique_ptr<testing::DeviceProcess> process_;
};

TEST(CliSafety, FilesThatWouldProgramNothingAreRefusedBeforeAnythingIsSent) {
  TracedDevice device("refused");
  ASSERT_TRUE(device.Ok());
  const std::string emptyBin = Temp("empty.bin");
  std::ofstream(emptyBin, std::ios::binary).flush();
  const std::string commentsOnly = Temp("comments.hex");
  std::ofstream(commentsOnly) << "; no records here\n:00000001FF\n";
  for (const std::string& args : std::vector<std::string>{"--chip 0 program /etc/passwd", "--chip 0 auto /etc/passwd",
                                  "--chip 0 erase verify /etc/passwd", "--chip 0 program " + emptyBin,
                                  "--chip 0 program " + commentsOnly}) {
    SCOPED_TRACE(args);
    const CliResult r = Cli("--model qx410 " + args, device.Env());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("nothing was sent"), std::string::npos) << r.err;
  }
  // A read target that cannot be written is found before the chip is read.
  EXPECT_EQ(Cli("--model qx410 --chip 0 read /nonexistent/dir/out.hex", device.Env()).status, 2);
  EXPECT_EQ(Cli("--model qx410 --chip 0 read /tmp", device.Env()).status, 2);
  EXPECT_EQ(device.StopAndTrace(), "") << "commands reached the device";

  const CliResult sim = Cli("--simulate --chip 0 program /etc/passwd");
  EXPECT_EQ(sim.status, 1);
  EXPECT_EQ(sim.out, "") << "no connect line: nothing was sent";
}

TEST(CliSafety, BytesBeyondTheChipAreAWarningOrWithStrictAnError) {
  // 32 bytes from 0x0FF0: the last 16 lie beyond the 4 KiB of an AT89S51.
  std::vector<uint8_t> data(32);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i + 1);
  std::vector<uint8_t> image(0x1010, 0xFF);
  std::copy(data.begin(), data.end(), image.begin() + 0xFF0);
  const std::string file = Temp("beyond.hex");
  std::ofstream(file) << app::FormatHexText(image.data(), static_cast<uint32_t>(image.size()));

  TracedDevice device("beyond");
  ASSERT_TRUE(device.Ok());
  const CliResult strict = Cli("--model qx410 --chip 0 --strict erase program " + file, device.Env());
  EXPECT_EQ(strict.status, 1);
  EXPECT_NE(strict.err.find("16 bytes beyond the chip's 0x1000 were not programmed"), std::string::npos) << strict.err;
  EXPECT_EQ(device.StopAndTrace(), "") << "--strict refuses before connecting";

  const CliResult warned = Cli("--simulate --chip 0 auto " + file + " verify " + file);
  EXPECT_EQ(warned.status, 0) << warned.out << warned.err;
  EXPECT_NE(warned.err.find("warning: 16 bytes beyond the chip's 0x1000 were not programmed"), std::string::npos);
  EXPECT_NE(warned.err.find("16 bytes beyond the chip's 0x1000 were not verified"), std::string::npos);
  EXPECT_EQ(Cli("--simulate --chip 1 auto " + file).err.find("beyond"), std::string::npos) << "fits an 8 KiB chip";
}

TEST(CliSafety, BinaryFilesProgramVerifyAndReadFromAddressZero) {
  std::string image(0x1000, '\0');
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 7 + 3);
  const std::string bin = Temp("image.bin");
  std::ofstream(bin, std::ios::binary) << image;
  const std::string raw = Temp("image.raw");  // the same bytes under a name without the .bin hint
  std::ofstream(raw, std::ios::binary) << image;
  const std::string back = Temp("back.BIN");
  const std::string backHex = Temp("back.hex");
  std::remove(back.c_str());
  const CliResult r = Cli("--simulate --chip 0 auto " + bin + " verify " + bin + " read " + back + " read " + backHex);
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(ReadAll(back), image);
  std::vector<uint8_t> loaded(0x1000, 0xFF);
  ASSERT_TRUE(app::LoadHexFile(backHex, loaded.data(), 0x1000, {}));
  EXPECT_EQ(std::string(loaded.begin(), loaded.end()), image) << "Intel HEX stays the default";

  EXPECT_EQ(Cli("--simulate --chip 0 --format bin auto " + raw + " verify " + bin).status, 0);
  // Read as Intel HEX, the raw bytes have no record and are refused.
  EXPECT_EQ(Cli("--simulate --chip 0 auto " + raw).status, 1);
  EXPECT_EQ(Cli("--simulate --format elf info").status, 2);
}

std::vector<nlohmann::json> JsonLines(const std::string& out) {
  std::vector<nlohmann::json> docs;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    docs.push_back(nlohmann::json::parse(line));  // throws, and fails the test, on anything but JSON
  }
  return docs;
}

TEST(CliJson, EveryLineIsAJsonDocumentAndTheLastOneSumsTheRunUp) {
  const CliResult info = Cli("--json --simulate info");
  ASSERT_EQ(info.status, 0) << info.err;
  std::vector<nlohmann::json> docs = JsonLines(info.out);
  ASSERT_EQ(docs.size(), 2u) << info.out;
  EXPECT_EQ(docs[0]["type"], "info");
  EXPECT_EQ(docs[0]["model"], "QX410");
  EXPECT_EQ(docs[0]["serial"], "01AB007F");
  EXPECT_EQ(docs[0]["firmware"], "V2.07(B571)");
  EXPECT_EQ(docs[1]["type"], "summary");
  EXPECT_EQ(docs[1]["result"], "ok");
  EXPECT_EQ(docs[1]["commands"], nlohmann::json::array({"info"}));
  EXPECT_NE(info.err.find("设备连接成功, 型号: QX410"), std::string::npos) << "the log goes to stderr";

  docs = JsonLines(Cli("--json --simulate --chip 'ATmega16 [ISP]' chips list fuse-read").out);
  ASSERT_EQ(docs.size(), 4u);
  EXPECT_EQ(docs[0]["chips"].size(), 27u);
  EXPECT_EQ(docs[0]["chips"][7]["configFile"], "MEGA16");
  EXPECT_EQ(docs[1]["programmers"].size(), 2u);
  EXPECT_EQ(docs[1]["programmers"][1]["model"], "ORVENF");
  EXPECT_EQ(docs[2]["config"].get<std::string>().substr(0, 5), "E1 99");
  EXPECT_EQ(docs[2]["items"][2]["name"], "BODEN");
  EXPECT_EQ(docs[3]["bytes"], 32);

  const CliResult failed = Cli("--json --simulate --chip 1 auto " + std::string(ORVEN_SOURCE_DIR) +
                         "/data/examples/blink.hex verify /etc/passwd");
  EXPECT_EQ(failed.status, 1);
  docs = JsonLines(failed.out);
  ASSERT_EQ(docs.size(), 1u);
  EXPECT_EQ(docs[0]["result"], "failed");
  EXPECT_EQ(docs[0]["exitStatus"], 1);

  docs = JsonLines(Cli("--json --simulate --bogus").out);
  ASSERT_EQ(docs.size(), 1u);
  EXPECT_EQ(docs[0]["result"], "usage");

  const CliResult programmed = Cli("--json --simulate --chip 1 auto " + std::string(ORVEN_SOURCE_DIR) +
                             "/data/examples/blink.hex");
  docs = JsonLines(programmed.out);
  ASSERT_EQ(docs.size(), 1u);
  EXPECT_EQ(docs[0]["bytes"], 0x2000);
}

TEST(CliDevices, ListShowsEveryProgrammerAndSerialOrDevicePicksOne) {
  TracedDevice first("first", {"--serial", "11AA0001"});
  TracedDevice second("second", {"--serial", "22BB0002", "--model", "orvenf"});
  ASSERT_TRUE(first.Ok() && second.Ok());
  const std::string env = "ORVEN_HID_SOCKET=" + first.Path() + ":" + second.Path();

  const CliResult list = Cli("list", env);
  ASSERT_EQ(list.status, 0) << list.err;
  EXPECT_NE(list.out.find("QX410   V2.07(B571)    11AA0001  " + first.Path() + "\n"), std::string::npos) << list.out;
  EXPECT_NE(list.out.find("ORVENF  V1.06(B656)    22BB0002  " + second.Path() + "\n"), std::string::npos) << list.out;

  const CliResult bySerial = Cli("--serial 22bb0002 info", env);
  ASSERT_EQ(bySerial.status, 0) << bySerial.err;
  EXPECT_NE(bySerial.out.find("序列号： 22BB0002"), std::string::npos) << bySerial.out;
  EXPECT_NE(bySerial.out.find("型号: ORVENF"), std::string::npos) << "a chosen programmer is taken whatever its model";

  const CliResult byPath = Cli("--device " + first.Path() + " info", env);
  EXPECT_NE(byPath.out.find("序列号： 11AA0001"), std::string::npos) << byPath.out;
  // Without a choice, the first programmer of the model, as the window does.
  EXPECT_NE(Cli("--model orvenf info", env).out.find("序列号： 22BB0002"), std::string::npos);

  EXPECT_EQ(Cli("--serial 33CC0003 info", env).status, 1);
  EXPECT_EQ(Cli("--device /nonexistent info", env).status, 1);
  EXPECT_EQ(Cli("--serial 1 --device x info", env).status, 2);
  // Choosing a programmer by its serial number identifies each one; only the chosen one gets chip commands.
  EXPECT_EQ(Cli("--serial 22BB0002 --chip 'AT89S52 [ISP]' erase", env).status, 0);
  EXPECT_EQ(first.StopAndTrace().find("29"), std::string::npos);
  EXPECT_NE(second.StopAndTrace().find("29\n38\n30\n"), std::string::npos);
}

}  // namespace
}  // namespace orven
