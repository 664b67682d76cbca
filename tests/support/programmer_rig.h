// A programmer connection wired to a simulated programmer on the virtual bus, with a recording window.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "link/clock.h"
#include "programmer/ice_api.h"
#include "sim/devices.h"
#include "sim/virtual_bus.h"

namespace orven::testing {

struct Note {
  uint32_t code;
  uint32_t value;
  std::string text;
  bool operator==(const Note&) const = default;
};

class RecordingSink final : public programmer::NotificationSink {
 public:
  void Notify(const programmer::Notification& n) override {
    std::lock_guard lock(mutex_);
    notes_.push_back({n.code, n.value, n.text ? n.text : ""});
  }
  std::vector<Note> Notes() const {
    std::lock_guard lock(mutex_);
    return notes_;
  }
  // All log texts joined, in order.
  std::string Log() const;
  int Count(uint32_t code) const;
  void Clear() {
    std::lock_guard lock(mutex_);
    notes_.clear();
  }

 private:
  mutable std::mutex mutex_;
  std::vector<Note> notes_;
};

// A catalogue-shaped chip entry for tests.
ChipEntry MakeChip(uint32_t flashSize, int32_t vendor = 1, uint8_t algorithm = 0,
                   std::vector<uint8_t> signature = {0x1E, 0x52, 0x06});

struct ProgrammerRig {
  explicit ProgrammerRig(sim::DeviceModel model = sim::DeviceModel::kQx410);
  ~ProgrammerRig();
  // Connects with the device's own model word; true when identified.
  bool Connect();
  // Runs one operation to its end.
  void Run(uint32_t mask, const ChipEntry& chip);
  uint8_t* Image() { return buffer.data(); }
  uint8_t* Config() { return buffer.data() + 0x40000; }

  VirtualClock clock;
  sim::VirtualBus bus;
  sim::SimBackend backend{bus};
  std::shared_ptr<sim::ProgrammerDevice> device;
  RecordingSink sink;
  std::vector<uint8_t> buffer;
  programmer::CIceAPI api{backend, clock};
};

}  // namespace orven::testing
