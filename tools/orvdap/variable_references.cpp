#include "tools/orvdap/variable_references.h"

namespace orven::orvdap {

int64_t VariableReferences::Add(Lister lister) {
  const int64_t reference = next_++;
  listers_.emplace(reference, std::move(lister));
  return reference;
}

const VariableReferences::Lister* VariableReferences::Find(int64_t reference) const {
  const auto it = listers_.find(reference);
  return it == listers_.end() ? nullptr : &it->second;
}

// Numbers keep growing across stops, so an editor holding a reference from before a run never gets another
// container's children.
void VariableReferences::Clear() { listers_.clear(); }

}  // namespace orven::orvdap
