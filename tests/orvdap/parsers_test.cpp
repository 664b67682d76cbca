// What orvdap reads from the editor besides the framing: memory references, base64 data, the launch's
// option text.
#include <gtest/gtest.h>

#include "tools/orvdap/base64.h"
#include "tools/orvdap/instruction_breakpoints.h"
#include "tools/orvdap/launch_arguments.h"
#include "tools/orvdap/memory_reference.h"
#include "tools/orvdap/source_level.h"

namespace orven::orvdap {
namespace {

TEST(MemoryReference, ParsesEverySpaceWithinItsSizeAndNothingElse) {
  struct Case {
    const char* text;
    bool ok;
    uint32_t tagged;
    const char* canonical;
  } cases[] = {
      {"X:0x0000", true, 0x01000000, "X:0x0000"}, {"x:0xffff", true, 0x0100FFFF, "X:0xFFFF"},
      {"C:0x0100", true, 0xFF000100, "C:0x0100"}, {"C:256", true, 0xFF000100, "C:0x0100"},
      {"D:0x30", true, 0xF0000030, "D:0x30"},     {"I:0x80", true, 0xF3000080, "I:0x80"},
      {"P:0x10", true, 0xFE000010, "P:0x10"},     {"D:0x100", false, 0, ""},
      {"X:0x10000", false, 0, ""},                {"Q:0x10", false, 0, ""},
      {"X:", false, 0, ""},                       {"X:0x", false, 0, ""},
      {"X:0x12G", false, 0, ""},                  {"X 0x12", false, 0, ""},
      {"X:12a", false, 0, ""},                    {"X:0x00000000000000010", false, 0, ""},
      {"X:-1", false, 0, ""},                     {"", false, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::optional<MemoryReference> ref = ParseMemoryReference(c.text);
    ASSERT_EQ(ref.has_value(), c.ok);
    if (!ref) continue;
    EXPECT_EQ(ref->Tagged(), c.tagged);
    EXPECT_EQ(ref->Text(), c.canonical);
  }
  EXPECT_EQ(InstructionAddress("C:0x0100", -1), 0x00FF);
  EXPECT_EQ(InstructionAddress("0x0100", 2), 0x0102);
  EXPECT_EQ(InstructionAddress("X:0x0100", 0), std::nullopt);  // not code
  EXPECT_EQ(InstructionAddress("C:0xFFFF", 1), std::nullopt);
}

TEST(Base64, RoundTripsEveryTailAndRefusesWhatIsNotBase64) {
  const std::vector<uint8_t> bytes = {0x00, 0xFF, 0x10, 0x80, 0x7F, 0x3E, 0x3F};
  for (size_t n = 0; n <= bytes.size(); ++n) {
    const std::string text = EncodeBase64(bytes.data(), n);
    EXPECT_EQ(text.size() % 4, 0u);
    EXPECT_EQ(DecodeBase64(text), std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(n)))
        << text;
  }
  EXPECT_EQ(EncodeBase64(reinterpret_cast<const uint8_t*>("Man"), 3), "TWFu");
  EXPECT_EQ(DecodeBase64("AQI"), (std::vector<uint8_t>{1, 2}));  // padding left off
  for (const char* bad : {"A", "AQ=I", "AQ==A", "A===", "AQ*D", "AQID\n", "====="}) {
    EXPECT_EQ(DecodeBase64(bad), std::nullopt) << bad;
  }
}

TEST(LaunchArguments, TakesTheDriversOptionTextOnly) {
  struct Case {
    const char* text;
    bool ok;
  } cases[] = {
      {"-E1 -F15 -V0 -C0", true}, {"", true},           {"-E0", true},          {"  -C4  -E1", true},
      {"-e1", false},             {"-E", false},        {"-E1 -E0", false},     {"-E1-F0", false},
      {"-X5", false},             {"E1", false},        {"-E-1", false},        {"-E1 -F15 -V0 -C0 -E1", false},
      {"-E1 -F15 -V0 -C00000000000000000000000000000000000000000", false},
  };
  for (const Case& c : cases) EXPECT_EQ(ValidOptionText(c.text), c.ok) << c.text;

  LaunchArguments args;
  std::string error;
  ASSERT_TRUE(ParseLaunchArguments(
      nlohmann::json{{"program", "a.ihx"}, {"device", "/tmp/q.sock"}, {"answer", "yes"}, {"download", true}}, args,
      error))
      << error;
  EXPECT_EQ(args.device, LaunchArguments::Device::kSocket);
  EXPECT_EQ(args.socketPath, "/tmp/q.sock");
  EXPECT_TRUE(args.answerYes && args.download && !args.stopOnEntry);
  EXPECT_EQ(args.options, "-E1 -F15 -V0 -C0");
  // A colon would make the driver look for two devices.
  EXPECT_FALSE(ParseLaunchArguments(nlohmann::json{{"program", "a.ihx"}, {"device", "/tmp/a:/tmp/b"}}, args, error));
}

TEST(IgnoreCountOf, ReadsTheHitConditionsAnEditorSends) {
  const std::pair<const char*, std::optional<uint32_t>> cases[] = {
      {"1", 0},   {"3", 2},       {" 3 ", 2}, {">= 3", 2},          {">3", 3},  {"> 0", 1},
      {"0", 0},   {"999999999", 999999998},  {"", std::nullopt},  {"% 2", std::nullopt},
      {"==3", std::nullopt}, {"3x", std::nullopt}, {"-1", std::nullopt}, {"9999999999", std::nullopt},
  };
  for (const auto& [text, ignore] : cases) EXPECT_EQ(IgnoreCountOf(text), ignore) << text;
}

}  // namespace
}  // namespace orven::orvdap
