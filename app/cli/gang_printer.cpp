#include "app/cli/gang_printer.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace orven::app {

GangPrinter::GangPrinter(FILE* log, FILE* bar, std::vector<std::string> serials) : log_(log), bar_(bar) {
  for (std::string& s : serials) lines_.push_back(Line{std::move(s), {}, 0, 0, ""});
}

void GangPrinter::Begin() {
  if (bar_ == nullptr) return;
  std::lock_guard lock(mutex_);
  for (const Line& l : lines_) std::fprintf(bar_, "%-9s\n", l.serial.c_str());
  std::fflush(bar_);
}

void GangPrinter::End() {
  if (bar_ != nullptr) std::fflush(bar_);
}

void GangPrinter::RedrawLocked(size_t target) {
  // The cursor rests below the last line; go up to the target's line, rewrite it, come back down.
  const size_t up = lines_.size() - target;
  const Line& l = lines_[target];
  constexpr uint32_t kWidth = 20;
  const uint32_t filled = l.total == 0 ? 0 : std::min<uint32_t>(kWidth, l.done * kWidth / l.total);
  std::fprintf(bar_, "\033[%zuA\r\033[K%-9s [%s%s] %4u/%-4u %s %s\033[%zuB\r", up, l.serial.c_str(),
               std::string(filled, '#').c_str(), std::string(kWidth - filled, '.').c_str(), l.done, l.total,
               l.text.c_str(), l.state, up);
  std::fflush(bar_);
}

void GangPrinter::OnLog(size_t target, const std::string& line) {
  std::lock_guard lock(mutex_);
  if (bar_ == nullptr) {
    std::fprintf(log_, "%-9s %s", lines_[target].serial.c_str(), line.c_str());
    if (line.empty() || line.back() != '\n') std::fputc('\n', log_);
    std::fflush(log_);
    return;
  }
  std::string text = line;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  if (text.empty()) return;
  lines_[target].text = text;
  RedrawLocked(target);
}

void GangPrinter::OnProgress(size_t target, uint32_t done, uint32_t total) {
  if (bar_ == nullptr) return;
  std::lock_guard lock(mutex_);
  lines_[target].done = done;
  lines_[target].total = total;
  RedrawLocked(target);
}

void GangPrinter::OnFinished(size_t target, const GangResult& result) {
  if (bar_ == nullptr) return;
  std::lock_guard lock(mutex_);
  lines_[target].state = result.ok ? "ok" : "failed";
  RedrawLocked(target);
}

namespace {

std::string Seconds(uint64_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", static_cast<double>(ms) / 1000.0);
  return text;
}

}  // namespace

void PrintGangTable(const std::vector<GangRow>& rows, FILE* out) {
  const bool numbers = std::any_of(rows.begin(), rows.end(), [](const GangRow& r) { return r.number.has_value(); });
  auto row = [&](const std::string& serial, const std::string& chip, const char* result, const std::string& bytes,
                 const std::string& seconds, const std::string& number, const std::string& log) {
    char text[256];
    std::snprintf(text, sizeof text, "%-9s %-20s %-7s %8s %8s", serial.c_str(), chip.c_str(), result, bytes.c_str(),
                  seconds.c_str());
    std::string line = text;
    if (numbers) {
      std::snprintf(text, sizeof text, " %-20s", number.c_str());
      line += text;
    }
    line += " " + log;
    while (!line.empty() && line.back() == ' ') line.pop_back();
    std::fprintf(out, "%s\n", line.c_str());
  };
  row("serial", "chip", "result", "bytes", "seconds", "number", "log");
  for (const GangRow& r : rows) {
    row(r.result.serial, r.chip, r.result.ok ? "ok" : "failed", std::to_string(r.result.bytes),
        Seconds(r.result.milliseconds), r.number ? std::to_string(*r.number) : "-", r.result.failureLine);
  }
  std::fflush(out);
}

std::string GangRowJson(const GangRow& row) {
  nlohmann::json doc = {{"type", "programmer"},
                        {"serial", row.result.serial},
                        {"path", row.result.path},
                        {"chip", row.chip},
                        {"result", row.result.ok ? "ok" : "failed"},
                        {"bytes", row.result.bytes},
                        {"seconds", static_cast<double>(row.result.milliseconds) / 1000.0}};
  doc["failure"] = row.result.ok ? nlohmann::json(nullptr) : nlohmann::json(row.result.failureLine);
  if (row.number) doc["number"] = *row.number;
  return doc.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace orven::app
