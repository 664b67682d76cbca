#include "sim/sim_device.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace orven::sim {

SimDevice::SimDevice(Clock& clock, uint16_t vendorId, uint16_t productId)
    : clock_(clock), vendorId_(vendorId), productId_(productId) {}

bool SimDevice::PresentLocked() const { return !unplugged_ && clock_.NowMs() >= absentUntil_; }

bool SimDevice::Present() const {
  std::lock_guard lock(mutex_);
  return PresentLocked();
}

uint32_t SimDevice::Generation() const {
  std::lock_guard lock(mutex_);
  return generation_;
}

void SimDevice::LeaveBusLocked(uint32_t ms) {
  ++generation_;
  output_.clear();
  havePending_ = false;
  if (ms == 0) {
    unplugged_ = true;
  } else {
    absentUntil_ = clock_.NowMs() + ms;
  }
}

void SimDevice::LeaveBus(uint32_t ms) {
  std::lock_guard lock(mutex_);
  LeaveBusLocked(ms);
}

void SimDevice::Replug() {
  std::lock_guard lock(mutex_);
  unplugged_ = false;
  absentUntil_ = 0;
}

bool SimDevice::Receive(const uint8_t* report, size_t length, uint32_t generation) {
  std::lock_guard lock(mutex_);
  if (generation != generation_ || !PresentLocked()) return false;
  // A wrongly sized report is taken and ignored, as the device's endpoint does.
  if (length != wire::kReportBytes) return true;
  const uint8_t* payload = report + 1;
  if (recordReports_) received_.emplace_back(payload, payload + wire::kPayloadBytes);

  if (payload[0] == wire::kCommandMarker) {
    std::memcpy(pending_.bytes, payload, wire::kPayloadBytes);
    havePending_ = true;
    pendingData_.clear();
    nextSequence_ = 0;
    pendingExpected_ = (payload[3] & wire::kNoDataFollows) ? 0 : pending_.Length();
    // The device's command buffer is bounded; an absurd length is cut to what one sequence byte can number.
    pendingExpected_ = std::min<uint32_t>(pendingExpected_, 256 * wire::kBytesPerDataReport);
    pendingData_.assign(pendingExpected_, 0);
    if (pendingExpected_ == 0) Dispatch();
    return true;
  }
  if (payload[0] != wire::kDataMarker) {
    Depart("a report that is neither a command nor a data report");
    return true;
  }
  if (!havePending_ || pendingExpected_ == 0) {
    Depart("a data report without a command awaiting data");
    return true;
  }
  if (payload[1] != nextSequence_) {
    Depart("data report " + std::to_string(payload[1]) + " where " + std::to_string(nextSequence_) + " was due");
  }
  nextSequence_ = payload[1] + 1u;
  const uint32_t offset = wire::kBytesPerDataReport * payload[1];
  if (offset < pendingExpected_) {
    const uint32_t n = std::min(wire::kBytesPerDataReport, pendingExpected_ - offset);
    std::memcpy(pendingData_.data() + offset, payload + 2, n);
    // The last data report completes the command (the host sends them in order).
    if (offset + n == pendingExpected_) Dispatch();
  }
  return true;
}

void SimDevice::Dispatch() {
  havePending_ = false;
  const uint8_t code = pending_.Code();
  commandLog_.push_back(code);
  Depart(CheckCommand(pending_, commandSets_));
  std::optional<Fault> fault = faults_.Take(code);
  if (fault && fault->kind == FaultKind::kNoReply) return;
  if (fault && fault->kind == FaultKind::kLeaveBus) {
    LeaveBusLocked(fault->value);
    return;
  }
  Reply reply;
  if (fault && fault->kind == FaultKind::kRefuse) {
    reply.report.bytes[3] = static_cast<uint8_t>(fault->value);
  } else {
    reply = OnCommand(pending_, pendingData_);
    Depart(CheckReply(pending_, reply.send, reply.report.Status(), static_cast<uint32_t>(reply.data.size())));
  }
  if (reply.send) QueueReply(reply, code, fault);
}

void SimDevice::QueueReply(const Reply& reply, uint8_t code, const std::optional<Fault>& fault) {
  uint64_t readyAt = clock_.NowMs() + latencyMs_ + reply.delayMs;
  if (fault && fault->kind == FaultKind::kSlowReply) readyAt += fault->value;
  const FaultKind kind = fault ? fault->kind : FaultKind::kNoReply;
  const bool faulty = fault.has_value();

  // A data fault on a reply without data announces a small block, so the fault reaches every command.
  const bool dataFault =
      faulty && (kind == FaultKind::kMissingData || kind == FaultKind::kShortData || kind == FaultKind::kBadDataMarker);
  std::vector<uint8_t> data = reply.data;
  if (dataFault && data.empty()) data.assign(8, 0);

  FrameReport r = reply.report;
  r.bytes[0] = (faulty && kind == FaultKind::kWrongMarker) ? 0x00 : wire::kResponseMarker;
  r.bytes[2] = (faulty && kind == FaultKind::kWrongCode) ? static_cast<uint8_t>(code + 1) : code;
  r.SetLength(static_cast<uint32_t>(data.size()));
  QueueReport(r.bytes, readyAt);
  if (faulty && kind == FaultKind::kMissingData) return;

  const uint32_t length = static_cast<uint32_t>(data.size());
  uint32_t reports = (length + wire::kBytesPerDataReport - 1) / wire::kBytesPerDataReport;
  if (faulty && kind == FaultKind::kShortData && reports > 0) --reports;
  uint8_t payload[wire::kPayloadBytes];
  for (uint32_t s = 0; s < reports; ++s) {
    uint32_t offset = s * wire::kBytesPerDataReport;
    uint32_t n = std::min(wire::kBytesPerDataReport, length - offset);
    std::memset(payload, 0, sizeof payload);
    payload[0] = (faulty && kind == FaultKind::kBadDataMarker) ? 0x00 : wire::kDataMarker;
    payload[1] = static_cast<uint8_t>(s);
    std::memcpy(payload + 2, data.data() + offset, n);
    QueueReport(payload, readyAt);
  }
}

void SimDevice::QueueReport(const uint8_t* payload64, uint64_t readyAt) {
  Queued q;
  q.readyAt = readyAt;
  q.report[0] = 0;
  std::memcpy(q.report + 1, payload64, wire::kPayloadBytes);
  output_.push_back(q);
}

SimDevice::Output SimDevice::TakeOutput(uint32_t generation, uint64_t deadline, uint8_t* report65,
                                        uint64_t* readyAt) {
  std::lock_guard lock(mutex_);
  if (generation != generation_ || !PresentLocked()) return Output::kGone;
  if (output_.empty() || output_.front().readyAt > deadline) return Output::kNone;
  std::memcpy(report65, output_.front().report, 65);
  *readyAt = output_.front().readyAt;
  output_.pop_front();
  return Output::kReport;
}

uint64_t SimDevice::NextOutputTime() const {
  std::lock_guard lock(mutex_);
  return output_.empty() ? std::numeric_limits<uint64_t>::max() : output_.front().readyAt;
}

bool SimDevice::PurgeOutput(uint32_t generation) {
  std::lock_guard lock(mutex_);
  if (generation != generation_ || !PresentLocked()) return false;
  // Reports not yet sent by the device stay: a purge only drops what already sits in the host's buffer.
  const uint64_t now = clock_.NowMs();
  while (!output_.empty() && output_.front().readyAt <= now) output_.pop_front();
  return true;
}

void SimDevice::SetFault(uint8_t code, Fault fault) {
  std::lock_guard lock(mutex_);
  faults_.Set(code, fault);
}

void SimDevice::ClearFaults() {
  std::lock_guard lock(mutex_);
  faults_.Clear();
}

std::vector<uint8_t> SimDevice::CommandLog() const {
  std::lock_guard lock(mutex_);
  return commandLog_;
}

void SimDevice::ClearCommandLog() {
  std::lock_guard lock(mutex_);
  commandLog_.clear();
}

std::vector<std::vector<uint8_t>> SimDevice::ReceivedReports() const {
  std::lock_guard lock(mutex_);
  return received_;
}

void SimDevice::RecordReports(bool on) {
  std::lock_guard lock(mutex_);
  recordReports_ = on;
  received_.clear();
}

void SimDevice::SetLatency(uint32_t ms) {
  std::lock_guard lock(mutex_);
  latencyMs_ = ms;
}

void SimDevice::SetCommandSets(uint8_t sets) {
  std::lock_guard lock(mutex_);
  commandSets_ = sets;
}

void SimDevice::Depart(std::string what) {
  if (!what.empty() && departures_.size() < kMaxDepartures) departures_.push_back(std::move(what));
}

std::vector<std::string> SimDevice::Departures() const {
  std::lock_guard lock(mutex_);
  return departures_;
}

void SimDevice::ClearDepartures() {
  std::lock_guard lock(mutex_);
  departures_.clear();
}

}  // namespace orven::sim
