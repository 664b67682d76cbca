// Base of the simulated USB devices: takes 65-byte output reports from the host, reassembles commands from the
// command report and its data reports, checks them against the command table, lets the device model answer,
// applies the fault plan and queues the reply reports with the (virtual) time they become readable.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "link/clock.h"
#include "sim/command_table.h"
#include "sim/fault_plan.h"
#include "sim/frame_report.h"

namespace orven::sim {

// What a device model answers to one command.
struct Reply {
  bool send = true;                  // false: the command expects no reply
  FrameReport report;                // marker, code and length are filled in by the base
  std::vector<uint8_t> data;         // data block following the response report
  uint32_t delayMs = 0;              // the device's own processing time
};

class SimDevice {
 public:
  SimDevice(Clock& clock, uint16_t vendorId, uint16_t productId);
  virtual ~SimDevice() = default;
  SimDevice(const SimDevice&) = delete;
  SimDevice& operator=(const SimDevice&) = delete;

  uint16_t VendorId() const { return vendorId_; }
  uint16_t ProductId() const { return productId_; }
  Clock& GetClock() const { return clock_; }

  // --- bus side ---
  // Whether the device is on the bus now.
  bool Present() const;
  // Changes each time the device leaves the bus; handles opened before no longer reach it.
  uint32_t Generation() const;
  // Takes the device off the bus for ms milliseconds (0 = until Replug). Open handles die, queues are emptied.
  void LeaveBus(uint32_t ms);
  void Replug();

  // --- transport side (handles carry the generation they were opened with) ---
  // One report from the host. False when the device is not reachable with this generation.
  bool Receive(const uint8_t* report, size_t length, uint32_t generation);
  enum class Output { kReport, kNone, kGone };
  // The next queued report if it is readable by `deadline`; *readyAt says when it became readable.
  Output TakeOutput(uint32_t generation, uint64_t deadline, uint8_t* report65, uint64_t* readyAt);
  // The time the next queued report becomes readable, or UINT64_MAX when none is queued.
  uint64_t NextOutputTime() const;
  bool PurgeOutput(uint32_t generation);

  // --- test side ---
  void SetFault(uint8_t code, Fault fault);
  void ClearFaults();
  // Command codes received, in order (for checking the exact exchange sequence).
  std::vector<uint8_t> CommandLog() const;
  void ClearCommandLog();
  // Every report the host wrote, payload only (64 bytes each), for checking report streams.
  std::vector<std::vector<uint8_t>> ReceivedReports() const;
  void RecordReports(bool on);
  // Time from the host's command to the device's reply on every exchange, in the device's clock (a USB round
  // trip takes about 2 ms); on top of the device's own processing time.
  void SetLatency(uint32_t ms);
  // What the host sent, or a device model answered, that departs from the command table (the first
  // kMaxDepartures of them), in order.
  static constexpr size_t kMaxDepartures = 64;
  std::vector<std::string> Departures() const;
  void ClearDepartures();

 protected:
  // Answers one complete command. Called with the device lock held.
  virtual Reply OnCommand(const FrameReport& command, const std::vector<uint8_t>& data) = 0;
  // The command sets the device answers (CommandSet bits); commands of other sets are departures.
  void SetCommandSets(uint8_t sets);
  // Lets a model leave the bus from inside OnCommand (lock already held).
  void LeaveBusLocked(uint32_t ms);

  mutable std::mutex mutex_;

 private:
  struct Queued {
    uint64_t readyAt;
    uint8_t report[65];
  };
  void Dispatch();
  void QueueReply(const Reply& reply, uint8_t code, const std::optional<Fault>& fault);
  void QueueReport(const uint8_t* payload64, uint64_t readyAt);
  bool PresentLocked() const;
  void Depart(std::string what);

  Clock& clock_;
  const uint16_t vendorId_;
  const uint16_t productId_;
  uint32_t generation_ = 1;
  bool unplugged_ = false;
  uint64_t absentUntil_ = 0;

  // Command being assembled.
  FrameReport pending_;
  bool havePending_ = false;
  std::vector<uint8_t> pendingData_;
  uint32_t pendingExpected_ = 0;
  uint32_t nextSequence_ = 0;

  std::deque<Queued> output_;
  FaultPlan faults_;
  std::vector<uint8_t> commandLog_;
  bool recordReports_ = false;
  std::vector<std::vector<uint8_t>> received_;
  uint32_t latencyMs_ = 0;
  uint8_t commandSets_ = kBothSets;
  std::vector<std::string> departures_;
};

}  // namespace orven::sim
