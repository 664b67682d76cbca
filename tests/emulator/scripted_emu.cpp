#include "tests/emulator/scripted_emu.h"

#include "link/command_codes.h"

namespace orven::testing {

Bytes CommandReport(uint8_t code, uint8_t flag, uint32_t address, uint32_t length, const Bytes& extra) {
  Bytes r(64, 0);
  r[0] = 0x58;
  r[2] = code;
  r[3] = flag;
  PutU32Le(r.data() + 4, address);
  PutU32Le(r.data() + 8, length);
  std::copy(extra.begin(), extra.end(), r.begin() + 12);
  return r;
}

IdentificationBlock Identity(uint32_t build, uint16_t model) {
  IdentificationBlock id;
  id.SetModelWord(model);
  id.SetVersion(2, 0x06, build);
  id.SetSerial(0x01, 0xAB, 0x00, 0x7F);
  return id;
}

void ScriptedEmu::Reply(uint8_t code, uint8_t status, uint32_t result, const Bytes& data) {
  const auto delay = replyDelayMs.find(code);
  device->input.push_back({Response(code, status, static_cast<uint32_t>(data.size()), result),
                           delay == replyDelayMs.end() ? 0u : delay->second});
  for (Bytes& r : DataReports(data)) device->input.push_back(std::move(r));
}

void ScriptedEmu::ReplyIdentity(uint32_t build, uint16_t model) {
  const IdentificationBlock id = Identity(build, model);
  Reply(cmd::EC_IDENTIFY, 0, 0, Bytes(id.bytes, id.bytes + 40));
}

void ScriptedEmu::Open() {
  flags.f = 15;
  ReplyIdentity(563);
  ASSERT_TRUE(emu.Connect());
  Forget();
}

std::vector<SentCommand> ScriptedEmu::Sent() const {
  std::vector<SentCommand> out;
  for (const Bytes& r : device->output) {
    if (r[0] == 0x58) {
      out.push_back({r, {}});
    } else if (r[0] == 0xA5 && !out.empty()) {
      SentCommand& c = out.back();
      const uint32_t total = c.Length();
      const uint32_t offset = 62u * r[1];
      if (offset < total) {
        const uint32_t n = std::min<uint32_t>(62, total - offset);
        c.data.insert(c.data.end(), r.begin() + 2, r.begin() + 2 + n);
      }
    }
  }
  return out;
}

std::vector<uint8_t> ScriptedEmu::SentCodes() const {
  std::vector<uint8_t> codes;
  for (const SentCommand& c : Sent()) codes.push_back(c.Code());
  return codes;
}

::testing::AssertionResult SameBytes(const Bytes& expected, const Bytes& actual) {
  if (expected == actual) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "\nexpected:\n" << HexDump(expected) << "\nactual:\n" << HexDump(actual);
}

}  // namespace orven::testing
