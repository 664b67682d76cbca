// Addresses the linker's own files give the debug keys ("G$done$0_0$0") that the .cdb leaves without one.
// SDCC 4.2 writes no linker record for bit variables, and its map lists no bit segment; only the relocated
// listing (.rst) of the module shows where they went.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace orven::debuginfo {

class LinkerAddresses {
 public:
  // A linker map (.map): symbol lines "[C:|D:]  0000001B  G$flags$0_0$0  prog".
  void AddMap(std::string_view text);
  // A relocated listing (.rst): "000000  484 G$done$0_0$0==." then the label line "000020  485 _done::", whose
  // first column is the address the linker gave it.
  void AddListing(std::string_view text);

  std::optional<uint32_t> Find(const std::string& canonicalKey) const;
  size_t Size() const { return addresses_.size(); }

 private:
  void Add(std::string_view key, uint32_t address);

  std::unordered_map<std::string, uint32_t> addresses_;
};

}  // namespace orven::debuginfo
