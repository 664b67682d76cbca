#include "tormik/chip_selection.h"

namespace orven::app {

ChipSelection::ChipSelection(std::span<const char* const> vendors, std::span<const ChipEntry> catalogue,
                             int initialVendor, int initialListPosition, bool showNotes)
    : catalogue_(catalogue), showNotes_(showNotes) {
  for (const char* name : vendors) {
    if (!name) break;
    vendorNames_.emplace_back(name);
  }
  map_.fill(kNone);
  bool vendorFits = initialVendor >= 0 && static_cast<size_t>(initialVendor) < vendorNames_.size();
  SelectVendor(vendorFits ? initialVendor : 0);
  if (initialListPosition >= 0 && static_cast<size_t>(initialListPosition) < chipNames_.size())
    SelectChip(initialListPosition);
}

void ChipSelection::SelectVendor(int position) {
  bool known = position >= 0 && static_cast<size_t>(position) < vendorNames_.size();
  vendorPosition_ = known ? position : kNone;
  Refill();
}

void ChipSelection::SelectChip(int position) {
  bool known = position >= 0 && static_cast<size_t>(position) < chipNames_.size();
  listPosition_ = known ? position : kNone;
}

void ChipSelection::Refill() {
  chipNames_.clear();
  listPosition_ = kNone;
  if (vendorPosition_ == kNone) return;
  map_.fill(kNone);
  const int vendorNumber = vendorPosition_ + 1;
  for (size_t i = 0; i < catalogue_.size() && catalogue_[i].vendor != 0; ++i) {
    if (catalogue_[i].vendor != vendorNumber) continue;
    if (chipNames_.size() == static_cast<size_t>(kMapSlots)) break;
    map_[chipNames_.size()] = static_cast<int>(i);
    chipNames_.push_back(Utf16FieldToUtf8(catalogue_[i].name, std::size(catalogue_[i].name)));
  }
  SelectChip(0);
}

int ChipSelection::CatalogueIndexAt(int listPosition) const {
  if (listPosition < 0 || static_cast<size_t>(listPosition) >= chipNames_.size()) return kNone;
  return map_[static_cast<size_t>(listPosition)];
}

std::optional<ChipSelection::Result> ChipSelection::Accept() const {
  int index = CatalogueIndexAt(listPosition_);
  if (index == kNone) return std::nullopt;
  return Result{vendorPosition_, listPosition_, index};
}

std::optional<ChipSelection::Result> ChipSelection::DoubleClick(int position) {
  SelectChip(position);
  return Accept();
}

}  // namespace orven::app
