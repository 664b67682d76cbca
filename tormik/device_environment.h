// Where the programs find their programmer: real USB (hidapi), device processes behind Unix sockets
// (ORVEN_HID_SOCKET), or the built-in simulator running in virtual time (--simulate or ORVEN_DEVICE=sim).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "link/clock.h"
#include "link/hid_backend.h"
#include "sim/programmer_device.h"

namespace orven::app {

// Gives a simulated programmer the factory configuration bytes of every catalogue chip that has a
// configuration file (the file's defaults), so that a fresh simulated chip reads back like a new one.
// Chips whose file cannot be found keep all-zero configuration bytes.
void InstallFactoryConfigs(sim::ProgrammerDevice& device);

class DeviceEnvironment {
 public:
  enum class Kind { kHidapi, kSocket, kSimulator };

  // Chooses by the flag and the environment: simulate (or ORVEN_DEVICE=sim) → simulator with both models
  // attached (QX410 first; ORVEN_SIM_PROGRAMMERS=N attaches N of each, see SimProgrammerCount); else
  // ORVEN_HID_SOCKET → socket devices; else hidapi.
  static std::unique_ptr<DeviceEnvironment> Create(bool simulate);

  ~DeviceEnvironment();

  Kind GetKind() const { return kind_; }
  link::HidBackend& Backend() { return *backend_; }
  Clock& GetClock() { return *clock_; }
  // The first simulated programmer of each model (null unless Kind is kSimulator).
  std::shared_ptr<sim::ProgrammerDevice> SimQx410() const { return qx410_.empty() ? nullptr : qx410_.front(); }
  std::shared_ptr<sim::ProgrammerDevice> SimOrvenf() const { return orvenf_.empty() ? nullptr : orvenf_.front(); }
  // Every simulated programmer of a model, in enumeration order.
  const std::vector<std::shared_ptr<sim::ProgrammerDevice>>& SimQx410s() const { return qx410_; }
  const std::vector<std::shared_ptr<sim::ProgrammerDevice>>& SimOrvenfs() const { return orvenf_; }

 private:
  DeviceEnvironment() = default;

  Kind kind_ = Kind::kHidapi;
  std::unique_ptr<Clock> ownedClock_;
  Clock* clock_ = nullptr;
  std::unique_ptr<struct SimulatorParts> sim_;
  std::unique_ptr<link::HidBackend> backend_;
  std::vector<std::shared_ptr<sim::ProgrammerDevice>> qx410_;
  std::vector<std::shared_ptr<sim::ProgrammerDevice>> orvenf_;
};

// How many programmers of each model the simulated bench holds: ORVEN_SIM_PROGRAMMERS as a number from 1 to
// kMaxSimProgrammers; unset, empty or anything else gives 1.
inline constexpr unsigned kMaxSimProgrammers = 16;
unsigned SimProgrammerCount(const char* text);

// The serial number of the n-th simulated programmer of a model (from 0): the factory serial 01 AB 00 7F
// counted up by n, so the first one keeps the factory number.
uint32_t SimProgrammerSerial(unsigned n);

}  // namespace orven::app
