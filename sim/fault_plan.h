// Faults a simulated device can be told to commit when it receives a given command.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace orven::sim {

enum class FaultKind {
  kNoReply,        // the command is swallowed: no reply at all (the host times out)
  kWrongCode,      // the response names another command code
  kWrongMarker,    // the response report lacks its 0x5A marker
  kMissingData,    // the response announces data but no data report follows
  kShortData,      // the last data report of the response is not sent
  kBadDataMarker,  // the data reports lack their 0xA5 marker
  kRefuse,         // the response carries status `value` and no data (the command is not carried out)
  kLeaveBus,       // the device drops off the bus for `value` ms (0 = for good) instead of answering
  kSlowReply,      // the reply comes `value` ms late
};

struct Fault {
  FaultKind kind = FaultKind::kNoReply;
  uint32_t value = 0;   // status for kRefuse, milliseconds for kLeaveBus / kSlowReply
  uint32_t skip = 0;    // let this many commands of the code pass first
  int32_t times = 1;    // how often it strikes; -1 = every time
};

// Per command code, at most one fault waiting. Not thread-safe: the owning device guards it.
class FaultPlan {
 public:
  void Set(uint8_t code, Fault fault) { faults_[code] = fault; }
  void Clear() { faults_.clear(); }
  // The fault to commit for this occurrence of code, if any; counts the occurrence.
  std::optional<Fault> Take(uint8_t code);

 private:
  std::map<uint8_t, Fault> faults_;
};

// Parses "CODE:KIND[:VALUE[:SKIP[:TIMES]]]" (e.g. "38:noreply", "35:refuse:11", "2:leave:0") for the device
// process's command line. KIND is one of noreply, wrongcode, wrongmarker, missingdata, shortdata, baddata,
// refuse, leave, slow. Returns false on malformed text.
bool ParseFault(const std::string& text, uint8_t* code, Fault* fault);

}  // namespace orven::sim
