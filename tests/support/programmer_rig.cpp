#include "tests/support/programmer_rig.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace orven::testing {

std::string RecordingSink::Log() const {
  std::lock_guard lock(mutex_);
  std::string out;
  for (const Note& n : notes_) {
    if (n.code == programmer::kNotifyLog) out += n.text;
  }
  return out;
}

int RecordingSink::Count(uint32_t code) const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(std::count_if(notes_.begin(), notes_.end(), [&](const Note& n) { return n.code == code; }));
}

ChipEntry MakeChip(uint32_t flashSize, int32_t vendor, uint8_t algorithm, std::vector<uint8_t> signature) {
  ChipEntry chip{};
  const char16_t name[] = u"TEST CHIP";
  std::copy(std::begin(name), std::end(name), chip.name);
  chip.vendor = vendor;
  chip.flags = 0x13;
  chip.parameters.bytes[0] = algorithm;
  for (size_t i = 0; i < signature.size() && i < 4; ++i) chip.parameters.bytes[2 + i] = signature[i];
  PutU32Le(chip.parameters.bytes + 6, flashSize);
  return chip;
}

ProgrammerRig::ProgrammerRig(sim::DeviceModel model)
    : device(sim::MakeProgrammer(clock, model)), buffer(0x40000 + 32, 0xFF) {
  std::fill(buffer.begin() + 0x40000, buffer.end(), 0);
  bus.Attach(device);
  api.SetWindow(&sink);
  api.SetBuffers(Image(), Config());
}

ProgrammerRig::~ProgrammerRig() {
  api.WaitIdle();
  // Every command the host sent is one the programmer's command set forms that way.
  EXPECT_EQ(device->Departures(), std::vector<std::string>{});
}

bool ProgrammerRig::Connect() { return api.Connect(device->Identity().ModelWord()) != 0; }

void ProgrammerRig::Run(uint32_t mask, const ChipEntry& chip) {
  api.StartOperation(mask, &chip);
  api.WaitIdle();
}

}  // namespace orven::testing
