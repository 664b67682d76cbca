#include "sim/emulator_device.h"

#include <cstring>

#include "firmware/carried_firmware.h"

namespace orven::sim {

using namespace emu;

namespace {

constexpr uint32_t kRegisterImageLength = 16;
constexpr uint8_t kPodMajor = 1;
constexpr uint8_t kPodMinor = 0x02;

Reply Status(uint8_t status) {
  Reply r;
  r.report.bytes[3] = status;
  return r;
}

Reply NoReply() {
  Reply r;
  r.send = false;
  return r;
}

Reply Value(uint32_t value) {
  Reply r;
  r.report.SetArgument(value);
  return r;
}

struct SpaceOf {
  mcs51::Space space;
  uint32_t offset;
  uint32_t size;
};

// Where a memory command lands. The data spaces take the host's tagged address: the offset is in the low 8
// bits (D:, I:) or 16 bits (X:), the tag above is ignored. Code addresses are plain.
SpaceOf Locate(uint8_t code, uint32_t address) {
  switch (code) {
    case EC_READ_DATA:
    case EC_WRITE_DATA:
      return {mcs51::Space::kDirect, address & 0xFF, 0x100};
    case EC_READ_IDATA:
    case EC_WRITE_IDATA:
      return {mcs51::Space::kIdata, address & 0xFF, 0x100};
    case EC_READ_XDATA:
    case EC_WRITE_XDATA:
      return {mcs51::Space::kXdata, address & 0xFFFF, mcs51::Core::kMemSize};
    default:
      return {mcs51::Space::kCode, address, mcs51::Core::kMemSize};
  }
}

bool IsRead(uint8_t code) {
  return code == EC_READ_DATA || code == EC_READ_IDATA || code == EC_READ_XDATA || code == EC_READ_CODE;
}

// RegisterImage: @0 ACC  @1 PSW  @2 DPH  @3 DPL  @4 SP  @5 PC high  @6 PC low  @7 B  @8..15 R0-R7 of the bank
// that PSW selects.
std::vector<uint8_t> EncodeRegisters(const mcs51::Registers& regs) {
  std::vector<uint8_t> image(kRegisterImageLength);
  image[0] = regs.acc;
  image[1] = regs.psw;
  image[2] = static_cast<uint8_t>(regs.dptr >> 8);
  image[3] = static_cast<uint8_t>(regs.dptr);
  image[4] = regs.sp;
  image[5] = static_cast<uint8_t>(regs.pc >> 8);
  image[6] = static_cast<uint8_t>(regs.pc);
  image[7] = regs.b;
  std::memcpy(image.data() + 8, regs.r.data(), 8);
  return image;
}

mcs51::Registers DecodeRegisters(const uint8_t* image) {
  mcs51::Registers regs;
  regs.acc = image[0];
  regs.psw = image[1];
  regs.dptr = static_cast<uint16_t>(image[2] << 8 | image[3]);
  regs.sp = image[4];
  regs.pc = static_cast<uint16_t>(image[5] << 8 | image[6]);
  regs.b = image[7];
  std::memcpy(regs.r.data(), image + 8, 8);
  return regs;
}

}  // namespace

EmulatorDevice::EmulatorDevice(Clock& clock, const ProgrammerModel& model, uint32_t crystalHz)
    : ProgrammerDevice(clock, model), pod_(clock, crystalHz) {
  SetCommandSets(kBothSets);
}

void EmulatorDevice::SetPodPresent(bool present) {
  std::lock_guard lock(mutex_);
  podPresent_ = present;
}

void EmulatorDevice::SetBreakpointLimit(unsigned limit) {
  std::lock_guard lock(mutex_);
  pod_.SetBreakpointLimit(limit);
}

void EmulatorDevice::SetCrystal(uint32_t hz) {
  std::lock_guard lock(mutex_);
  pod_.CatchUp();
  pod_.SetCrystal(hz);
}

void EmulatorDevice::SetFirmwareBuild(uint32_t build) {
  IdentificationBlock id = Identity();
  const firmware::FirmwareDescriptor& emulator = firmware::EmulatorFirmware();
  if (build == emulator.Build()) {
    id.SetVersion(emulator.Major(), emulator.Minor(), build);
  } else {
    id.SetVersion(id.Major(), id.Minor(), build);
  }
  SetIdentity(id);
}

void EmulatorDevice::SetTargetChipPresent(bool present) {
  std::lock_guard lock(mutex_);
  targetChipPresent_ = present;
}

void EmulatorDevice::SetPcReadData(bool withData) {
  std::lock_guard lock(mutex_);
  pcReadData_ = withData;
}

void EmulatorDevice::WithPod(const std::function<void(Pod&)>& f) {
  std::lock_guard lock(mutex_);
  f(pod_);
}

bool EmulatorDevice::PodRunning() {
  std::lock_guard lock(mutex_);
  pod_.CatchUp();
  return pod_.Running();
}

mcs51::Registers EmulatorDevice::PodRegisters() {
  std::lock_guard lock(mutex_);
  return pod_.Core().GetRegisters();
}

std::vector<uint8_t> EmulatorDevice::PodMemory(mcs51::Space space, uint32_t address, uint32_t count) {
  std::lock_guard lock(mutex_);
  std::vector<uint8_t> out(count);
  if (!pod_.Core().ReadMemory(space, address, out.data(), count)) out.clear();
  return out;
}

void EmulatorDevice::LoadPodCode(uint16_t address, const std::vector<uint8_t>& bytes) {
  std::lock_guard lock(mutex_);
  pod_.Core().LoadCode(address, bytes.data(), bytes.size());
}

Reply EmulatorDevice::OnCommand(const FrameReport& command, const std::vector<uint8_t>& data) {
  // The pod has been running on its own since the last command: bring it up to now first.
  pod_.CatchUp();
  switch (command.Code()) {
    case EC_STATUS: {
      Reply r = ProgrammerDevice::OnCommand(command, data);
      if (r.report.Status() == 0 && pod_.Running()) r.report.SetArgument(r.report.Result() | kEmulatorRunning);
      return r;
    }
    case EC_RESTART:
    case EC_ENTER_LOADER:
      // The emulator restarts, and the pod's processor with it.
      pod_.Start();
      break;
    case EC_CHIP_INIT:
      if (!InLoaderLocked()) {
        Reply refused = ChipInit(command, data);
        if (!refused.send || refused.report.Status() != 0) return refused;
      }
      break;
    default:
      break;
  }
  return ProgrammerDevice::OnCommand(command, data);
}

Reply EmulatorDevice::ChipInit(const FrameReport& command, const std::vector<uint8_t>&) {
  // @12..35: the ChipParameterBlock; @0 algorithm, @6 u32 flash capacity.
  const uint8_t* block = command.Params();
  const uint32_t capacity = GetU32Le(block + 6);
  constexpr uint8_t kLastAlgorithm = 8;
  if (block[0] > kLastAlgorithm) return Status(kEmuStatusBadAlgorithm);
  if (capacity == 0 || capacity > 0x40000) return Status(kEmuStatusBadSize);
  if (!targetChipPresent_) return Status(kEmuStatusNoChip);
  return Reply{};
}

Reply EmulatorDevice::OnOtherCommand(const FrameReport& command, const std::vector<uint8_t>& data) {
  const uint8_t code = command.Code();
  if (code < EC_POD_INFO || code > EC_BREAKPOINT) return Status(kEmuStatusRefused);
  if (code == EC_DISCONNECT) return NoReply();
  if (InLoaderLocked()) {
    // The loader knows none of the debug commands; those without a reply stay without one.
    return code == EC_STOP_REQUEST ? NoReply() : Status(kEmuStatusRefused);
  }
  if (!podPresent_) {
    if (code == EC_POD_INFO || code == EC_POD_CHECK || code == EC_POD_START || code == EC_STOP_REQUEST) {
      return NoReply();
    }
    return Status(kEmuStatusRefused);
  }
  return PodCommand(command, data);
}

Reply EmulatorDevice::PodCommand(const FrameReport& command, const std::vector<uint8_t>& data) {
  const uint8_t code = command.Code();
  mcs51::Core& core = pod_.Core();
  switch (code) {
    case EC_POD_INFO: {
      Reply r;
      r.data.assign(kPodInfoLength, 0);
      std::memcpy(r.data.data(), "VELM5", 5);
      PutU32Le(r.data.data() + 8, pod_.CrystalHz());
      r.data[12] = kPodMajor;
      r.data[13] = kPodMinor;
      return r;
    }
    case EC_POD_CHECK:
      return Reply{};
    case EC_POD_START:
      pod_.Start();
      return Reply{};
    case EC_FORCE_STOP:
      pod_.ForceStop();
      return Reply{};
    case EC_STOP_REQUEST:
      pod_.RequestStop();
      return NoReply();
    case EC_GO:
      // @4 stop address (0xFFFF none)  @8 1 = reset the application first  @12 1 = stop-while-running feature
      pod_.Go(static_cast<uint16_t>(command.Argument()), command.Length() == 1, command.Params()[0] != 0);
      return Reply{};
    case EC_BREAKPOINT:
      switch (pod_.SetBreakpoint(static_cast<uint16_t>(command.Argument()), command.Params()[0] != 0)) {
        case Pod::BreakpointResult::kTooMany: return Status(kStatusTooManyBreakpoints);
        case Pod::BreakpointResult::kConflict: return Status(kStatusBreakpointConflict);
        case Pod::BreakpointResult::kDone: return Reply{};
      }
      return Reply{};
    default:
      break;
  }

  // Everything below looks at or changes the processor, which only a halted pod allows.
  if (pod_.Running()) return Status(kEmuStatusPodRunning);
  switch (code) {
    case EC_READ_REGS: {
      Reply r;
      r.data = EncodeRegisters(core.GetRegisters());
      return r;
    }
    case EC_WRITE_REGS:
      if (data.size() != kRegisterImageLength) return Status(kEmuStatusRange);
      core.SetRegisters(DecodeRegisters(data.data()));
      return Reply{};
    case EC_READ_PC: {
      // The PC comes in the reply value; with the knob set, two data bytes carry it too (low byte first).
      Reply r = Value(core.Pc());
      if (pcReadData_) r.data = {static_cast<uint8_t>(core.Pc() & 0xFF), static_cast<uint8_t>(core.Pc() >> 8)};
      return r;
    }
    case EC_WRITE_PC:
      core.SetPc(static_cast<uint16_t>(command.Argument()));
      return Reply{};
    case EC_STEP:
      return Value(pod_.Step());
    default:
      return MemoryCommand(command, data);
  }
}

Reply EmulatorDevice::MemoryCommand(const FrameReport& command, const std::vector<uint8_t>& data) {
  const uint8_t code = command.Code();
  const SpaceOf where = Locate(code, command.Argument());
  const bool read = IsRead(code);
  const uint32_t count = read ? command.Length() : static_cast<uint32_t>(data.size());
  if (count > kMaxTransfer || where.offset > where.size || count > where.size - where.offset) {
    return Status(kEmuStatusRange);
  }
  mcs51::Core& core = pod_.Core();
  Reply r;
  if (read) {
    r.data.assign(count, 0);
    core.ReadMemory(where.space, where.offset, r.data.data(), count);
  } else {
    core.WriteMemory(where.space, where.offset, data.data(), count);
  }
  return r;
}

}  // namespace orven::sim
