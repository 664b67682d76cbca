#include "chipcfg/config_file.h"

#include <cstdio>

#include "chipcfg/config_crc.h"
#include "chipcfg/config_field.h"
#include "chipcfg/config_file_layout.h"
#include "link/bytes.h"

namespace orven::chipcfg {
namespace {

namespace L = layout;

// Far above the largest well-formed file (255 records of three 6,004-byte texts and 255 values), so only a
// file that is not a configuration file at all is refused for its size.
constexpr size_t kMaxConfigFileBytes = 8u << 20;

// Bytes of a zero-terminated text in a field or stored text: up to the first zero, or all of them.
size_t TextLength(const uint8_t* p, size_t capacity) {
  size_t n = 0;
  while (n < capacity && p[n] != 0) ++n;
  return n;
}

uint8_t AsciiLower(uint8_t c) { return (c >= 'A' && c <= 'Z') ? static_cast<uint8_t>(c - 'A' + 'a') : c; }

// Reads one stored text of `length` bytes (0 = absent, read as empty) and checks it against its limit in
// UTF-16 units.
ReadItemsResult ReadText(ByteReader& reader, uint16_t length, size_t maxUnits, const std::string& codePage,
                         std::string& out) {
  out.clear();
  if (length == 0) return ReadItemsResult::kOk;
  if (length > L::kMaxStoredText) return ReadItemsResult::kTextTooLong;
  const uint8_t* bytes = nullptr;
  if (!reader.Bytes(length, bytes)) return ReadItemsResult::kRecordPastEnd;
  if (!DecodeText(bytes, TextLength(bytes, length), codePage, out)) return ReadItemsResult::kUnknownCodePage;
  if (Utf16Length(out) > maxUnits) return ReadItemsResult::kTextTooLong;
  return ReadItemsResult::kOk;
}

ReadItemsResult ReadRecord(ByteReader& reader, const std::string& codePage, ItemDescription& desc) {
  const uint8_t* head = nullptr;
  if (!reader.Bytes(L::kRecHeadSize, head)) return ReadItemsResult::kRecordPastEnd;
  ConfigItem& item = desc.item;
  item.kind = ItemKindFromFileCode(head[L::kRecKind]);
  item.category = head[L::kRecCategory];
  const uint16_t nameLength = GetU16Le(head + L::kRecNameLength);
  const uint16_t descLength = GetU16Le(head + L::kRecDescLength);
  item.bitPosition = GetU16Le(head + L::kRecBitPosition);
  item.bitWidth = head[L::kRecBitWidth];
  item.valueCount = head[L::kRecValueCount];
  const uint16_t optionLength = GetU16Le(head + L::kRecOptionLength);

  if (item.category >= L::kCategoryCount) return ReadItemsResult::kBadCategory;
  if (!FieldFits(item.bitPosition, item.bitWidth)) return ReadItemsResult::kFieldOutOfRange;

  ReadItemsResult r = ReadText(reader, nameLength, L::kMaxNameUnits, codePage, desc.name);
  if (r != ReadItemsResult::kOk) return r;
  r = ReadText(reader, descLength, L::kMaxDescriptionUnits, codePage, desc.description);
  if (r != ReadItemsResult::kOk) return r;
  const uint8_t* values = nullptr;
  if (!reader.Bytes(item.valueCount, values)) return ReadItemsResult::kRecordPastEnd;
  item.values.fill(0);
  for (size_t k = 0; k < item.valueCount; ++k) item.values[k] = values[k];
  return ReadText(reader, optionLength, L::kMaxOptionUnits, codePage, desc.optionText);
}

}  // namespace

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes) {
  bytes.clear();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  uint8_t chunk[4096];
  bool ok = true;
  for (;;) {
    const size_t n = std::fread(chunk, 1, sizeof(chunk), f);
    bytes.insert(bytes.end(), chunk, chunk + n);
    if (bytes.size() > kMaxConfigFileBytes) {
      ok = false;
      break;
    }
    if (n < sizeof(chunk)) {
      ok = std::ferror(f) == 0;
      break;
    }
  }
  std::fclose(f);
  if (!ok) bytes.clear();
  return ok;
}

std::string ConfigNameFromPath(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  return name;
}

bool CheckConfigBytes(const uint8_t* data, size_t size, const std::string& fileName, const std::string& codePage) {
  if (size < L::kMinFileSize) return false;
  if (ConfigCrc16(data, size) != 0) return false;
  if (data[0] != 'C' || data[1] != 'F' || data[2] != 'G' || data[3] != 0) return false;
  if (GetU16Le(data + L::kVersion) != L::kFormatVersion) return false;

  std::vector<uint8_t> wanted;
  if (!EncodeText(fileName, codePage, wanted) || wanted.size() > L::kMaxFileNameBytes) return false;
  const uint8_t* stored = data + L::kChipName;
  const size_t storedLength = TextLength(stored, L::kChipNameField);
  if (storedLength != wanted.size()) return false;
  for (size_t i = 0; i < storedLength; ++i) {
    if (AsciiLower(stored[i]) != AsciiLower(wanted[i])) return false;
  }
  return true;
}

bool CheckConfigFile(const std::string& path, const std::string& codePage) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(path, bytes)) return false;
  return CheckConfigBytes(bytes.data(), bytes.size(), ConfigNameFromPath(path), codePage);
}

int ConfigFileHeader::NamePercent() const {
  return (namePercentStored >= 15 && namePercentStored <= 85) ? namePercentStored : 30;
}

// The records end where the check value begins: a record that would run into the last two bytes of the file
// runs past the data.
ReadItemsResult ReadConfigItems(const uint8_t* data, size_t size, ConfigItems& out, const std::string& codePage,
                                int* firstBadRecord) {
  out = ConfigItems();
  if (firstBadRecord != nullptr) *firstBadRecord = -1;
  if (size < L::kHeaderSize) return ReadItemsResult::kShortHeader;

  ConfigFileHeader& h = out.header;
  h.version = GetU16Le(data + L::kVersion);
  h.listWidth = GetU16Le(data + L::kListWidth);
  h.listHeight = GetU16Le(data + L::kListHeight);
  h.namePercentStored = GetU16Le(data + L::kNamePercent);
  if (!DecodeText(data + L::kChipName, TextLength(data + L::kChipName, L::kChipNameField), codePage, h.chipName)) {
    return ReadItemsResult::kUnknownCodePage;
  }
  h.itemCount = data[L::kItemCount];
  for (size_t c = 0; c < L::kCategoryCount; ++c) {
    const uint8_t* field = data + L::kCategoryNames + c * L::kCategoryField;
    const size_t length = TextLength(field, L::kCategoryField);
    if (length > L::kMaxCategoryBytes) return ReadItemsResult::kTextTooLong;
    DecodeText(field, length, codePage, h.categoryNames[c]);
  }
  for (size_t k = 0; k < L::kDefaultsSize; ++k) h.defaults[k] = data[L::kDefaults + k];

  const size_t recordsEnd = size >= L::kMinFileSize ? size - L::kCheckValueSize : L::kHeaderSize;
  ByteReader reader(data + L::kHeaderSize, recordsEnd - L::kHeaderSize);
  std::vector<ItemDescription> items(h.itemCount);
  for (size_t i = 0; i < items.size(); ++i) {
    const ReadItemsResult r = ReadRecord(reader, codePage, items[i]);
    if (r != ReadItemsResult::kOk) {
      if (firstBadRecord != nullptr) *firstBadRecord = static_cast<int>(i);
      return r;
    }
  }
  out.items = std::move(items);
  return ReadItemsResult::kOk;
}

ReadItemsResult LoadConfigItems(const std::string& path, ConfigItems& out, const std::string& codePage,
                                int* firstBadRecord) {
  out = ConfigItems();
  if (firstBadRecord != nullptr) *firstBadRecord = -1;
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(path, bytes)) return ReadItemsResult::kOpenFailed;
  return ReadConfigItems(bytes.data(), bytes.size(), out, codePage, firstBadRecord);
}

std::vector<ItemValue> InitialItemValues(const ConfigItems& items, const uint8_t* config) {
  std::vector<ItemValue> values;
  values.reserve(items.items.size());
  for (const ItemDescription& d : items.items) values.push_back(InitialItemValue(d, config));
  return values;
}

}  // namespace orven::chipcfg
