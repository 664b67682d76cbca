#include "driver/registers.h"

#include <cstdio>
#include <cstring>

namespace orven::driver {
namespace {

struct PswField {
  uint8_t mask;
  uint8_t shift;
};
// p, f1, ov, rs, f0, ac, cy
constexpr PswField kPswFields[7] = {{0x01, 0}, {0x02, 1}, {0x04, 2}, {0x18, 3}, {0x20, 5}, {0x40, 6}, {0x80, 7}};

OrvendRegisterGroup groups[2] = {{0, 1, "Regs"}, {0, 1, "Sys"}};

OrvendRegisterItem MakeItem(uint16_t group, uint16_t number, const char* name, bool changeable, bool isPc = false) {
  OrvendRegisterItem item{};
  item.description = 1;
  item.group = group;
  item.item = number;
  std::snprintf(item.name, sizeof item.name, "%s", name);
  item.is_pc = isPc ? 1 : 0;
  item.changeable = changeable ? 1 : 0;
  return item;
}

OrvendRegisterItem items[22] = {
    MakeItem(0, 0, "r0", true),    MakeItem(0, 1, "r1", true),     MakeItem(0, 2, "r2", true),
    MakeItem(0, 3, "r3", true),    MakeItem(0, 4, "r4", true),     MakeItem(0, 5, "r5", true),
    MakeItem(0, 6, "r6", true),    MakeItem(0, 7, "r7", true),     MakeItem(1, kItemAcc, "a", true),
    MakeItem(1, kItemB, "b", true), MakeItem(1, kItemSp, "sp", true), MakeItem(1, kItemDptr, "dptr", true),
    MakeItem(1, kItemPc, "PC  $", true, true), MakeItem(1, kItemPsw, "psw", true), MakeItem(1, 257, "p", true),
    MakeItem(1, 258, "f1", true),  MakeItem(1, 259, "ov", true),   MakeItem(1, 260, "rs", true),
    MakeItem(1, 261, "f0", true),  MakeItem(1, 262, "ac", true),   MakeItem(1, 263, "cy", true),
    MakeItem(1, kItemBlank, "", false),
};

void ORVEND_CDECL GetThunk(OrvendRegisterItem* item, uint32_t code) {
  DriverState& state = State();
  RegisterGet(state, state.target, item, code);
}

int ORVEND_CDECL SetThunk(OrvendRegisterItem* item, void* value) {
  DriverState& state = State();
  return RegisterSet(state, state.target, item, value);
}

OrvendRegisterView view = {2, 22, groups, items, GetThunk, SetThunk};

void SetText(OrvendRegisterItem* item, const char* format, uint32_t value) {
  std::snprintf(item->value_text, sizeof item->value_text, format, value);
}

}  // namespace

emulator::RegisterImage PackRegisters(const RegisterRecord& record) {
  emulator::RegisterImage image;
  image.SetAcc(record.acc);
  image.SetPsw(record.psw);
  image.SetDph(record.dph);
  image.SetDpl(record.dpl);
  image.SetSp(record.sp);
  image.SetPc(static_cast<uint16_t>(record.pc));
  image.SetB(record.b);
  for (int n = 0; n < 8; ++n) image.SetR(n, record.r[n]);
  return image;
}

void UnpackRegisters(const emulator::RegisterImage& image, RegisterRecord* record) {
  record->acc = image.Acc();
  record->psw = image.Psw();
  record->dph = image.Dph();
  record->dpl = image.Dpl();
  record->sp = image.Sp();
  record->pc = image.Pc();
  record->b = image.B();
  for (int n = 0; n < 8; ++n) record->r[n] = image.R(n);
}

bool RefreshRegisters(DriverState& state, Target& target) {
  if (state.running.load() || state.registersWritten.load()) return true;
  emulator::RegisterImage image;
  bool ok = target.ReadRegisters(&image);
  std::lock_guard lock(state.registerMutex);
  if (ok) UnpackRegisters(image, &state.registers);
  state.registers.pc |= 0xFF000000u;
  state.currentPc.store(state.registers.pc);
  return ok;
}

void WriteAllRegisters(DriverState& state, Target& target, const RegisterRecord& source) {
  emulator::RegisterImage image;
  {
    std::lock_guard lock(state.registerMutex);
    std::memmove(&state.registers, &source, sizeof source);
    image = PackRegisters(state.registers);
  }
  target.WriteRegisters(image);
}

OrvendRegisterView* RegisterView() { return &view; }

void RegisterGet(DriverState& state, Target* target, OrvendRegisterItem* item, uint32_t code) {
  if (state.fatal.load()) return;
  uint32_t top = code >> 28;
  if (top == 0x4) return;
  if (top == 0x8) {
    if (target != nullptr) RefreshRegisters(state, *target);
    {
      std::lock_guard lock(state.registerMutex);
      state.windowCopy = state.registers;
      if (state.host.currentPc != nullptr) *state.host.currentPc = state.registers.pc;
    }
    if (target != nullptr) target->FatalCheck();
    return;
  }
  if (item == nullptr) return;

  RegisterRecord shown;
  {
    std::lock_guard lock(state.registerMutex);
    shown = state.windowCopy;
  }
  item->redraw = 0;
  uint32_t value = 0;
  const char* format = nullptr;
  uint16_t number = item->item;
  if (number <= 7) {
    value = shown.r[number];
    format = "0x%02x";
  } else if (number == kItemAcc || number == kItemB || number == kItemSp || number == kItemPsw) {
    value = number == kItemAcc ? shown.acc : number == kItemB ? shown.b : number == kItemSp ? shown.sp : shown.psw;
    format = "0x%02x";
  } else if (number == kItemDptr) {
    value = static_cast<uint32_t>(shown.dph) * 256 + shown.dpl;
    format = "0x%04x";
  } else if (number >= kItemPswFirstField && number < kItemPswFirstField + 7) {
    const PswField& field = kPswFields[number - kItemPswFirstField];
    value = static_cast<uint32_t>((shown.psw & field.mask) >> field.shift);
    format = "%d       ";
  } else if (number == 21 || number == 22) {
    return;
  } else if (number == kItemPc) {
    uint32_t pc = shown.pc;
    if (pc != item->value || item->value_text[0] == '\0') {
      SetText(item, "0x%04x", pc & 0xFFFF);
      item->redraw = 1;
    }
    item->highlight = 0;
    item->value = pc;
    return;
  }
  if (format != nullptr && (value != item->value || item->value_text[0] == '\0')) SetText(item, format, value);
  if (value != static_cast<uint32_t>(item->value)) {
    item->highlight = 1;
    item->redraw = 1;
  } else if (item->highlight != 0) {
    item->highlight = 0;
    item->redraw = 1;
  }
  item->value = value;
}

int RegisterSet(DriverState& state, Target* target, OrvendRegisterItem* item, const void* value) {
  if (state.fatal.load() || state.running.load() || item == nullptr || value == nullptr || target == nullptr) {
    return 0;
  }
  const auto* bytes = static_cast<const uint8_t*>(value);
  RegisterRecord copy;
  bool pcChanged = false;
  {
    std::lock_guard lock(state.registerMutex);
    RegisterRecord& w = state.windowCopy;
    uint16_t number = item->item;
    if (number <= 7) {
      w.r[number] = bytes[0];
    } else if (number == kItemAcc) {
      w.acc = bytes[0];
    } else if (number == kItemB) {
      w.b = bytes[0];
    } else if (number == kItemSp) {
      w.sp = bytes[0];
    } else if (number == kItemPsw) {
      w.psw = bytes[0];
    } else if (number == kItemDptr) {
      w.dpl = bytes[0];
      w.dph = bytes[1];
    } else if (number == kItemPc) {
      uint16_t pc = 0;
      std::memcpy(&pc, bytes, sizeof pc);
      w.pc = pc | 0xFF000000u;
      pcChanged = true;
    } else if (number >= kItemPswFirstField && number < kItemPswFirstField + 7) {
      const PswField& field = kPswFields[number - kItemPswFirstField];
      w.psw = static_cast<uint8_t>((w.psw & ~field.mask) | ((bytes[0] << field.shift) & field.mask));
    } else {
      return 0;
    }
    copy = w;
  }
  // A PC set here is where the next run starts, as a PC written through AG_RegAcc.
  if (pcChanged) state.currentPc.store(copy.pc);
  WriteAllRegisters(state, *target, copy);
  target->FatalCheck();
  return 1;
}

}  // namespace orven::driver
