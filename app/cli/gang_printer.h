// What tormik-cli shows while several programmers run at once: one progress line per programmer (serial number
// first) redrawn in place on a terminal, every log line prefixed with the serial number otherwise; then the
// result table or one JSON document per programmer.
#pragma once

#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "tormik/gang_runner.h"

namespace orven::app {

class GangPrinter final : public GangObserver {
 public:
  // log: where plain lines go; bar: the terminal for the live lines (null: print plainly). serials: one per
  // target, in target order. Both streams are borrowed.
  GangPrinter(FILE* log, FILE* bar, std::vector<std::string> serials);

  // Draws the first lines (live mode) before the workers start.
  void Begin();
  // Leaves the live lines as they are and moves below them.
  void End();

  void OnLog(size_t target, const std::string& line) override;
  void OnProgress(size_t target, uint32_t done, uint32_t total) override;
  void OnFinished(size_t target, const GangResult& result) override;

 private:
  struct Line {
    std::string serial;
    std::string text;  // the last log line
    uint32_t done = 0;
    uint32_t total = 0;
    const char* state = "";  // "", "ok" or "failed"
  };
  void RedrawLocked(size_t target);

  FILE* log_;
  FILE* bar_;
  std::mutex mutex_;
  std::vector<Line> lines_;
};

// One row of the result table, with the stamp given to the chip (if any).
struct GangRow {
  GangResult result;
  std::string chip;
  std::optional<uint64_t> number;
};

// The table: serial number, chip, result, bytes, seconds, [number,] the failure's log line.
void PrintGangTable(const std::vector<GangRow>& rows, FILE* out);
// One JSON document (one line) for the row.
std::string GangRowJson(const GangRow& row);

}  // namespace orven::app
