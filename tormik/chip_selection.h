// What the chip selection dialog does, without the dialog: a vendor drop-down, the list of that vendor's chips,
// and the catalogue index of the chip accepted. The dialog shows this state and forwards the user's actions.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "programmer/chip_entry.h"

namespace orven::app {

class ChipSelection {
 public:
  static constexpr int kMapSlots = 300;  // list positions the map can hold; further chips are not listed
  static constexpr int kNone = -1;       // no selection / no catalogue index

  struct Result {
    int vendorPosition;
    int listPosition;
    int catalogueIndex;
  };

  // Opens on the given lists: vendors in order (a null entry, if any, ends the list), the catalogue (its vendor-0
  // entry, if any, ends it). A saved position that does not fit falls back to the first vendor / first chip, so
  // the selection shown is always a real one. Both spans must outlive this object.
  ChipSelection(std::span<const char* const> vendors, std::span<const ChipEntry> catalogue, int initialVendor,
                int initialListPosition, bool showNotes);

  const std::vector<std::string>& VendorNames() const { return vendorNames_; }
  const std::vector<std::string>& ChipNames() const { return chipNames_; }
  bool ShowNotes() const { return showNotes_; }

  int VendorPosition() const { return vendorPosition_; }  // kNone when no vendor is selected
  int ListPosition() const { return listPosition_; }      // kNone when no chip is selected

  // The drop-down's selection changed: selects the vendor (kNone or an unknown position clears the selection)
  // and refills the chip list, selecting its first chip.
  void SelectVendor(int position);
  // A click in the chip list: selects the chip (kNone or an unknown position clears the selection).
  void SelectChip(int position);

  // OK: nullopt (the dialog stays open) without a selected chip; otherwise the outputs.
  std::optional<Result> Accept() const;
  // A double click on a chip: selects it and accepts.
  std::optional<Result> DoubleClick(int position);

  // Catalogue index behind a list position, kNone when there is no such position.
  int CatalogueIndexAt(int listPosition) const;

 private:
  void Refill();

  std::span<const ChipEntry> catalogue_;
  std::vector<std::string> vendorNames_;
  std::vector<std::string> chipNames_;
  std::array<int, kMapSlots> map_{};
  int vendorPosition_ = kNone;
  int listPosition_ = kNone;
  bool showNotes_;
};

}  // namespace orven::app
