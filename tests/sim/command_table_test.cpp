// The simulated devices check every command and every reply against their command table: commands formed as
// the command sets define them pass, each kind of malformed command is caught and named, and every command of
// both sets gets a reply of the form the table gives it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "sim/command_table.h"
#include "sim/devices.h"
#include "tests/sim/emulator_rig.h"

namespace orven::testing {
namespace {

using namespace orven::sim::emu;
using sim::AddressField;
using sim::CommandEntry;
using sim::LengthField;
using sim::ReplyForm;

// A raw command report as the host's link would write it (report id 0, then the 64-byte payload).
struct RawCommand {
  uint8_t code;
  uint8_t flag = 0x80;
  uint32_t address = 0;
  uint32_t length = 0;
  std::vector<uint8_t> extra = {};
  uint8_t reserved = 0;
};

void Put(sim::SimDevice& device, const RawCommand& c) {
  uint8_t report[65] = {};
  report[1] = 0x58;
  report[2] = c.reserved;
  report[3] = c.code;
  report[4] = c.flag;
  PutU32Le(report + 5, c.address);
  PutU32Le(report + 9, c.length);
  if (!c.extra.empty()) std::memcpy(report + 13, c.extra.data(), c.extra.size());
  device.Receive(report, sizeof report, device.Generation());
}

void PutData(sim::SimDevice& device, uint8_t sequence) {
  uint8_t report[65] = {};
  report[1] = 0xA5;
  report[2] = sequence;
  device.Receive(report, sizeof report, device.Generation());
}

// A QX410 whose register read comes one byte short: a model that strays from its table is caught too.
class ShortRegistersDevice final : public sim::EmulatorDevice {
 public:
  explicit ShortRegistersDevice(Clock& clock) : EmulatorDevice(clock, sim::Qx410Model()) {}

 protected:
  sim::Reply OnCommand(const sim::FrameReport& command, const std::vector<uint8_t>& data) override {
    sim::Reply r = EmulatorDevice::OnCommand(command, data);
    if (command.Code() == EC_READ_REGS && !r.data.empty()) r.data.pop_back();
    return r;
  }
};

TEST(CommandTable, DeparturesFromTheCommandFormAreCaughtAndNamed) {
  enum class Device { kQx410, kOrvenf, kShortRegisters };
  struct Case {
    const char* name;
    Device device;
    std::vector<RawCommand> commands;
    std::vector<uint8_t> dataSequences;  // data reports sent after the commands
    std::vector<std::string> departures;
  };
  const std::vector<uint8_t> block(24, 1);
  const Case cases[] = {
      {"a read of 128 X: bytes", Device::kQx410, {{EC_READ_XDATA, 0x80, 0x01000000, 128}}, {}, {}},
      {"the PC read asks for its 2 bytes", Device::kQx410, {{EC_READ_PC, 0x80, 0, 2}}, {}, {}},
      {"a go with reset and the stop feature", Device::kQx410, {{EC_GO, 0x80, 0xFFFF, 1, {1}}}, {}, {}},
      {"chip initialisation with its block", Device::kQx410, {{EC_CHIP_INIT, 0x80, 0, 0, block}}, {}, {}},
      {"a write of 0 bytes goes without data", Device::kQx410, {{EC_WRITE_XDATA, 0x80, 0x01000000, 0}}, {}, {}},
      {"a write of 100 bytes in 2 data reports", Device::kQx410, {{EC_WRITE_XDATA, 0, 0x01000000, 100}}, {0, 1},
       {}},
      {"an X: read past 128 bytes", Device::kQx410, {{EC_READ_XDATA, 0x80, 0x01000000, 129}}, {},
       {"command 20 (EC_READ_XDATA): asks for 129 bytes, at most 128"}},
      {"a status poll with a length", Device::kQx410, {{EC_STATUS, 0x80, 0, 2}}, {},
       {"command 7 (EC_STATUS): length field 2, not 0"}},
      {"identify without its length", Device::kQx410, {{EC_IDENTIFY}}, {},
       {"command 0 (EC_IDENTIFY): length field 0, not 40"}},
      {"a register read with a stray length", Device::kQx410, {{EC_READ_REGS, 0x80, 0, 15}}, {},
       {"command 15 (EC_READ_REGS): length field 15, not 16"}},
      {"a status poll with an address", Device::kQx410, {{EC_STATUS, 0x80, 5}}, {},
       {"command 7 (EC_STATUS): address field 0x00000005, not 0"}},
      {"a go with length 2", Device::kQx410, {{EC_GO, 0x80, 0xFFFF, 2}}, {},
       {"command 26 (EC_GO): length field 2, not 0 or 1"}},
      {"a breakpoint mode 2 on the wire", Device::kQx410, {{EC_BREAKPOINT, 0x80, 0x100, 0, {2}}}, {},
       {"command 28 (EC_BREAKPOINT): switch byte @12 is 2, at most 1"}},
      {"a step with a stray extra byte", Device::kQx410, {{EC_STEP, 0x80, 0, 0, {0, 1}}}, {},
       {"command 27 (EC_STEP): extra byte @13 is 0x01, not 0"}},
      {"chip initialisation with 25 block bytes", Device::kQx410,
       {{EC_CHIP_INIT, 0x80, 0, 0, std::vector<uint8_t>(25, 1)}}, {},
       {"command 29 (EC_CHIP_INIT): extra byte @36 is 0x01, not 0"}},
      {"a write announcing 4 bytes without data reports", Device::kQx410, {{EC_WRITE_CODE, 0x80, 0, 4}}, {},
       {"command 17 (EC_WRITE_CODE): no data reports, but length field 4"}},
      {"an X: write of 129 bytes", Device::kQx410, {{EC_WRITE_XDATA, 0, 0x01000000, 129}}, {0, 1, 2},
       {"command 19 (EC_WRITE_XDATA): 129 data bytes, at most 128"}},
      {"a read command with data reports", Device::kQx410, {{EC_READ_REGS, 0, 0, 16}}, {0},
       {"command 15 (EC_READ_REGS): data flag 0x00, but the command carries no data"}},
      {"a data flag of neither kind", Device::kQx410, {{EC_STATUS, 0x40}}, {},
       {"command 7 (EC_STATUS): data flag 0x40"}},
      {"the reserved byte set", Device::kQx410, {{EC_STATUS, 0x80, 0, 0, {}, 1}}, {},
       {"command 7 (EC_STATUS): reserved byte 1 is 0x01"}},
      {"a code in neither set", Device::kQx410, {{6}}, {},
       {"command 6 (unknown): not in this device's command set"}},
      {"an emulator code to the programmer", Device::kOrvenf, {{EC_READ_PC, 0x80, 0, 2}}, {},
       {"command 23 (EC_READ_PC): not in this device's command set"}},
      {"a programmer code to the programmer", Device::kOrvenf, {{41}}, {}, {}},
      {"data reports out of order", Device::kQx410, {{EC_WRITE_XDATA, 0, 0x01000000, 100}}, {1, 0},
       {"data report 1 where 0 was due", "a data report without a command awaiting data"}},
      {"a data report after the command was complete", Device::kQx410, {{EC_STATUS}}, {0},
       {"a data report without a command awaiting data"}},
      {"a register read one byte short", Device::kShortRegisters, {{EC_READ_REGS, 0x80, 0, 16}}, {},
       {"command 15 (EC_READ_REGS): reply with 15 data bytes, expected 16"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VirtualClock clock;
    std::shared_ptr<sim::SimDevice> device;
    switch (c.device) {
      case Device::kQx410: device = sim::MakeEmulator(clock); break;
      case Device::kOrvenf: device = sim::MakeProgrammer(clock, sim::DeviceModel::kOrvenf); break;
      case Device::kShortRegisters: device = std::make_shared<ShortRegistersDevice>(clock); break;
    }
    for (const RawCommand& command : c.commands) Put(*device, command);
    for (uint8_t s : c.dataSequences) PutData(*device, s);
    EXPECT_EQ(device->Departures(), c.departures);
  }
}

// A command formed as the table says, with addresses that reach real memory and a chip block that a target
// chip accepts.
Command Conforming(const CommandEntry& entry) {
  Command c;
  c.code = entry.code;
  switch (entry.code) {
    case EC_READ_DATA: case EC_WRITE_DATA: c.address = 0xF0000080; break;
    case EC_READ_XDATA: case EC_WRITE_XDATA: c.address = 0x01000010; break;
    case EC_READ_IDATA: case EC_WRITE_IDATA: c.address = 0xF3000010; break;
    case EC_READ_CODE: case EC_WRITE_CODE: case EC_BREAKPOINT: c.address = 0x0100; break;
    case EC_GO: c.address = 0x0004; break;
    default: break;
  }
  if (entry.lengthField == LengthField::kFixed) c.length = entry.length;
  if (entry.lengthField == LengthField::kCount) c.length = 4;
  if (entry.lengthField == LengthField::kPayload) c.payload.assign(entry.code == EC_WRITE_REGS ? 16 : 4, 0x22);
  if (entry.extraBytes == 1) c.extra = {1};
  if (entry.extraBytes == 24) {
    c.extra.assign(24, 0);
    c.extra[0] = 1;               // algorithm
    PutU32Le(&c.extra[6], 8192);  // flash capacity
  }
  if (entry.extraBytes == 32) c.extra.assign(32, 0x5A);
  return c;
}

TEST(CommandTable, EveryCommandOfBothSetsGetsTheReplyFormItsEntryNames) {
  unsigned commands = 0;
  for (unsigned code = 0; code < 256; ++code) {
    const CommandEntry* entry = sim::FindCommand(static_cast<uint8_t>(code));
    if (entry == nullptr) continue;
    SCOPED_TRACE(entry->name);
    ++commands;
    EmulatorRig rig;
    // The chip commands find a chip in the socket.
    if (code >= 30 && code <= 41) {
      ASSERT_TRUE(rig.Exchange(Conforming(*sim::FindCommand(EC_CHIP_INIT))).ok);
    }
    const Command command = Conforming(*entry);
    if (entry->reply == ReplyForm::kNone) {
      EXPECT_TRUE(rig.SendsNoReply(command));
    } else {
      const Answer a = rig.Exchange(command);
      ASSERT_TRUE(a.ok);
      if (entry->reply == ReplyForm::kData && a.status == 0) {
        EXPECT_EQ(a.data.size(), entry->replyBytes != 0 ? entry->replyBytes : command.length);
      }
    }
    EXPECT_EQ(rig.Device().Departures(), std::vector<std::string>{});
  }
  EXPECT_EQ(commands, 39u);
}

// The identification block at the offsets the device family defines: model word, firmware version and build,
// serial number.
TEST(CommandTable, IdentifyAnswersTheBlockAtItsOffsets) {
  EmulatorRig rig;
  const Answer a = rig.Exchange(EC_IDENTIFY, 0, 40);
  ASSERT_EQ(a.data.size(), 40u);
  EXPECT_EQ(GetU16Le(&a.data[0]), 0x5295);
  EXPECT_EQ(a.data[16], 2);
  EXPECT_EQ(a.data[17], 0x06);
  EXPECT_EQ(GetU32Le(&a.data[24]), 563u);
  EXPECT_EQ(std::vector<uint8_t>(a.data.begin() + 32, a.data.begin() + 36), (std::vector<uint8_t>{1, 0xAB, 0, 0x7F}));
}

}  // namespace
}  // namespace orven::testing
