#include "debugger/expression_texts.h"

namespace orven::debugger::texts {

std::string Fill(const char* pattern, std::string_view a, std::string_view b) {
  std::string out;
  std::string_view rest(pattern);
  std::string_view args[] = {a, b};
  size_t used = 0;
  for (size_t at = rest.find("%s"); at != std::string_view::npos && used < 2; at = rest.find("%s")) {
    out.append(rest.substr(0, at)).append(args[used++]);
    rest.remove_prefix(at + 2);
  }
  return out.append(rest);
}

}  // namespace orven::debugger::texts
