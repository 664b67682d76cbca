#include "tools/cfgc/config_source.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>

#include "chipcfg/config_field.h"
#include "chipcfg/config_file.h"
#include "chipcfg/config_item.h"
#include "chipcfg/text_codec.h"

namespace orven::cfgc {
namespace {

using Json = nlohmann::ordered_json;
namespace L = chipcfg::layout;

// Compilation stops at the first error; the message carries the field path.
struct SourceError {
  std::string message;
};

[[noreturn]] void Fail(const std::string& path, const std::string& what) { throw SourceError{path + ": " + what}; }

void CheckKeys(const Json& obj, const std::string& path, const std::set<std::string>& allowed) {
  for (auto it = obj.begin(); it != obj.end(); ++it) {
    if (allowed.count(it.key()) == 0) Fail(path.empty() ? it.key() : path + "." + it.key(), "unknown field");
  }
}

std::string Join(const std::string& path, const std::string& key) { return path.empty() ? key : path + "." + key; }

// An integer given as a JSON number or as a "0x.." / decimal string.
uint32_t Integer(const Json& v, const std::string& path, uint32_t maxValue) {
  uint64_t n = 0;
  if (v.is_number_unsigned()) {
    n = v.get<uint64_t>();
  } else if (v.is_number_integer()) {
    Fail(path, "must not be negative");
  } else if (v.is_string()) {
    const std::string s = v.get<std::string>();
    const bool hex = s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
    const std::string digits = hex ? s.substr(2) : s;
    if (digits.empty() || digits.size() > 10) Fail(path, "not a number: \"" + s + "\"");
    for (char c : digits) {
      const bool ok = hex ? std::isxdigit(static_cast<unsigned char>(c)) != 0 : (c >= '0' && c <= '9');
      if (!ok) Fail(path, "not a number: \"" + s + "\"");
    }
    n = std::stoull(digits, nullptr, hex ? 16 : 10);
  } else {
    Fail(path, "expected an integer");
  }
  if (n > maxValue) Fail(path, "must be at most " + std::to_string(maxValue));
  return static_cast<uint32_t>(n);
}

const Json& Required(const Json& obj, const std::string& key, const std::string& path) {
  auto it = obj.find(key);
  if (it == obj.end()) Fail(Join(path, key), "missing");
  return *it;
}

std::vector<uint8_t> HexBytes(const Json& v, const std::string& path) {
  if (!v.is_string()) Fail(path, "expected a string of hex bytes");
  const std::string s = v.get<std::string>();
  std::vector<uint8_t> out;
  int pending = -1;
  for (char c : s) {
    if (c == ' ' || c == '\t' || c == '\n') {
      if (pending >= 0) Fail(path, "odd number of hex digits");
      continue;
    }
    if (!std::isxdigit(static_cast<unsigned char>(c))) Fail(path, std::string("not a hex digit: '") + c + "'");
    const int d = std::stoi(std::string(1, c), nullptr, 16);
    if (pending < 0) {
      pending = d;
    } else {
      out.push_back(static_cast<uint8_t>(pending * 16 + d));
      pending = -1;
    }
  }
  if (pending >= 0) Fail(path, "odd number of hex digits");
  return out;
}

std::string Text(const Json& v, const std::string& path) {
  if (!v.is_string()) Fail(path, "expected a string");
  return v.get<std::string>();
}

std::vector<uint8_t> Encoded(const std::string& text, const std::string& codePage, const std::string& path) {
  std::vector<uint8_t> out;
  if (!chipcfg::EncodeText(text, codePage, out)) Fail(path, "text cannot be written in code page " + codePage);
  return out;
}

// One of an item's texts: "key" as a string (encoded, terminator added, checked against the editor's limit)
// or "keyHex" as the stored bytes verbatim. Absent when neither is given or the string is null.
std::vector<uint8_t> ItemText(const Json& item, const std::string& key, const std::string& path,
                              const std::string& codePage, size_t maxUnits, bool joinArray) {
  const bool hasText = item.contains(key);
  const bool hasHex = item.contains(key + "Hex");
  if (hasText && hasHex) Fail(Join(path, key), "give either " + key + " or " + key + "Hex");
  if (hasHex) {
    std::vector<uint8_t> raw = HexBytes(item[key + "Hex"], Join(path, key + "Hex"));
    if (raw.size() > 0xFFFF) Fail(Join(path, key + "Hex"), "longer than 65,535 bytes");
    return raw;
  }
  if (!hasText || item[key].is_null()) return {};
  const Json& v = item[key];
  std::string text;
  if (joinArray && v.is_array()) {
    for (size_t i = 0; i < v.size(); ++i) {
      const std::string label = Text(v[i], Join(path, key) + "[" + std::to_string(i) + "]");
      if (label.find('|') != std::string::npos) Fail(Join(path, key) + "[" + std::to_string(i) + "]", "a label cannot hold \"|\"");
      text += (i ? "|" : "") + label;
    }
  } else {
    text = Text(v, Join(path, key));
  }
  if (chipcfg::Utf16Length(text) > maxUnits) Fail(Join(path, key), "longer than " + std::to_string(maxUnits) + " characters");
  std::vector<uint8_t> stored = Encoded(text, codePage, Join(path, key));
  stored.push_back(0);
  if (stored.size() > L::kMaxStoredText) Fail(Join(path, key), "longer than " + std::to_string(L::kMaxStoredText) + " bytes");
  return stored;
}

uint8_t KindCode(const Json& v, const std::string& path) {
  if (v.is_string()) {
    const std::string s = v.get<std::string>();
    if (s == "dropdown") return 0;
    if (s == "checkbox") return 1;
    if (s == "number") return 2;
    if (s == "plain") return 3;
    Fail(path, "unknown kind \"" + s + "\" (dropdown, checkbox, number, plain or a code 0..255)");
  }
  return static_cast<uint8_t>(Integer(v, path, 255));
}

uint8_t CategoryIndex(const Json& v, const std::string& path, const std::vector<std::string>& names) {
  if (v.is_string()) {
    const std::string s = v.get<std::string>();
    int found = -1;
    for (size_t i = 0; i < names.size(); ++i) {
      if (names[i] != s) continue;
      if (found >= 0) Fail(path, "category \"" + s + "\" is listed twice; use its index");
      found = static_cast<int>(i);
    }
    if (found < 0) Fail(path, "no category named \"" + s + "\"");
    return static_cast<uint8_t>(found);
  }
  return static_cast<uint8_t>(Integer(v, path, L::kCategoryCount - 1));
}

void CompileItem(const Json& item, const std::string& path, const std::string& codePage,
                 const std::vector<std::string>& categories, ImageRecord& r, std::vector<std::string>& warnings) {
  if (!item.is_object()) Fail(path, "expected an object");
  CheckKeys(item, path, {"name", "nameHex", "description", "descriptionHex", "options", "optionsHex", "kind",
                         "category", "bit", "width", "values", "reserved"});
  r.kindCode = KindCode(Required(item, "kind", path), Join(path, "kind"));
  r.category = CategoryIndex(Required(item, "category", path), Join(path, "category"), categories);
  r.bitPosition = static_cast<uint16_t>(Integer(Required(item, "bit", path), Join(path, "bit"), 0xFFFF));
  r.bitWidth = static_cast<uint8_t>(Integer(Required(item, "width", path), Join(path, "width"), 255));
  if (!chipcfg::FieldFits(r.bitPosition, r.bitWidth)) {
    Fail(path, "field at bit " + std::to_string(r.bitPosition) + ", width " + std::to_string(r.bitWidth) +
                   " does not lie in its 32-bit window inside the 32-byte buffer");
  }
  if (item.contains("values")) {
    const Json& values = item["values"];
    if (!values.is_array()) Fail(Join(path, "values"), "expected an array");
    if (values.size() > 255) Fail(Join(path, "values"), "more than 255 values");
    for (size_t i = 0; i < values.size(); ++i) {
      r.values.push_back(static_cast<uint8_t>(Integer(values[i], Join(path, "values") + "[" + std::to_string(i) + "]", 255)));
    }
  }
  if (item.contains("reserved")) {
    const std::vector<uint8_t> reserved = HexBytes(item["reserved"], Join(path, "reserved"));
    if (reserved.size() != 4) Fail(Join(path, "reserved"), "must be 4 bytes");
    for (size_t k = 0; k < 4; ++k) r.reserved[k] = reserved[k];
  }
  r.name = ItemText(item, "name", path, codePage, L::kMaxNameUnits, false);
  r.description = ItemText(item, "description", path, codePage, L::kMaxDescriptionUnits, false);
  r.optionText = ItemText(item, "options", path, codePage, L::kMaxOptionUnits, true);

  // Legal but likely mistakes: labels the editor drops, labels without values.
  const chipcfg::ItemKind kind = chipcfg::ItemKindFromFileCode(r.kindCode);
  std::string optionText;
  chipcfg::DecodeText(r.optionText.data(), r.optionText.empty() ? 0 : r.optionText.size() - 1, codePage, optionText);
  if (kind == chipcfg::ItemKind::kDropDown) {
    size_t pieces = 0;
    for (size_t start = 0; start < optionText.size(); ++pieces) {
      const size_t bar = optionText.find('|', start);
      start = bar == std::string::npos ? optionText.size() : bar + 1;
    }
    const size_t kept = chipcfg::DropDownOptions(optionText).size();
    if (kept != pieces) warnings.push_back(path + ": " + std::to_string(pieces - kept) + " option label(s) repeat or begin an earlier label and are not shown");
    if (kept != r.values.size()) warnings.push_back(path + ": " + std::to_string(kept) + " options but " + std::to_string(r.values.size()) + " values");
  } else if (kind == chipcfg::ItemKind::kCheckBox && r.values.size() < 2) {
    warnings.push_back(path + ": a check box needs two values (unchecked, checked)");
  }
}

void CompileRoot(const Json& root, const std::string& codePage, ConfigImage& image, std::vector<std::string>& warnings) {
  if (!root.is_object()) Fail("(top)", "expected an object");
  CheckKeys(root, "", {"chip", "version", "width", "height", "namePercent", "categories", "defaults", "items",
                       "headerPatch", "trailerHex"});
  image = ConfigImage();
  SetStandardMagic(image);
  if (root.contains("version")) SetHeaderU16(image, L::kVersion, static_cast<uint16_t>(Integer(root["version"], "version", 0xFFFF)));
  SetHeaderU16(image, L::kListWidth, static_cast<uint16_t>(Integer(Required(root, "width", ""), "width", 0xFFFF)));
  SetHeaderU16(image, L::kListHeight, static_cast<uint16_t>(Integer(Required(root, "height", ""), "height", 0xFFFF)));
  SetHeaderU16(image, L::kNamePercent, static_cast<uint16_t>(Integer(Required(root, "namePercent", ""), "namePercent", 0xFFFF)));

  const std::vector<uint8_t> chip = Encoded(Text(Required(root, "chip", ""), "chip"), codePage, "chip");
  if (chip.size() > L::kChipNameField - 1) Fail("chip", "longer than " + std::to_string(L::kChipNameField - 1) + " bytes");
  std::copy(chip.begin(), chip.end(), image.header.begin() + L::kChipName);

  std::vector<std::string> categories;
  if (root.contains("categories")) {
    const Json& list = root["categories"];
    if (!list.is_array() || list.size() > L::kCategoryCount) Fail("categories", "expected an array of at most 5 names");
    for (size_t i = 0; i < list.size(); ++i) {
      const std::string path = "categories[" + std::to_string(i) + "]";
      categories.push_back(Text(list[i], path));
      const std::vector<uint8_t> bytes = Encoded(categories.back(), codePage, path);
      if (bytes.size() > L::kMaxCategoryBytes) Fail(path, "longer than 127 bytes");
      std::copy(bytes.begin(), bytes.end(), image.header.begin() + L::kCategoryNames + i * L::kCategoryField);
    }
  }
  if (root.contains("defaults")) {
    const std::vector<uint8_t> defaults = HexBytes(root["defaults"], "defaults");
    if (defaults.size() > L::kDefaultsSize) Fail("defaults", "more than 32 bytes");
    std::copy(defaults.begin(), defaults.end(), image.header.begin() + L::kDefaults);
  }
  if (root.contains("items")) {
    const Json& items = root["items"];
    if (!items.is_array()) Fail("items", "expected an array");
    if (items.size() > 255) Fail("items", "more than 255 items");
    for (size_t i = 0; i < items.size(); ++i) {
      ImageRecord r;
      CompileItem(items[i], "items[" + std::to_string(i) + "]", codePage, categories, r, warnings);
      image.records.push_back(std::move(r));
    }
  }
  image.header[L::kItemCount] = static_cast<uint8_t>(image.records.size());
  if (root.contains("headerPatch")) {
    const Json& patches = root["headerPatch"];
    if (!patches.is_array()) Fail("headerPatch", "expected an array");
    for (size_t i = 0; i < patches.size(); ++i) {
      const std::string path = "headerPatch[" + std::to_string(i) + "]";
      if (!patches[i].is_object()) Fail(path, "expected an object");
      CheckKeys(patches[i], path, {"offset", "bytes"});
      const uint32_t offset = Integer(Required(patches[i], "offset", path), Join(path, "offset"), L::kHeaderSize);
      const std::vector<uint8_t> bytes = HexBytes(Required(patches[i], "bytes", path), Join(path, "bytes"));
      if (offset + bytes.size() > L::kHeaderSize) Fail(path, "runs past the 1,577-byte header");
      if (offset <= L::kItemCount && L::kItemCount < offset + bytes.size()) Fail(path, "the item count comes from the items");
      std::copy(bytes.begin(), bytes.end(), image.header.begin() + offset);
    }
  }
  if (root.contains("trailerHex")) image.trailer = HexBytes(root["trailerHex"], "trailerHex");
}

void LineAndColumn(const std::string& text, size_t byte, size_t& line, size_t& column) {
  line = 1;
  column = 1;
  for (size_t i = 0; i + 1 < byte && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
}

}  // namespace

bool CompileSource(const std::string& source, const std::string& codePage, ConfigImage& image,
                   std::vector<std::string>& warnings, std::string& error) {
  Json root;
  try {
    root = Json::parse(source, nullptr, true, true);
  } catch (const Json::parse_error& e) {
    size_t line = 0;
    size_t column = 0;
    LineAndColumn(source, e.byte, line, column);
    std::string what = e.what();
    const size_t cut = what.find("syntax error");
    error = "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " +
            (cut == std::string::npos ? what : what.substr(cut));
    return false;
  }
  try {
    CompileRoot(root, codePage, image, warnings);
  } catch (const SourceError& e) {
    error = e.message;
    return false;
  } catch (const std::exception& e) {
    error = e.what();
    return false;
  }
  return true;
}

// ---- dump ----

namespace {

std::string Hex(const uint8_t* p, size_t n) {
  std::string s;
  char b[4];
  for (size_t i = 0; i < n; ++i) {
    std::snprintf(b, sizeof(b), "%02X", p[i]);
    if (i) s += ' ';
    s += b;
  }
  return s;
}

// Text of a zero-terminated header field if decoding and encoding it again gives the same bytes.
bool LosslessField(const uint8_t* p, size_t capacity, const std::string& codePage, std::string& out) {
  size_t n = 0;
  while (n < capacity && p[n] != 0) ++n;
  if (n == capacity) return false;
  std::vector<uint8_t> again;
  return chipcfg::DecodeTextStrict(p, n, codePage, out) && chipcfg::EncodeText(out, codePage, again) &&
         again.size() == n && std::equal(again.begin(), again.end(), p);
}

// A stored item text as a plain string, if it is exactly that string followed by one terminator.
bool LosslessStored(const std::vector<uint8_t>& stored, const std::string& codePage, std::string& out) {
  if (stored.empty() || stored.back() != 0) return false;
  return LosslessField(stored.data(), stored.size(), codePage, out) &&
         std::find(stored.begin(), stored.end() - 1, 0) == stored.end() - 1;
}

void DumpText(Json& item, const std::string& key, const std::vector<uint8_t>& stored, const std::string& codePage,
              bool asLabels) {
  if (stored.empty()) return;
  std::string text;
  if (!LosslessStored(stored, codePage, text)) {
    item[key + "Hex"] = Hex(stored.data(), stored.size());
    return;
  }
  if (!asLabels) {
    item[key] = text;
    return;
  }
  Json labels = Json::array();
  size_t start = 0;
  for (;;) {
    const size_t bar = text.find('|', start);
    labels.push_back(text.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  item[key] = labels;
}

// Objects one key a line, arrays of plain values on one line.
void Write(const Json& v, int indent, std::string& out) {
  const std::string pad(static_cast<size_t>(indent) * 2, ' ');
  const std::string inner(static_cast<size_t>(indent + 1) * 2, ' ');
  if (v.is_object()) {
    out += "{\n";
    size_t i = 0;
    for (auto it = v.begin(); it != v.end(); ++it, ++i) {
      out += inner + Json(it.key()).dump(-1, ' ', false) + ": ";
      Write(it.value(), indent + 1, out);
      out += (i + 1 < v.size() ? ",\n" : "\n");
    }
    out += pad + "}";
  } else if (v.is_array()) {
    bool flat = true;
    for (const Json& e : v) flat = flat && !e.is_structured();
    if (flat) {
      out += "[";
      for (size_t i = 0; i < v.size(); ++i) out += (i ? ", " : "") + v[i].dump(-1, ' ', false);
      out += "]";
      return;
    }
    out += "[\n";
    for (size_t i = 0; i < v.size(); ++i) {
      out += inner;
      Write(v[i], indent + 1, out);
      out += (i + 1 < v.size() ? ",\n" : "\n");
    }
    out += pad + "]";
  } else {
    out += v.dump(-1, ' ', false);
  }
}

}  // namespace

bool DumpImage(const ConfigImage& image, const std::string& codePage, std::string& source, std::string& error) {
  std::vector<uint8_t> bytes;
  if (!EncodeConfigImage(image, bytes)) {
    error = "the image cannot be written as a file";
    return false;
  }
  chipcfg::ConfigItems items;
  int badRecord = -1;
  if (chipcfg::ReadConfigItems(bytes.data(), bytes.size(), items, codePage, &badRecord) != chipcfg::ReadItemsResult::kOk) {
    error = badRecord >= 0 ? "record " + std::to_string(badRecord) + " breaks the format; the editor would not show this file"
                           : "the header breaks the format; the editor would not show this file";
    return false;
  }

  const uint8_t* h = image.header.data();
  Json root;
  std::string chip;
  root["chip"] = LosslessField(h + L::kChipName, L::kChipNameField, codePage, chip) ? chip : std::string();
  if (HeaderU16(image, L::kVersion) != L::kFormatVersion) root["version"] = HeaderU16(image, L::kVersion);
  root["width"] = HeaderU16(image, L::kListWidth);
  root["height"] = HeaderU16(image, L::kListHeight);
  root["namePercent"] = HeaderU16(image, L::kNamePercent);
  std::vector<std::string> categories(L::kCategoryCount);
  for (size_t c = 0; c < L::kCategoryCount; ++c) {
    if (!LosslessField(h + L::kCategoryNames + c * L::kCategoryField, L::kCategoryField, codePage, categories[c])) {
      categories[c].clear();
    }
  }
  size_t used = L::kCategoryCount;
  while (used > 0 && categories[used - 1].empty()) --used;
  root["categories"] = std::vector<std::string>(categories.begin(), categories.begin() + static_cast<long>(used));
  root["defaults"] = Hex(h + L::kDefaults, L::kDefaultsSize);

  Json list = Json::array();
  for (const ImageRecord& r : image.records) {
    Json item;
    DumpText(item, "name", r.name, codePage, false);
    const bool uniqueName = r.category < used && !categories[r.category].empty() &&
                            std::count(categories.begin(), categories.end(), categories[r.category]) == 1;
    if (uniqueName) {
      item["category"] = categories[r.category];
    } else {
      item["category"] = r.category;
    }
    static const char* const kKinds[] = {"dropdown", "checkbox", "number", "plain"};
    if (r.kindCode < 4) {
      item["kind"] = kKinds[r.kindCode];
    } else {
      item["kind"] = r.kindCode;
    }
    item["bit"] = r.bitPosition;
    item["width"] = r.bitWidth;
    if (!r.values.empty()) item["values"] = r.values;
    DumpText(item, "options", r.optionText, codePage, true);
    DumpText(item, "description", r.description, codePage, false);
    if (r.reserved != std::array<uint8_t, 4>{}) item["reserved"] = Hex(r.reserved.data(), 4);
    list.push_back(std::move(item));
  }
  root["items"] = std::move(list);
  if (!image.trailer.empty()) root["trailerHex"] = Hex(image.trailer.data(), image.trailer.size());

  // Whatever the fields above do not reproduce of the header goes into patches over it.
  ConfigImage rebuilt;
  std::vector<std::string> warnings;
  std::string text;
  try {
    Write(root, 0, text);
  } catch (const std::exception& e) {
    error = e.what();
    return false;
  }
  if (!CompileSource(text, codePage, rebuilt, warnings, error)) {
    error = "dumped source does not compile: " + error;
    return false;
  }
  // The item count always comes from the items, never from a patch.
  auto differs = [&](size_t k) { return k != L::kItemCount && rebuilt.header[k] != image.header[k]; };
  Json patches = Json::array();
  for (size_t i = 0; i < L::kHeaderSize;) {
    if (!differs(i)) {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < L::kHeaderSize && differs(end)) ++end;
    Json patch;
    patch["offset"] = i;
    patch["bytes"] = Hex(h + i, end - i);
    patches.push_back(std::move(patch));
    i = end;
  }
  if (!patches.empty()) root["headerPatch"] = std::move(patches);

  source.clear();
  try {
    Write(root, 0, source);
  } catch (const std::exception& e) {
    error = e.what();
    return false;
  }
  source += "\n";
  std::vector<uint8_t> again;
  if (!CompileSource(source, codePage, rebuilt, warnings, error) || !EncodeConfigImage(rebuilt, again) || again != bytes) {
    error = "dumped source would not compile back to the same bytes";
    return false;
  }
  return true;
}

}  // namespace orven::cfgc
