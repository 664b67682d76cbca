// Go, Stop and ForceStop over the scripted device: the stop feature byte, the stop-vector question, the
// polling in virtual time and the forced-reset questions.
#include <algorithm>

#include "emulator/texts.h"
#include "link/command_codes.h"
#include "tests/emulator/scripted_emu.h"

namespace orven::testing {
namespace {

using namespace cmd;
namespace texts = emulator::texts;
using Codes = std::vector<uint8_t>;

class EmuRunControl : public ScriptedEmu {
 protected:
  void SetUp() override { Open(); }
  void OccupyStopVector() {
    Reply(EC_WRITE_CODE);
    uint32_t address = 0x30;
    ASSERT_TRUE(emu.WriteCodeMemory(Bytes(16).data(), address, 16));
    Forget();
  }
};

TEST_F(EmuRunControl, GoPollsEvery500MsUntilTheTargetHalts) {
  Reply(EC_GO);
  Reply(EC_STATUS, 0, 0x10);
  Reply(EC_STATUS, 0, 0x10);
  Reply(EC_STATUS, 0, 0x10);
  Reply(EC_STATUS, 0, 0x00);
  const uint64_t t0 = clock.NowMs();
  EXPECT_TRUE(emu.Go(0xFFFF));
  EXPECT_EQ(SentCodes(), (Codes{EC_GO, EC_STATUS, EC_STATUS, EC_STATUS, EC_STATUS}));
  EXPECT_EQ(clock.NowMs() - t0, 1500u);

  // A poll that fails, a lost go reply and a refused go end the run without a box, and the session with it:
  // the target may be running and nothing about it is known.
  for (int which = 0; which < 3; ++which) {
    SCOPED_TRACE(which);
    Forget();
    flags.fatal = false;
    if (which == 0) {
      Reply(EC_GO);
      Reply(EC_STATUS, 0, 0x10);
    }
    if (which == 2) Reply(EC_GO, 1);
    EXPECT_FALSE(emu.Go(0xFFFF));
    EXPECT_TRUE(prompter.Boxes().empty());
    EXPECT_TRUE(flags.fatal.load());
  }
}

TEST_F(EmuRunControl, StopFeatureByteFollowsOptionAndStopVector) {
  // Feature off: byte 0, no question.
  flags.e = 0;
  Reply(EC_GO);
  Reply(EC_STATUS);
  EXPECT_TRUE(emu.Go(0x0123));
  EXPECT_TRUE(SameBytes(CommandReport(EC_GO, 0x80, 0x0123, 0, {0}), Sent().at(0).report));

  // Feature on with user code over 0x003B: the question; No ends the session before anything is sent.
  flags.e = 1;
  OccupyStopVector();
  EXPECT_FALSE(emu.Go(0xFFFF));
  EXPECT_TRUE(Sent().empty());
  EXPECT_TRUE(flags.fatal.load());
  EXPECT_EQ(prompter.Boxes(), (std::vector<Box>{{'Q', texts::kCaption, texts::kStopVectorUsed}}));

  // Yes: the run goes without the feature and it stays off.
  flags.fatal = false;
  Forget();
  prompter.answers = {true};
  Reply(EC_GO);
  Reply(EC_STATUS);
  EXPECT_TRUE(emu.Go(0xFFFF));
  EXPECT_TRUE(SameBytes(CommandReport(EC_GO, 0x80, 0xFFFF, 0, {0}), Sent().at(0).report));
  EXPECT_EQ(flags.e.load(), 0);
  Forget();
  Reply(EC_GO);
  Reply(EC_STATUS);
  EXPECT_TRUE(emu.Go(0xFFFF));
  EXPECT_TRUE(prompter.Boxes().empty());
}

TEST_F(EmuRunControl, StopAndTheForcedResetQuestions) {
  struct StopCase {
    const char* name;
    int32_t e;
    uint32_t statusAfterRequest;  // reply value of the poll 200 ms after the stop request
    bool answer;
    Codes codes;
    const char* question;  // null: no box
    bool result;
    int pollStatus = 0;  // status byte of that poll; -1: no reply
  };
  const std::vector<StopCase> cases = {
      {"halts within 200 ms", 1, 0x00, false, {EC_STOP_REQUEST, EC_STATUS}, nullptr, true},
      // A poll that fails is not a running target: the stop counts as done, nothing is forced.
      {"poll lost", 1, 0x10, true, {EC_STOP_REQUEST, EC_STATUS}, nullptr, true, -1},
      {"poll refused", 1, 0x10, true, {EC_STOP_REQUEST, EC_STATUS}, nullptr, true, 1},
      {"keeps running, No", 1, 0x10, false, {EC_STOP_REQUEST, EC_STATUS}, texts::kStopFailed, false},
      {"keeps running, Yes", 1, 0x10, true, {EC_STOP_REQUEST, EC_STATUS, EC_FORCE_STOP}, texts::kStopFailed, true},
      {"feature off, No", 0, 0, false, {}, texts::kStopUnavailable, false},
      {"feature off, Yes", 0, 0, true, {EC_FORCE_STOP}, texts::kStopUnavailable, true},
  };
  for (const StopCase& c : cases) {
    SCOPED_TRACE(c.name);
    Forget();
    device->input.clear();
    flags.e = c.e;
    prompter.answers = {c.answer};
    if (c.e != 0 && c.pollStatus >= 0) Reply(EC_STATUS, static_cast<uint8_t>(c.pollStatus), c.statusAfterRequest);
    if (std::find(c.codes.begin(), c.codes.end(), EC_FORCE_STOP) != c.codes.end()) Reply(EC_FORCE_STOP);
    EXPECT_EQ(emu.Stop(), c.result);
    EXPECT_EQ(SentCodes(), c.codes);
    std::vector<Box> boxes;
    if (c.question != nullptr) boxes.push_back({'Q', texts::kCaption, c.question});
    EXPECT_EQ(prompter.Boxes(), boxes);
    EXPECT_FALSE(flags.fatal.load());
  }
}

TEST_F(EmuRunControl, LinkFailuresDuringRunControl) {
  // A force stop without reply: the box and fatal.
  EXPECT_FALSE(emu.ForceStop());
  EXPECT_EQ(prompter.Boxes(), (std::vector<Box>{{'E', texts::kCaptionCommError, texts::kCommError}}));
  EXPECT_TRUE(flags.fatal.load());

  // An unsendable go or stop request: the box and fatal.
  for (int which = 0; which < 2; ++which) {
    flags.fatal = false;
    Forget();
    device->gone = true;
    EXPECT_FALSE(which == 0 ? emu.Go(0xFFFF) : emu.Stop());
    EXPECT_EQ(prompter.Boxes(), (std::vector<Box>{{'E', texts::kCaptionCommError, texts::kCommError}}));
    EXPECT_TRUE(flags.fatal.load());
    device->gone = false;
  }

  // A malformed status reply while polling ends the run with the box and fatal.
  flags.fatal = false;
  Forget();
  Reply(EC_GO);
  Reply(EC_STEP);
  EXPECT_FALSE(emu.Go(0xFFFF));
  EXPECT_TRUE(flags.fatal.load());
  EXPECT_EQ(prompter.Boxes().size(), 1u);
}

}  // namespace
}  // namespace orven::testing
