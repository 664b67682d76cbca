// The variables references orvdap hands the editor while the target is stopped. Each names a container (a
// scope now; structs, arrays and pointers once the source-level engine plugs in its values) whose children
// its lister answers. They hold until the target runs again.
#pragma once

#include <cstdint>
#include <functional>
#include <map>

#include <nlohmann/json.hpp>

namespace orven::orvdap {

class VariableReferences {
 public:
  // Answers the container's "variables" array; hex: the editor asked for hexadecimal values. False with a
  // reason when the target cannot be read.
  using Lister = std::function<bool(bool hex, nlohmann::json& variables, std::string& reason)>;

  // A new reference (1, 2, ...; 0 means "nothing to expand" in the protocol).
  int64_t Add(Lister lister);
  // The lister of a reference, or null when it is unknown or stale.
  const Lister* Find(int64_t reference) const;
  // The target ran: every reference handed out so far is stale.
  void Clear();

 private:
  std::map<int64_t, Lister> listers_;
  int64_t next_ = 1;
};

}  // namespace orven::orvdap
