#include "chipcfg/config_item.h"

#include <cstdio>

#include "chipcfg/config_field.h"
#include "chipcfg/text_codec.h"
#include "chipcfg/texts.h"

namespace orven::chipcfg {
namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Case is folded for ASCII letters only: the labels are English and Chinese, and a byte-wise fold can never
// split a multi-byte character.
bool StartsWithIgnoreCase(const std::string& text, const std::string& prefix) {
  if (prefix.size() > text.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (AsciiLower(text[i]) != AsciiLower(prefix[i])) return false;
  }
  return true;
}

bool EqualsIgnoreCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && StartsWithIgnoreCase(a, b);
}

std::string Trim(const std::string& s) {
  size_t b = 0;
  size_t e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

// Index of the label equal to text, exact match first, then ASCII case ignored; -1 if none.
int FindLabel(const std::vector<std::string>& labels, const std::string& text) {
  for (size_t i = 0; i < labels.size(); ++i) {
    if (labels[i] == text) return static_cast<int>(i);
  }
  for (size_t i = 0; i < labels.size(); ++i) {
    if (EqualsIgnoreCase(labels[i], text)) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

ItemKind ItemKindFromFileCode(uint8_t fileCode) {
  switch (fileCode) {
    case 0: return ItemKind::kDropDown;
    case 1: return ItemKind::kCheckBox;
    case 2: return ItemKind::kNumber;
    default: return ItemKind::kPlain;
  }
}

uint8_t ConfigItem::ValueAt(int64_t index) const {
  if (index < 0 || index >= valueCount) return 0;
  return values[static_cast<size_t>(index)];
}

std::vector<std::string> DropDownOptions(const std::string& optionText) {
  std::vector<std::string> options;
  size_t start = 0;
  while (start < optionText.size()) {
    size_t bar = optionText.find('|', start);
    if (bar == std::string::npos) bar = optionText.size();
    std::string piece = optionText.substr(start, bar - start);
    bool covered = false;
    for (const std::string& kept : options) {
      if (StartsWithIgnoreCase(kept, piece)) {
        covered = true;
        break;
      }
    }
    if (!covered) options.push_back(std::move(piece));
    start = bar + 1;
  }
  return options;
}

CheckBoxLabels CheckBoxLabelsFromText(const std::string& optionText) {
  const size_t bar = optionText.find('|');
  if (bar == std::string::npos) return {kCheckBoxUncheckedLabel, kCheckBoxCheckedLabel};
  return {TruncateUtf16(optionText.substr(0, bar), kMaxCheckBoxLabelUnits),
          TruncateUtf16(optionText.substr(bar + 1), kMaxCheckBoxLabelUnits)};
}

ItemValue InitialItemValue(const ItemDescription& desc, const uint8_t* config) {
  const ConfigItem& item = desc.item;
  const uint32_t raw = GetFieldValue(config, item.bitPosition, item.bitWidth);
  switch (item.kind) {
    case ItemKind::kDropDown: {
      ItemValue index = raw;
      for (size_t k = 0; k < item.valueCount; ++k) {
        if (item.values[k] == raw) {
          index = static_cast<ItemValue>(k);
          break;
        }
      }
      const size_t optionCount = DropDownOptions(desc.optionText).size();
      return index < static_cast<ItemValue>(optionCount) ? index : kNoSelection;
    }
    case ItemKind::kCheckBox:
      return raw != item.values[0] ? 1 : 0;
    case ItemKind::kNumber:
    case ItemKind::kPlain:
      break;
  }
  return raw;
}

void ApplyItems(std::span<const ConfigItem> items, std::span<const ItemValue> values, uint8_t* config) {
  const size_t n = items.size() < values.size() ? items.size() : values.size();
  for (size_t i = 0; i < n; ++i) {
    const ConfigItem& item = items[i];
    const ItemValue v = values[i];
    switch (item.kind) {
      case ItemKind::kDropDown:
      case ItemKind::kCheckBox:
        if (v == kNoSelection) break;
        SetFieldValue(config, item.bitPosition, item.bitWidth, item.ValueAt(v));
        break;
      case ItemKind::kNumber:
      case ItemKind::kPlain:
        SetFieldValue(config, item.bitPosition, item.bitWidth, static_cast<uint32_t>(v));
        break;
    }
  }
}

void ApplyItems(std::span<const ItemDescription> items, std::span<const ItemValue> values, uint8_t* config) {
  std::vector<ConfigItem> plain;
  plain.reserve(items.size());
  for (const ItemDescription& d : items) plain.push_back(d.item);
  ApplyItems(std::span<const ConfigItem>(plain), values, config);
}

std::string ShownValue(const ItemDescription& desc, ItemValue value) {
  switch (desc.item.kind) {
    case ItemKind::kDropDown: {
      const std::vector<std::string> options = DropDownOptions(desc.optionText);
      if (value < 0 || value >= static_cast<ItemValue>(options.size())) return {};
      return options[static_cast<size_t>(value)];
    }
    case ItemKind::kCheckBox: {
      const CheckBoxLabels labels = CheckBoxLabelsFromText(desc.optionText);
      return value != 0 ? labels.checked : labels.unchecked;
    }
    case ItemKind::kNumber: {
      char text[16];
      std::snprintf(text, sizeof(text), "%X", static_cast<unsigned>(static_cast<uint32_t>(value)));
      return text;
    }
    case ItemKind::kPlain:
      break;
  }
  return {};
}

bool ParseHexNumber(const std::string& text, uint32_t& value) {
  if (text.empty() || text.size() > 8) return false;
  uint32_t v = 0;
  for (char c : text) {
    unsigned digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else if (c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else {
      return false;
    }
    v = (v << 4) | digit;
  }
  value = v;
  return true;
}

int FindItemByName(std::span<const ItemDescription> items, const std::string& name) {
  int found = -1;
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i].name != name) continue;
    if (found >= 0) return -2;
    found = static_cast<int>(i);
  }
  if (found >= 0) return found;
  for (size_t i = 0; i < items.size(); ++i) {
    if (!EqualsIgnoreCase(items[i].name, name)) continue;
    if (found >= 0) return -2;
    found = static_cast<int>(i);
  }
  return found;
}

SetItemResult SetItemFromText(std::span<const ItemDescription> items, std::span<ItemValue> values,
                              const std::string& assignment) {
  const size_t eq = assignment.find('=');
  if (eq == std::string::npos) return SetItemResult::kBadSyntax;
  const std::string name = Trim(assignment.substr(0, eq));
  const std::string text = Trim(assignment.substr(eq + 1));
  if (name.empty()) return SetItemResult::kBadSyntax;
  const int index = FindItemByName(items, name);
  if (index == -1) return SetItemResult::kUnknownItem;
  if (index == -2) return SetItemResult::kAmbiguousItem;
  if (static_cast<size_t>(index) >= values.size()) return SetItemResult::kUnknownItem;
  const ItemDescription& desc = items[static_cast<size_t>(index)];

  ItemValue newValue = 0;
  switch (desc.item.kind) {
    case ItemKind::kDropDown: {
      const int option = FindLabel(DropDownOptions(desc.optionText), text);
      if (option < 0) return SetItemResult::kUnknownValue;
      newValue = option;
      break;
    }
    case ItemKind::kCheckBox: {
      const CheckBoxLabels labels = CheckBoxLabelsFromText(desc.optionText);
      const int state = FindLabel({labels.unchecked, labels.checked}, text);
      if (state < 0) return SetItemResult::kUnknownValue;
      newValue = state;
      break;
    }
    case ItemKind::kNumber: {
      std::string digits = text;
      if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) digits = digits.substr(2);
      uint32_t number = 0;
      if (!ParseHexNumber(digits, number)) return SetItemResult::kUnknownValue;
      newValue = number;
      break;
    }
    case ItemKind::kPlain:
      return SetItemResult::kNotEditable;
  }
  values[static_cast<size_t>(index)] = newValue;
  return SetItemResult::kOk;
}

SetItemResult ApplyAssignments(std::span<const ItemDescription> items, std::span<const std::string> assignments,
                               uint8_t* config, size_t* failedAt) {
  std::vector<ItemValue> values;
  values.reserve(items.size());
  for (const ItemDescription& d : items) values.push_back(InitialItemValue(d, config));
  for (size_t i = 0; i < assignments.size(); ++i) {
    const SetItemResult r = SetItemFromText(items, values, assignments[i]);
    if (r != SetItemResult::kOk) {
      if (failedAt != nullptr) *failedAt = i;
      return r;
    }
  }
  ApplyItems(items, values, config);
  return SetItemResult::kOk;
}

}  // namespace orven::chipcfg
