// tormik-cli on a production bench: four programmers at once with a serial number in every chip, the stamp
// log carried across runs, refused stamps, and a chip after a chip through standard input.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <vector>

#include "tests/support/device_process.h"
#include "tormik/hex_file.h"

namespace orven {
namespace {

constexpr uint32_t kFlash = 0x2000;  // AT89S52
const std::string kChip = "--chip 'AT89S52 [ZIF]' ";

std::string Temp(const std::string& name) {
  return std::string(::testing::TempDir()) + "gang-" + std::to_string(getpid()) + "-" + name;
}

std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs tormik-cli with the environment, the arguments and input as its standard input.
CliResult Cli(const std::string& env, const std::string& args, const std::string& input = "") {
  static int serial = 0;
  const std::string tag = std::to_string(serial++);
  const std::string in = Temp("in-" + tag), err = Temp("err-" + tag);
  {
    std::ofstream f(in, std::ios::binary);
    f << input;
  }
  const std::string command = env + " " + testing::BinDir() + "/tormik-cli " + args + " <" + in + " 2>" + err;
  CliResult r;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
  const int raw = pclose(p);
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.err = ReadAll(err);
  std::remove(in.c_str());
  std::remove(err.c_str());
  return r;
}

std::string Example() { return ORVEN_SOURCE_DIR "/data/examples/blink.hex"; }

std::vector<uint8_t> LoadHex(const std::string& path) {
  std::vector<uint8_t> image(kFlash, 0xFF);
  EXPECT_TRUE(app::LoadHexFile(path, image.data(), kFlash, {})) << path;
  return image;
}

std::vector<std::string> LogLines(const std::string& path) {
  std::vector<std::string> lines;
  std::istringstream s(ReadAll(path));
  for (std::string line; std::getline(s, line);) lines.push_back(line);
  return lines;
}

TEST(CliGang, FourProgrammersAtOnceOneUnpluggedFailsAloneTheOthersHoldTheFileAndTheirOwnStamp) {
  // A fifth one of the same product never answers its identify: it is not left out, it fails where it shows.
  auto mute = std::make_unique<testing::DeviceProcess>(std::vector<std::string>{"--fault", "0:noreply:0:0:always"});
  ASSERT_TRUE(mute->Ok());
  const std::vector<std::string> serials = {"31AA0001", "31AA0002", "31AA0003", "31AA0004"};
  std::vector<std::unique_ptr<testing::DeviceProcess>> devices;
  std::string paths = mute->Path();
  for (const std::string& s : serials) {
    std::vector<std::string> args = {"--serial", s};
    // The third one leaves the bus for good in the middle of programming.
    if (s == "31AA0003") args.insert(args.end(), {"--fault", "35:leave:0:5"});
    devices.push_back(std::make_unique<testing::DeviceProcess>(args));
    ASSERT_TRUE(devices.back()->Ok());
    paths += ":" + devices.back()->Path();
  }
  const std::string env = "ORVEN_HID_SOCKET=" + paths;
  const std::string log = Temp("four.csv");
  std::remove(log.c_str());
  const CliResult r = Cli(env, "--all --json " + kChip + "--stamp 0x1FF0:4:5000:be --stamp-log " + log + " auto " +
                                   Example() + " verify " + Example());
  EXPECT_EQ(r.status, 1) << r.out << r.err;

  std::map<std::string, nlohmann::json> docs;
  nlohmann::json summary;
  std::istringstream lines(r.out);
  for (std::string line; std::getline(lines, line);) {
    const nlohmann::json doc = nlohmann::json::parse(line);
    if (doc["type"] == "programmer") docs[doc["serial"]] = doc;
    if (doc["type"] == "summary") summary = doc;
  }
  ASSERT_EQ(docs.size(), 5u) << r.out;
  EXPECT_EQ(summary["good"], 3);
  EXPECT_EQ(summary["failed"], 2);
  EXPECT_EQ(docs["?"]["path"], mute->Path());
  EXPECT_EQ(docs["?"]["failure"], "未检测到设备, 联机失败");
  EXPECT_FALSE(docs["?"].contains("number")) << "no number for a chip that was never reached";
  EXPECT_EQ(docs["31AA0003"]["result"], "failed");
  EXPECT_EQ(docs["31AA0003"]["failure"], "写入...");
  EXPECT_NE(r.err.find("31AA0003  写入...\n"), std::string::npos) << "the log goes to stderr with --json";

  std::set<uint64_t> numbers;
  for (const std::string& serial : serials) {
    numbers.insert(docs[serial]["number"].get<uint64_t>());
    if (serial == "31AA0003") continue;
    SCOPED_TRACE(serial);
    EXPECT_EQ(docs[serial]["result"], "ok");
    EXPECT_EQ(docs[serial]["bytes"], 2 * kFlash);
    // Read back through the programmer's own link and compare with the file plus this chip's number.
    const std::string back = Temp("back-" + serial + ".hex");
    const CliResult read = Cli(env, "--serial " + serial + " " + kChip + "read " + back);
    ASSERT_EQ(read.status, 0) << read.out << read.err;
    std::vector<uint8_t> want = LoadHex(Example());
    const uint64_t n = docs[serial]["number"].get<uint64_t>();
    for (int i = 0; i < 4; ++i) want[0x1FF0 + i] = uint8_t(n >> (24 - 8 * i));
    EXPECT_EQ(LoadHex(back), want);
  }
  EXPECT_EQ(numbers, (std::set<uint64_t>{5000, 5001, 5002, 5003}));
  const std::string failedNumber = std::to_string(docs["31AA0003"]["number"].get<uint64_t>());
  EXPECT_NE(ReadAll(log).find(",31AA0003,AT89S52 [ZIF]," + failedNumber + ",spoiled\n"), std::string::npos)
      << ReadAll(log);
}

TEST(CliGang, NoNumberIsGivenTwiceAcrossManyRunsOfFourAndTheTableShowsThem) {
  const std::string log = Temp("many.csv");
  std::remove(log.c_str());
  constexpr int kRuns = 12;
  for (int run = 0; run < kRuns; ++run) {
    const CliResult r = Cli("ORVEN_SIM_PROGRAMMERS=4", "--simulate --all " + kChip + "--stamp 0x1FF0:3:1:bcd --stamp-log " +
                                                           log + " auto " + Example());
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    if (run == kRuns - 1) {
      EXPECT_NE(r.out.find("serial    chip                 result     bytes  seconds number               log\n"),
                std::string::npos)
          << r.out;
      EXPECT_NE(r.out.find("01AB0082  AT89S52 [ZIF]        ok          8192 "), std::string::npos) << r.out;
    }
  }
  std::set<uint64_t> issued;
  int good = 0;
  for (const std::string& line : LogLines(log)) {
    if (line.find(",issued") != std::string::npos) {
      const std::string number = line.substr(line.rfind(',', line.size() - 8) + 1);
      EXPECT_TRUE(issued.insert(std::stoull(number)).second) << "given twice: " << line;
    }
    good += line.find(",good") != std::string::npos;
  }
  EXPECT_EQ(issued.size(), size_t{4 * kRuns});
  EXPECT_EQ(*issued.rbegin(), uint64_t{4 * kRuns});
  EXPECT_EQ(good, 4 * kRuns);
}

TEST(CliGang, BadStampsAndProgrammerChoicesAreRefusedBeforeAnythingIsSent) {
  const std::string autoFile = " auto " + Example();
  const struct {
    std::string args;
    int status;
    const char* message;
  } cases[] = {
      {"--stamp 0x1FFE:4" + autoFile, 2, "do not lie inside the chip's 0x2000 bytes"},
      {"--all --stamp 0x2000:1" + autoFile, 2, "do not lie inside"},
      {"--stamp 0x10:2" + autoFile, 2, "lie over data of"},
      {"--all --stamp 0x10:2" + autoFile, 2, "lie over data of"},
      {"--all --stamp 0x10:2 --stamp-overwrite" + autoFile, 0, ""},
      {"--stamp 0x10:9" + autoFile, 2, "--stamp: the stamp takes 1 to 8 bytes"},
      {"--stamp 0x1FF0:2 erase", 2, "--stamp goes with auto, program or verify"},
      {"--serial 01AB0080,01ab0080 erase", 2, "--serial names the programmer '01ab0080' twice"},
      {"--serial 01AB0080,01AB0080 erase", 2, "--serial takes serial numbers separated by commas"},
      {"--serial 01AB0080, erase", 2, "--serial takes serial numbers separated by commas"},
      {"--serial 01AB0080,01AB00FF erase", 1, "no programmer with serial number '01AB00FF'"},
      {"--all read out.hex", 2, "'read' does not run on several programmers at once"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    const CliResult r = Cli("ORVEN_SIM_PROGRAMMERS=2", "--simulate " + kChip + c.args);
    EXPECT_EQ(r.status, c.status) << r.out << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("设备连接成功") == std::string::npos, c.status != 0) << r.out;
  }
}

TEST(CliGang, RepeatRunsAChipAfterAChipUntilQOrTheEndOfInput) {
  const std::string log = Temp("repeat.csv");
  std::remove(log.c_str());
  const std::string prompt = "Insert the next chip and press Enter (q to quit)\n";
  const struct {
    const char* who;
    const char* input;
    const char* firstCount;
    const char* summary;
    uint64_t lastNumber;
  } cases[] = {
      {"", "\n\nq\n", "good: 1, failed: 0\n", "chips: 3 good, 0 failed\n", 3},
      {"", "\n", "good: 1, failed: 0\n", "chips: 2 good, 0 failed\n", 5},  // end of input ends it too
      {"--all ", "again\nq", "good: 3, failed: 0\n", "chips: 6 good, 0 failed\n", 11},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    const CliResult r = Cli("ORVEN_SIM_PROGRAMMERS=3", std::string("--simulate --model orvenf ") + c.who +
                                                            "--chip 0 --stamp 0:2:1:ascii --stamp-overwrite --stamp-log " +
                                                            log + " --repeat auto " + Example(),
                            c.input);
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find(c.firstCount + prompt), std::string::npos) << r.out;
    if (*c.who == '\0') {
      // One programmer prints its chip's number where a gang prints its table.
      EXPECT_NE(r.out.find("烧写完成.\nstamp: " + std::to_string(c.lastNumber) + " good\n" + "good: "), std::string::npos)
          << r.out;
    }
    EXPECT_NE(r.out.find(prompt + c.summary), std::string::npos) << r.out;
    // The gang's workers finish in any order: the highest number must be there, and none above it.
    const std::string text = ReadAll(log);
    EXPECT_NE(text.find("," + std::to_string(c.lastNumber) + ",good\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("," + std::to_string(c.lastNumber + 1) + ","), std::string::npos) << text;
  }
}

}  // namespace
}  // namespace orven
