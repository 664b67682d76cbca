#include "tools/cfgc/config_image.h"

#include "chipcfg/config_crc.h"
#include "chipcfg/text_codec.h"
#include "link/bytes.h"

namespace orven::cfgc {

namespace L = chipcfg::layout;

void SetHeaderU16(ConfigImage& image, size_t offset, uint16_t value) { PutU16Le(image.header.data() + offset, value); }

uint16_t HeaderU16(const ConfigImage& image, size_t offset) { return GetU16Le(image.header.data() + offset); }

void SetStandardMagic(ConfigImage& image) {
  image.header[0] = 'C';
  image.header[1] = 'F';
  image.header[2] = 'G';
  image.header[3] = 0;
  SetHeaderU16(image, L::kVersion, L::kFormatVersion);
}

bool StoredText(const std::string& utf8, const std::string& codePage, std::vector<uint8_t>& out) {
  if (!chipcfg::EncodeText(utf8, codePage, out)) return false;
  out.push_back(0);
  return true;
}

bool EncodeConfigImage(const ConfigImage& image, std::vector<uint8_t>& out) {
  out.clear();
  if (image.records.size() > 255) return false;
  out.assign(image.header.begin(), image.header.end());
  out[L::kItemCount] = static_cast<uint8_t>(image.records.size());
  for (const ImageRecord& r : image.records) {
    if (r.values.size() > 255 || r.name.size() > 0xFFFF || r.description.size() > 0xFFFF ||
        r.optionText.size() > 0xFFFF) {
      out.clear();
      return false;
    }
    uint8_t head[L::kRecHeadSize] = {};
    for (size_t k = 0; k < 4; ++k) head[L::kRecReserved + k] = r.reserved[k];
    head[L::kRecKind] = r.kindCode;
    head[L::kRecCategory] = r.category;
    PutU16Le(head + L::kRecNameLength, static_cast<uint16_t>(r.name.size()));
    PutU16Le(head + L::kRecDescLength, static_cast<uint16_t>(r.description.size()));
    PutU16Le(head + L::kRecBitPosition, r.bitPosition);
    head[L::kRecBitWidth] = r.bitWidth;
    head[L::kRecValueCount] = static_cast<uint8_t>(r.values.size());
    PutU16Le(head + L::kRecOptionLength, static_cast<uint16_t>(r.optionText.size()));
    out.insert(out.end(), head, head + sizeof(head));
    out.insert(out.end(), r.name.begin(), r.name.end());
    out.insert(out.end(), r.description.begin(), r.description.end());
    out.insert(out.end(), r.values.begin(), r.values.end());
    out.insert(out.end(), r.optionText.begin(), r.optionText.end());
  }
  out.insert(out.end(), image.trailer.begin(), image.trailer.end());
  chipcfg::AppendConfigCrc(out);
  return true;
}

namespace {

bool TakeBytes(ByteReader& reader, size_t n, std::vector<uint8_t>& out) {
  const uint8_t* p = nullptr;
  if (!reader.Bytes(n, p)) return false;
  out.assign(p, p + n);
  return true;
}

}  // namespace

bool DecodeConfigImage(const uint8_t* data, size_t size, ConfigImage& image, std::string& error) {
  image = ConfigImage();
  if (size < L::kMinFileSize) {
    error = "file is shorter than a header and check value (" + std::to_string(L::kMinFileSize) + " bytes)";
    return false;
  }
  if (chipcfg::ConfigCrc16(data, size) != 0) {
    error = "check value does not match the file";
    return false;
  }
  for (size_t k = 0; k < L::kHeaderSize; ++k) image.header[k] = data[k];
  ByteReader reader(data + L::kHeaderSize, size - L::kHeaderSize - L::kCheckValueSize);
  const size_t count = data[L::kItemCount];
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* head = nullptr;
    ImageRecord r;
    bool ok = reader.Bytes(L::kRecHeadSize, head);
    if (ok) {
      for (size_t k = 0; k < 4; ++k) r.reserved[k] = head[L::kRecReserved + k];
      r.kindCode = head[L::kRecKind];
      r.category = head[L::kRecCategory];
      r.bitPosition = GetU16Le(head + L::kRecBitPosition);
      r.bitWidth = head[L::kRecBitWidth];
      ok = TakeBytes(reader, GetU16Le(head + L::kRecNameLength), r.name) &&
           TakeBytes(reader, GetU16Le(head + L::kRecDescLength), r.description) &&
           TakeBytes(reader, head[L::kRecValueCount], r.values) &&
           TakeBytes(reader, GetU16Le(head + L::kRecOptionLength), r.optionText);
    }
    if (!ok) {
      error = "record " + std::to_string(i) + " runs past the end of the data";
      return false;
    }
    image.records.push_back(std::move(r));
  }
  image.trailer.assign(reader.Current(), reader.Current() + reader.Remaining());
  return true;
}

}  // namespace orven::cfgc
