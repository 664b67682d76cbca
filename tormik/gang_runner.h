// Gang programming: the same list of chip operations on several programmers at once, one worker thread per
// programmer. Each worker owns its programmer connection and its own copy of the image; the only thing the
// workers share is the read-only data of the job.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/clock.h"
#include "link/hid_backend.h"
#include "programmer/chip_entry.h"

namespace orven::app {

// One step of the job: an operation mask (programmer::OperationMask bits) and, for steps that program or
// verify, the image to use (chip address A at offset A, ImageBuffer::kImageSize bytes; borrowed, read-only).
struct GangStep {
  uint32_t mask = 0;
  const uint8_t* image = nullptr;
};

// What every programmer of the gang does.
struct GangJob {
  uint16_t modelWord = 0;                 // the model the programmers must report
  const ChipEntry* chip = nullptr;        // borrowed for the whole run
  const uint8_t* config = nullptr;        // the 32 configuration bytes for fuse-write (may be null)
  std::vector<GangStep> steps;
};

// One programmer of the gang: its device path and serial number (as `list` shows it), and the clock its
// waits go through.
struct GangTarget {
  std::string path;
  std::string serial;
  Clock* clock = nullptr;
};

struct GangResult {
  std::string serial;
  std::string path;
  bool ok = false;
  uint64_t bytes = 0;         // bytes moved between host and chip by the steps that succeeded
  uint64_t milliseconds = 0;  // by the target's clock, from connecting to the last step
  std::string failureLine;    // the last log line before the failure, without its newline; empty when ok
};

// Called from the workers, each for its own target index; the implementation serialises what it shares.
class GangObserver {
 public:
  virtual ~GangObserver() = default;
  virtual void OnLog(size_t target, const std::string& line) = 0;
  // A new progress count for the target (done = 0), or one more step done.
  virtual void OnProgress(size_t target, uint32_t done, uint32_t total) = 0;
  virtual void OnFinished(size_t target, const GangResult& result) = 0;
};

// Gives each chip its own image before it is programmed: called on the target's worker with the worker's
// copy of a step's image (writable, ImageBuffer::kImageSize bytes) for every step that carries one. False
// refuses the chip: the worker stops there and the failure line is *why.
using GangChipHook = std::function<bool(size_t target, uint8_t* image, std::string* why)>;
// Hears each chip's outcome once its worker has finished (also from the worker thread).
using GangChipDone = std::function<void(size_t target, const GangResult& result)>;

class GangRunner {
 public:
  // backend is borrowed; it must open every target's path and be safe to use from several threads.
  explicit GangRunner(link::HidBackend& backend) : backend_(backend) {}

  void SetChipHook(GangChipHook hook) { hook_ = std::move(hook); }
  void SetChipDone(GangChipDone done) { done_ = std::move(done); }

  // Runs the job on every target at once and returns when all have finished, one result per target in the
  // order given. A target that fails (no answer, another model, a failed step, gone from the bus) fails
  // alone; the others run to their end.
  std::vector<GangResult> Run(const GangJob& job, const std::vector<GangTarget>& targets, GangObserver* observer);

 private:
  GangResult RunOne(link::HidBackend& backend, const GangJob& job, size_t index, const GangTarget& target, GangObserver* observer);

  link::HidBackend& backend_;
  GangChipHook hook_;
  GangChipDone done_;
};

// Bytes an operation moves between host and chip: the flash once per flash step, the 32 configuration bytes
// per configuration step.
uint64_t BytesMoved(uint32_t mask, uint32_t flashSize);

}  // namespace orven::app
