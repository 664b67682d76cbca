// The driver's one state record: the host's bindings, the flags the entry points share, the register copies,
// the host memory table and the options. One static instance lives as long as the library.
//
// Threads: the host calls entry points on its own threads; the only overlap the driver serves is a stop request
// while a go or step request runs. The flags those two threads share are atomics; the register copies and the
// current PC are guarded by registerMutex, the memory marks by HostMemory's own lock. Neither lock is ever held
// while the driver calls the emulator, the host or the user interface.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "driver/driver_options.h"
#include "driver/host_memory.h"
#include "orvend/orvend.h"

namespace orven::driver {

class Target;

// What the host passed with the AG_Init binding items.
struct HostBinding {
  const OrvendHostWindow* window = nullptr;  // 0x030A (Linux: the host window record)
  uint32_t messageId = 0;                    // 0x0311
  OrvendHostCallback callback = nullptr;     // 0x0312
  OrvendBreakpoint** breakpoints = nullptr;  // 0x030E: the head pointer of the host's list
  uint32_t* currentPc = nullptr;             // 0x030F
  void* instance = nullptr;                  // 0x030B, kept only
  void* dialogSlot = nullptr;                // 0x0309, kept only
};

inline constexpr uint32_t kFeatureMemoryWhileRunning = 1u << 0;
inline constexpr uint32_t kFeatureRegistersWhileRunning = 1u << 1;

struct DriverState {
  HostBinding host;

  std::atomic<uint32_t> featureWord{0};
  std::atomic<bool> fatal{false};
  std::atomic<bool> running{false};
  std::atomic<bool> stopRequested{false};
  std::atomic<bool> registersWritten{false};

  std::mutex registerMutex;  // registers, windowCopy, and the host's current-PC variable
  OrvendRegisterRecord registers{};
  OrvendRegisterRecord windowCopy{};  // what the register window shows
  std::atomic<uint32_t> currentPc{0};

  HostMemory memory;
  DriverOptions options;
  void* enumRecord = nullptr;  // EnumUv351's record, written back at shutdown

  // Run control: enabled conditional breakpoints counted by the last arming, and whether the emulator's
  // hardware breakpoints are armed for the go request in progress.
  uint32_t kind1Count = 0;
  uint32_t kind2Count = 0;
  std::atomic<bool> armed{false};

  // A flash download may be performed only after a successful preparation since the last one.
  bool downloadPrepared = false;

  Target* target = nullptr;  // the emulator; null until a device was chosen
};

// The library's instance.
DriverState& State();

}  // namespace orven::driver
