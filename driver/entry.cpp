// AG_MemAcc, AG_MemAtt, AG_RegAcc, AG_AllReg, AG_Serial, DllUv3Cap and EnumUv351.
#include "driver/entry.h"

#include <cstring>
#include <optional>

#include "driver-ui/setup_dialog_adapter.h"
#include "driver/device.h"
#include "driver/host_link.h"
#include "driver/memory_access.h"
#include "driver/registers.h"

namespace orven::driver {
namespace {

bool MemoryRefused(const DriverState& state) {
  return (state.running.load() && (state.featureWord.load() & kFeatureMemoryWhileRunning) == 0) ||
         state.fatal.load();
}

bool RegistersRefused(const DriverState& state) {
  return (state.running.load() && (state.featureWord.load() & kFeatureRegistersWhileRunning) == 0) ||
         state.fatal.load();
}

int RunSetupDialog(DriverState& state) {
  driverui::SetupOptions options{state.options.e.load(), state.options.f.load(), state.options.v.load(),
                                 state.options.c.load()};
  IdentificationBlock identity;
  bool identified = IdentifyDevice(&identity);
  OrvendUi ui = Link().Ui();
  int result = driverui::RunSetupDialog(options, identified ? identity.bytes : nullptr, ui.setup_dialog,
                                        ui.context);
  // The dialog's start may have corrected a vendor out of range; OK takes every control.
  state.options.e.store(options.e);
  state.options.f.store(options.f);
  state.options.v.store(options.v);
  state.options.c.store(options.c);
  return result;
}

}  // namespace

uint16_t MemAcc(uint16_t code, uint8_t* buffer, OrvendAddress* address, uint32_t count) {
  DriverState& state = State();
  if (MemoryRefused(state)) return 1;
  if (state.host.window == nullptr) return 0;
  if (code < ORVEND_MEM_READ || code > ORVEND_MEM_READ_CODE) return 3;
  bool read = code == ORVEND_MEM_READ || code == ORVEND_MEM_READ_CODE;
  uint16_t failure = read ? 2 : 5;
  if (address == nullptr || (buffer == nullptr && count != 0)) return failure;
  uint32_t tagged = address->address.tagged;
  if (code == ORVEND_MEM_WRITE_CODE || code == ORVEND_MEM_READ_CODE) tagged = (tagged & 0x00FFFFFFu) | kTagCode;
  if (code == ORVEND_MEM_READ_CODE) address->address.tagged = tagged;
  Target& target = DeviceTarget();
  uint32_t failedAddress = 0;
  bool ok = read ? ReadMemory(state, target, buffer, tagged, count, &failedAddress)
                 : WriteMemory(state, target, buffer, tagged, count, &failedAddress);
  address->error_address = ok ? 0 : failedAddress;
  target.FatalCheck();
  return ok ? 0 : failure;
}

uint32_t MemAtt(uint16_t code, uint32_t /*attribute*/, OrvendAddress* address) {
  DriverState& state = State();
  if (MemoryRefused(state)) return 1;
  if (address != nullptr) {
    if (code == 1) {
      address->error_address = 0;
    } else if (code == 2) {
      address->address.attribute = state.memory.AttributeWord(address->address.tagged);
    }
  }
  if (state.target != nullptr) state.target->FatalCheck();
  return 0;
}

uint16_t RegAcc(uint16_t code, uint32_t reg, void* value) {
  DriverState& state = State();
  if (RegistersRefused(state)) return 1;
  if (code != 1 && code != 2) return 3;
  Target& target = DeviceTarget();
  auto* bytes = static_cast<uint8_t*>(value);
  if (code == 1) {
    // Values that were not read are not handed out as the target's: the host is told.
    if (!RefreshRegisters(state, target)) {
      target.FatalCheck();
      return 1;
    }
    if (bytes != nullptr) {
      std::lock_guard lock(state.registerMutex);
      const RegisterRecord& r = state.registers;
      if (reg <= 7) {
        bytes[0] = r.r[reg];
      } else if (reg == ORVEND_REG_ACC) {
        bytes[0] = r.acc;
      } else if (reg == ORVEND_REG_DPTR) {
        uint16_t dptr = static_cast<uint16_t>(r.dph << 8 | r.dpl);
        std::memcpy(bytes, &dptr, sizeof dptr);
      } else if (reg == ORVEND_REG_PC) {
        std::memcpy(bytes, &r.pc, sizeof r.pc);
      }
    }
  } else {
    if (bytes == nullptr) return 0;
    if (reg <= 7 || reg == ORVEND_REG_ACC || reg == ORVEND_REG_DPTR) {
      RegisterRecord copy;
      {
        std::lock_guard lock(state.registerMutex);
        RegisterRecord& r = state.registers;
        if (reg <= 7) {
          r.r[reg] = bytes[0];
        } else if (reg == ORVEND_REG_ACC) {
          r.acc = bytes[0];
        } else {
          r.dpl = bytes[0];
          r.dph = bytes[1];
        }
        copy = r;
      }
      WriteAllRegisters(state, target, copy);
    } else if (reg == ORVEND_REG_PC) {
      uint32_t pc = 0;
      std::memcpy(&pc, bytes, sizeof pc);
      state.currentPc.store(pc);
      {
        std::lock_guard lock(state.registerMutex);
        state.registers.pc = pc;
      }
      target.WritePc(static_cast<uint16_t>(pc));
    } else {
      return 0;
    }
  }
  target.FatalCheck();
  return 0;
}

uint16_t AllReg(uint16_t code, void* /*block*/) {
  DriverState& state = State();
  if (RegistersRefused(state)) return 1;
  if (code != 1 && code != 2) return 3;
  Target& target = DeviceTarget();
  if (code == 1) {
    if (!RefreshRegisters(state, target)) {
      target.FatalCheck();
      return 1;
    }
  } else {
    RegisterRecord copy;
    {
      std::lock_guard lock(state.registerMutex);
      copy = state.registers;
    }
    WriteAllRegisters(state, target, copy);
    state.registersWritten.store(true);
  }
  target.FatalCheck();
  return 0;
}

uint32_t Serial(uint16_t code, uint32_t channel, uint32_t count, void* data) {
  DriverState& state = State();
  if (state.fatal.load()) return 0;
  if (code == 1) {
    OrvendSerialOutput record{channel, count, {}, data};
    Link().SendSerial(&record);
  }
  return 0;
}

uint32_t Capability(uint32_t code, void* record) {
  DriverState& state = State();
  switch (code) {
    case 1:
    case 110: {
      char* text = record == nullptr ? nullptr : static_cast<OrvendCapRecord*>(record)->option_text;
      ParseOptionsText(state.options, text);
      int ok = RunSetupDialog(state);
      if (ok == 1 && text != nullptr) FormatOptionsInto(state.options, text);
      return ok == 1 ? 1 : 0;
    }
    case 2:
      return ORVEND_TARGET_8051;
    case 100:
    case 109:
      return 1;
    default:
      return 0;
  }
}

uint32_t Enumerate(void* record, uint32_t code) {
  if (code != 2) return 0;
  DriverState& state = State();
  if (record != nullptr) {
    state.enumRecord = record;
    ParseOptionsText(state.options, static_cast<const char*>(record) + ORVEND_ENUM_OPTION_OFFSET);
  }
  return ORVEND_TARGET_8051;
}

}  // namespace orven::driver
