// The configuration item model: what one record of a chip configuration file describes, how its field value
// becomes the value the editor shows, and how item values are written back into the configuration buffer.
// Shared by the editor dialog and the command-line tool; holds no windows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orven::chipcfg {

// Kind of an item as the editor knows it (the file uses other codes, see ItemKindFromFileCode).
enum class ItemKind : uint8_t {
  kPlain = 0,     // any other file code: a row that shows only its name
  kNumber = 2,    // file code 2: hexadecimal number
  kCheckBox = 3,  // file code 1
  kDropDown = 4,  // file code 0
};

ItemKind ItemKindFromFileCode(uint8_t fileCode);

// One item as read from its record. The editor keeps its row for the item beside it, in the same order.
struct ConfigItem {
  ItemKind kind = ItemKind::kPlain;
  uint8_t category = 0;
  uint16_t bitPosition = 0;
  uint8_t bitWidth = 0;
  uint8_t valueCount = 0;
  std::array<uint8_t, 255> values{};  // entries at and beyond valueCount are 0

  // Value-list entry for option (or check state) index; 0 for an index at or beyond valueCount.
  uint8_t ValueAt(int64_t index) const;
};

// Value an item holds while it is edited: for a drop-down the option index or kNoSelection, for a check box 0
// or 1, for a number or plain row the field value (0..0xFFFFFFFF).
using ItemValue = int64_t;
inline constexpr ItemValue kNoSelection = -1;

// An item together with the texts its record hands on to the editor (UTF-8).
struct ItemDescription {
  ConfigItem item;
  std::string name;
  std::string description;
  std::string optionText;
};

// Drop-down options from option text: pieces between "|", a trailing "|" adds nothing, an empty text gives
// none, and a piece is dropped when an option already kept begins with it (ASCII letter case ignored).
std::vector<std::string> DropDownOptions(const std::string& optionText);

// Check-box labels: the text before the first "|" (unchecked) and after it (checked); "No"/"Yes" when the
// text has no "|". Each label is cut to 63 UTF-16 units.
struct CheckBoxLabels {
  std::string unchecked;
  std::string checked;
};
CheckBoxLabels CheckBoxLabelsFromText(const std::string& optionText);
inline constexpr size_t kMaxCheckBoxLabelUnits = 63;

// Value an item starts with, from its field in the configuration buffer (32 bytes).
ItemValue InitialItemValue(const ItemDescription& item, const uint8_t* config);

// Writes every item's value into its field, items in order, each as a read-modify-write of the buffer, so the
// later of two items on the same bits decides. Drop-downs and check boxes write their value-list entry (nothing
// for kNoSelection); numbers and plain rows write the value cut to the field width. Only as many items as both
// spans hold are written.
void ApplyItems(std::span<const ConfigItem> items, std::span<const ItemValue> values, uint8_t* config);
void ApplyItems(std::span<const ItemDescription> items, std::span<const ItemValue> values, uint8_t* config);

// What the value cell shows: the selected option's label, the check-box label, the number as "%X"; empty for
// a drop-down without a selection and for a plain row.
std::string ShownValue(const ItemDescription& item, ItemValue value);

// Reads hexadecimal text as a number item does: 1 to 8 digits 0-9, A-F, a-f, nothing else. False leaves
// value unchanged (the item keeps its previous value).
bool ParseHexNumber(const std::string& text, uint32_t& value);

// Result of setting an item from "NAME=VALUE" text.
enum class SetItemResult {
  kOk,
  kBadSyntax,      // no "=" or an empty name
  kUnknownItem,    // no item has that name
  kAmbiguousItem,  // more than one item has that name
  kNotEditable,    // the item is a plain row
  kUnknownValue,   // not an option label / check-box label / hex number of the item
};

// Sets the value of the item named NAME: a drop-down takes one of its option labels, a check box its unchecked
// or checked label, a number item hexadecimal text. Names and labels match exactly first, then with ASCII
// letter case ignored. values must hold one entry per item; it is changed only on kOk.
SetItemResult SetItemFromText(std::span<const ItemDescription> items, std::span<ItemValue> values,
                              const std::string& assignment);

// The command line's configuration edit: starts every item from its initial value in config, sets the items
// the "NAME=VALUE" texts name, in order, and writes all items back with ApplyItems. On the first failure
// nothing is written and failedAt (if given) receives the index of the failing text.
SetItemResult ApplyAssignments(std::span<const ItemDescription> items, std::span<const std::string> assignments,
                               uint8_t* config, size_t* failedAt = nullptr);

// Finds the one item with the given name (exact match first, then ASCII case ignored). Returns its index, or
// -1 for none and -2 when the name is not unique.
int FindItemByName(std::span<const ItemDescription> items, const std::string& name);

}  // namespace orven::chipcfg
