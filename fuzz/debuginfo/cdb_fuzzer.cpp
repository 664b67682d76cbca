// Feeds arbitrary text to the .cdb reader and to the linker map and listing readers, then asks the model every
// question a debugger asks, checking that each answer is consistent with the question.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "debuginfo/cdb_parser.h"
#include "debuginfo/linker_addresses.h"

using namespace orven::debuginfo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  CdbParser parser("fuzz.cdb");
  DebugInfo info = parser.Parse(text);
  if (parser.Diagnostics().size() > kMaxDiagnostics + 1) std::abort();
  if (parser.Diagnostics().size() > parser.MalformedRecords() + 1) std::abort();

  LinkerAddresses linker;
  linker.AddMap(text);
  linker.AddListing(text);
  info.FillMissingAddresses([&](const std::string& key, const std::string&) { return linker.Find(key); });

  for (const Function& f : info.Functions()) {
    if (info.FunctionByName(f.name) == nullptr) std::abort();
    if (!f.begin || !f.end || *f.end < *f.begin) continue;
    for (uint32_t pc : {*f.begin, *f.end, (*f.begin + *f.end) / 2}) {
      const Function* at = info.FunctionAt(pc);
      if (!at || !at->Contains(pc)) std::abort();
      const LineRecord* line = info.LineAt(pc);
      if (line && line->address > pc) std::abort();
      for (const Scope& scope : info.ScopeChainAt(pc)) {
        for (const Symbol* s : scope.symbols) {
          if (!info.FindSymbol(s->name, pc)) std::abort();
        }
      }
    }
  }
  for (const LineRecord& r : info.Lines().ByAddress()) {
    if (info.AddressesOfLine(info.Files()[r.file], r.line).empty()) std::abort();
  }
  for (const Symbol& s : info.Symbols()) {
    for (size_t i = 0; i < s.type.chain.size(); ++i) info.SizeOf(s.type, i);
  }
  for (const StructType& s : info.Structs()) {
    if (!info.StructByName(s.name)) std::abort();
  }
  return 0;
}
