// The program's C source as orvhost shows it, in gdb's forms: list, info line, info symbol, and the location
// and source line a stop prints. Keeps the current source file and where a plain list goes on.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "tools/orvhost/program_source.h"

namespace orven::orvhost {

class SourceView {
 public:
  // The source is borrowed and must outlive the view.
  explicit SourceView(ProgramSource& source) : source_(source) {}

  // list [LOCATION]: ten lines around the place; without one, the ten after the last listed (around a stop
  // that came since, or around main the first time). False with the reason when nothing can be listed.
  bool List(const std::string& location, std::string& out, std::string& error);
  // info line LOCATION: the addresses a line's code occupies.
  bool InfoLine(const std::string& location, std::string& out, std::string& error);
  // info symbol ADDR: the function or variable an address lies in (ADDR a code address, or SPACE:ADDR).
  bool InfoSymbol(const std::string& address, std::string& out, std::string& error);
  // What a stop at pc prints when the PC has line information: "stopped C:XXXX in F () at FILE:LINE" and the
  // source line (only the first when the source cannot be read). nullopt without line information.
  std::optional<std::string> StopText(uint16_t pc);
  // Another program was loaded: nothing listed yet.
  void Reset();

 private:
  bool ListFrom(uint32_t file, uint32_t first, std::string& out, std::string& error);
  // The file a bare LINE means: the last listed or stopped in, else main's, else the only one.
  std::optional<uint32_t> CurrentFile() const;

  ProgramSource& source_;
  std::optional<uint32_t> file_;    // the current source file
  uint32_t next_ = 0;               // the line a plain list goes on with; 0 before the first list
  std::optional<uint32_t> around_;  // the line of a stop since the last list
};

}  // namespace orven::orvhost
