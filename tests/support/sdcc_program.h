// An SDCC-built test program: its Intel HEX image and the addresses of its symbols from the linker map.
#pragma once

#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace orven::testing {

struct SdccProgram {
  std::vector<uint8_t> code;  // from address 0 to the last byte the HEX file holds
  std::map<std::string, uint32_t> symbols;

  // Reads base.ihx and base.map; false when either is missing or malformed.
  bool Load(const std::string& base) {
    std::ifstream hex(base + ".ihx");
    std::ifstream map(base + ".map");
    if (!hex || !map) return false;
    std::string line;
    while (std::getline(hex, line)) {
      if (line.size() < 11 || line[0] != ':') return false;
      auto byte = [&](size_t i) { return static_cast<uint8_t>(std::stoul(line.substr(1 + 2 * i, 2), nullptr, 16)); };
      uint32_t count = byte(0);
      uint32_t address = static_cast<uint32_t>(byte(1) << 8 | byte(2));
      if (byte(3) == 1) break;
      if (byte(3) != 0 || line.size() < 11 + 2 * count) continue;
      if (code.size() < address + count) code.resize(address + count, 0xFF);
      for (uint32_t i = 0; i < count; ++i) code[address + i] = byte(4 + i);
    }
    while (std::getline(map, line)) {
      std::istringstream words(line);
      std::string first, second;
      words >> first >> second;
      if (first == "C:" || first == "D:") {
        std::string name;
        words >> name;
        if (!name.empty() && name[0] == '_') symbols[name] = static_cast<uint32_t>(std::stoul(second, nullptr, 16));
      } else if (!second.empty() && second[0] == '_' && first.size() == 8) {
        symbols[second] = static_cast<uint32_t>(std::stoul(first, nullptr, 16));
      }
    }
    return !code.empty();
  }
  uint32_t At(const std::string& name) const {
    auto it = symbols.find(name);
    return it == symbols.end() ? 0xFFFFFFFF : it->second;
  }
};

}  // namespace orven::testing
