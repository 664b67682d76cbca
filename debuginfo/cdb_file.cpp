#include "debuginfo/cdb_file.h"

#include <filesystem>
#include <fstream>
#include <set>

#include "debuginfo/cdb_parser.h"
#include "debuginfo/linker_addresses.h"
#include "debuginfo/texts.h"

namespace orven::debuginfo {
namespace {

enum class ReadResult { kOk, kMissing, kTooLarge };

ReadResult ReadBounded(const std::filesystem::path& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return ReadResult::kMissing;
  in.seekg(0, std::ios::end);
  std::streamoff size = in.tellg();
  if (size < 0) return ReadResult::kMissing;
  if (static_cast<uint64_t>(size) > kMaxDebugFileSize) return ReadResult::kTooLarge;
  in.seekg(0);
  out.resize(static_cast<size_t>(size));
  in.read(out.data(), size);
  if (in.gcount() != size) return ReadResult::kMissing;
  return ReadResult::kOk;
}

}  // namespace

CdbLoad LoadCdbFile(const std::string& path) {
  CdbLoad load;
  std::string text;
  switch (ReadBounded(path, text)) {
    case ReadResult::kMissing: load.diagnostics.push_back({path, 0, texts::kCannotOpen}); return load;
    case ReadResult::kTooLarge: load.diagnostics.push_back({path, 0, texts::kTooLarge}); return load;
    case ReadResult::kOk: break;
  }
  CdbParser parser(path);
  DebugInfo info = parser.Parse(text);
  load.diagnostics = parser.Diagnostics();
  load.malformedRecords = parser.MalformedRecords();

  std::vector<const Symbol*> missing = info.SymbolsWithoutAddress();
  bool functionWithoutBegin = false;
  for (const Function& f : info.Functions()) functionWithoutBegin = functionWithoutBegin || !f.begin;
  if (!missing.empty() || functionWithoutBegin) {
    std::filesystem::path cdb(path);
    LinkerAddresses linker;
    std::string file;
    if (ReadBounded(std::filesystem::path(cdb).replace_extension(".map"), file) == ReadResult::kOk) {
      linker.AddMap(file);
    }
    std::set<std::string> modules;
    for (const Symbol* s : missing) modules.insert(s->module);
    for (const Function& f : info.Functions()) {
      if (!f.begin) modules.insert(f.module);
    }
    for (const std::string& module : modules) {
      if (module.empty() || module.find_first_of("/\\") != std::string::npos) continue;
      if (ReadBounded(cdb.parent_path() / (module + ".rst"), file) == ReadResult::kOk) linker.AddListing(file);
    }
    load.completedFromLinker =
        info.FillMissingAddresses([&](const std::string& key, const std::string&) { return linker.Find(key); });
  }
  load.withoutAddress = info.SymbolsWithoutAddress().size();
  load.info = std::move(info);
  return load;
}

}  // namespace orven::debuginfo
