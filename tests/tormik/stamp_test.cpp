// Serial-number stamps: the option text, the bytes of every format, the log a later run continues from, and
// numbers given out by many workers at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "tormik/stamp.h"
#include "tormik/stamp_log.h"

namespace orven::app {
namespace {

struct SpecCase {
  const char* text;
  bool ok;
  uint32_t address = 0, bytes = 0;
  uint64_t start = 0, step = 0;
  StampFormat format = StampFormat::kLe;
};

TEST(StampSpec, ParsesTheOptionTextOrRefusesIt) {
  const SpecCase cases[] = {
      {"0x1FFC:4", true, 0x1FFC, 4, 1, 1, StampFormat::kLe},
      {"8188:4:1000", true, 8188, 4, 1000, 1, StampFormat::kLe},
      {"0x10:2:0x100:5:be", true, 0x10, 2, 0x100, 5, StampFormat::kBe},
      {"0x10:3:999999:BCD", true, 0x10, 3, 999999, 1, StampFormat::kBcd},
      {"0x10:8:7:ascii", true, 0x10, 8, 7, 1, StampFormat::kAscii},
      {"0:8:18446744073709551615", true, 0, 8, UINT64_MAX, 1, StampFormat::kLe},
      {"0:20:1:ascii", true, 0, 20, 1, 1, StampFormat::kAscii},
      {"0x10", false},                    // no byte count
      {"0x10:0", false},                  // no bytes
      {"0x10:9", false},                  // more than a 64-bit number
      {"0x10:11:1:bcd", false},
      {"0x10:21:1:ascii", false},
      {"0x10:1:256", false},              // the first number does not fit
      {"0x10:2:100:bcd", true, 0x10, 2, 100, 1, StampFormat::kBcd},
      {"0x10:1:100:bcd", false},
      {"0x10:2:1:0", false},              // a step of 0 would give one number twice
      {"0x10:2:1:1:1", false},            // too many numbers
      {"0x10:2:le:be", false},
      {"0x10:2:-1", false},
      {"0x:2", false},
      {"0x100000000:2", false},           // beyond a 32-bit address
      {"0:8:18446744073709551616", false},  // beyond 64 bits
      {"0x10:2:1:1:xx", false},
      {":::::::::::::::::", false},
      {"", false},
  };
  for (const SpecCase& c : cases) {
    SCOPED_TRACE(c.text);
    StampSpec spec;
    std::string error;
    ASSERT_EQ(ParseStampSpec(c.text, &spec, &error), c.ok) << error;
    if (!c.ok) {
      EXPECT_FALSE(error.empty());
      continue;
    }
    EXPECT_EQ(spec.address, c.address);
    EXPECT_EQ(spec.bytes, c.bytes);
    EXPECT_EQ(spec.start, c.start);
    EXPECT_EQ(spec.step, c.step);
    EXPECT_EQ(spec.format, c.format);
  }
  StampSpec spec;
  std::string error;
  EXPECT_FALSE(ParseStampSpec(std::string(kMaxStampSpec + 1, '1'), &spec, &error));
}

struct EncodeCase {
  StampFormat format;
  uint32_t bytes;
  uint64_t number;
  std::vector<uint8_t> want;  // empty: does not fit
};

TEST(StampSpec, EncodesEveryFormatAndRefusesWhatDoesNotFit) {
  const EncodeCase cases[] = {
      {StampFormat::kLe, 4, 0x12345678, {0x78, 0x56, 0x34, 0x12}},
      {StampFormat::kBe, 4, 0x12345678, {0x12, 0x34, 0x56, 0x78}},
      {StampFormat::kLe, 2, 0xFFFF, {0xFF, 0xFF}},
      {StampFormat::kLe, 2, 0x10000, {}},
      {StampFormat::kBe, 8, UINT64_MAX, std::vector<uint8_t>(8, 0xFF)},
      {StampFormat::kBcd, 3, 123456, {0x12, 0x34, 0x56}},
      {StampFormat::kBcd, 3, 42, {0x00, 0x00, 0x42}},
      {StampFormat::kBcd, 2, 10000, {}},
      {StampFormat::kBcd, 10, UINT64_MAX, {0x18, 0x44, 0x67, 0x44, 0x07, 0x37, 0x09, 0x55, 0x16, 0x15}},
      {StampFormat::kAscii, 5, 1234, {'0', '1', '2', '3', '4'}},
      {StampFormat::kAscii, 3, 1000, {}},
  };
  for (const EncodeCase& c : cases) {
    SCOPED_TRACE(c.number);
    const StampSpec spec{0, c.bytes, 0, 1, c.format};
    std::vector<uint8_t> out(c.bytes + 1, 0xEE);
    ASSERT_EQ(EncodeStamp(spec, c.number, out.data()), !c.want.empty());
    if (c.want.empty()) {
      EXPECT_EQ(out, std::vector<uint8_t>(c.bytes + 1, 0xEE)) << "a refused number leaves the image alone";
      continue;
    }
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + c.bytes), c.want);
    EXPECT_EQ(out.back(), 0xEE) << "nothing past the stamp's bytes";
  }
}

TEST(StampLog, HighestNumberOrTheFirstLineThatCannotBeRead) {
  const std::string header = std::string(kStampLogHeader) + "\n";
  const struct {
    std::string text;
    bool ok;
    std::optional<uint64_t> highest;
    size_t badLine = 0;
  } cases[] = {
      {"", true, std::nullopt, 0},
      {header, true, std::nullopt, 0},
      {header + "t,A,C,7,issued\nt,B,C,12,good\r\nt,A,C,9,spoiled\n\n", true, 12, 0},
      {header + "t,A,\"chip, with comma \"\"x\"\"\",40,good", true, 40, 0},
      {header + "t,A,C,7,issued\nt,A,C,seven,good\n", false, std::nullopt, 3},
      {header + "t,A,C,7\n", false, std::nullopt, 2},
      {header + "t,A,\"C,7,good\n", false, std::nullopt, 2},
      {header + "t,A,C,99999999999999999999,good\n", false, std::nullopt, 2},
      {header + "t,A," + std::string(kMaxStampLogLine, 'c') + ",1,good\n", false, std::nullopt, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::optional<uint64_t> highest;
    size_t bad = 0;
    ASSERT_EQ(HighestLoggedNumber(c.text, &highest, &bad), c.ok);
    EXPECT_EQ(c.ok ? highest : c.highest, c.highest);
    EXPECT_EQ(bad, c.badLine);
  }
  std::optional<uint64_t> highest;
  size_t bad = 0;
  const std::string line = StampLogLine("t", "01AB007F", "odd \"chip\", name", 5, "good");
  ASSERT_TRUE(HighestLoggedNumber(header + line, &highest, &bad)) << line;
  EXPECT_EQ(highest, 5u);
}

std::string TempLog(const char* name) {
  const std::string path = std::string(::testing::TempDir()) + "stamp-" + name + ".csv";
  std::remove(path.c_str());
  return path;
}

std::vector<std::string> Lines(const std::string& path) {
  std::ifstream f(path);
  std::vector<std::string> out;
  for (std::string line; std::getline(f, line);) out.push_back(line);
  return out;
}

TEST(StampLog, ALaterRunContinuesAfterTheHighestNumberGoodOrSpoiled) {
  const std::string path = TempLog("continue");
  const StampSpec spec{0, 2, 100, 10, StampFormat::kLe};
  std::string error;
  {
    StampIssuer issuer(spec);
    ASSERT_TRUE(issuer.OpenLog(path, &error)) << error;
    uint64_t a = 0, b = 0;
    ASSERT_TRUE(issuer.Issue("P1", "CHIP", &a, &error));
    ASSERT_TRUE(issuer.Issue("P2", "CHIP", &b, &error));
    EXPECT_EQ(a, 100u);
    EXPECT_EQ(b, 110u);
    issuer.Record("P1", "CHIP", a, true);
    issuer.Record("P2", "CHIP", b, false);
  }
  const std::vector<std::string> lines = Lines(path);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], kStampLogHeader);
  EXPECT_NE(lines[4].find(",P2,CHIP,110,spoiled"), std::string::npos) << lines[4];
  {
    StampIssuer issuer(spec);
    ASSERT_TRUE(issuer.OpenLog(path, &error)) << error;
    uint64_t c = 0;
    ASSERT_TRUE(issuer.Issue("P1", "CHIP", &c, &error));
    EXPECT_EQ(c, 120u) << "the spoiled 110 is never given again";
    StampIssuer second(spec);
    EXPECT_FALSE(second.OpenLog(path, &error)) << "a second run on the same log at once";
    EXPECT_NE(error.find("in use"), std::string::npos) << error;
  }
  EXPECT_EQ(Lines(path).size(), 6u) << "no second header";
  {
    // A START above the log's numbers wins.
    StampIssuer issuer(StampSpec{0, 2, 5000, 1, StampFormat::kLe});
    ASSERT_TRUE(issuer.OpenLog(path, &error));
    uint64_t d = 0;
    ASSERT_TRUE(issuer.Issue("P1", "CHIP", &d, &error));
    EXPECT_EQ(d, 5000u);
  }
  {
    // 65535 is the last number of two bytes: after it the numbers are used up, and nothing is logged.
    StampIssuer issuer(StampSpec{0, 2, 65535, 1, StampFormat::kLe});
    ASSERT_TRUE(issuer.OpenLog(path, &error));
    uint64_t e = 0;
    ASSERT_TRUE(issuer.Issue("P1", "CHIP", &e, &error));
    EXPECT_EQ(e, 65535u);
    EXPECT_FALSE(issuer.Issue("P1", "CHIP", &e, &error));
    EXPECT_NE(error.find("used up"), std::string::npos);
  }
  StampIssuer fresh(spec);
  std::ofstream(path, std::ios::app) << "garbage\n";
  EXPECT_FALSE(fresh.OpenLog(path, &error)) << "an unreadable log could hide numbers already given";
}

TEST(StampLog, ManyWorkersNeverGetOneNumberTwice) {
  const std::string path = TempLog("threads");
  StampIssuer issuer(StampSpec{0, 4, 1, 3, StampFormat::kLe});
  std::string error;
  ASSERT_TRUE(issuer.OpenLog(path, &error));
  constexpr int kWorkers = 8;
  constexpr int kEach = 50;
  std::vector<std::vector<uint64_t>> got(kWorkers);
  std::vector<std::thread> workers;
  for (int w = 0; w < kWorkers; ++w) {
    workers.emplace_back([&, w] {
      for (int i = 0; i < kEach; ++i) {
        uint64_t n = 0;
        std::string why;
        if (issuer.Issue("P" + std::to_string(w), "CHIP", &n, &why)) got[w].push_back(n);
        issuer.Record("P" + std::to_string(w), "CHIP", n, i % 2 == 0);
      }
    });
  }
  for (std::thread& t : workers) t.join();
  std::set<uint64_t> all;
  for (const auto& g : got) all.insert(g.begin(), g.end());
  EXPECT_EQ(all.size(), size_t{kWorkers * kEach});
  EXPECT_EQ(*all.rbegin(), 1u + 3u * (kWorkers * kEach - 1));
  EXPECT_EQ(Lines(path).size(), 1u + 2u * kWorkers * kEach);
}

}  // namespace
}  // namespace orven::app
