#include "tools/orvdap/memory_requests.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "tools/orvdap/base64.h"
#include "tools/orvdap/memory_reference.h"
#include "tools/orvdap/texts.h"

namespace orven::orvdap {

using nlohmann::json;

namespace {

constexpr int64_t kMaxCount = 0x10000;

MemoryAnswer Failed(std::string message) {
  MemoryAnswer answer;
  answer.ok = false;
  answer.message = std::move(message);
  return answer;
}

std::optional<int64_t> Integer(const json& args, const char* name, int64_t absent) {
  const auto it = args.find(name);
  if (it == args.end() || it->is_null()) return absent;
  if (!it->is_number_integer()) return std::nullopt;
  return it->get<int64_t>();
}

std::optional<MemoryReference> Reference(const json& args) {
  const auto it = args.find("memoryReference");
  if (it == args.end() || !it->is_string()) return std::nullopt;
  return ParseMemoryReference(it->get<std::string>());
}

}  // namespace

MemoryAnswer ReadMemoryRequest(host::Target& target, const json& args) {
  const std::optional<MemoryReference> ref = Reference(args);
  const std::optional<int64_t> offset = Integer(args, "offset", 0);
  const std::optional<int64_t> count = Integer(args, "count", -1);
  if (!ref || !offset) return Failed(texts::kBadMemoryReference);
  if (!count || *count < 0 || *count > kMaxCount) return Failed(texts::kBadCount);
  MemoryAnswer answer;
  const int64_t start = int64_t{ref->address} + *offset;
  if (start < 0 || start >= ref->SpaceEnd()) {
    answer.reference = ref->Text();
    answer.body = json{{"address", answer.reference}, {"unreadableBytes", *count}};
    return answer;
  }
  const MemoryReference from{ref->space, static_cast<uint32_t>(start)};
  const uint32_t readable = static_cast<uint32_t>(std::min<int64_t>(*count, from.SpaceEnd() - from.address));
  std::vector<uint8_t> bytes(readable);
  if (readable > 0) {
    if (const host::Result r = target.ReadMemory(from.Tagged(), bytes.data(), readable); !r.ok) {
      return Failed("orvdap: " + r.reason);
    }
  }
  answer.reference = from.Text();
  answer.body = json{{"address", answer.reference}, {"data", EncodeBase64(bytes.data(), bytes.size())}};
  if (readable < *count) answer.body["unreadableBytes"] = *count - readable;
  return answer;
}

MemoryAnswer WriteMemoryRequest(host::Target& target, const json& args) {
  const std::optional<MemoryReference> ref = Reference(args);
  const std::optional<int64_t> offset = Integer(args, "offset", 0);
  if (!ref || !offset) return Failed(texts::kBadMemoryReference);
  const auto data = args.find("data");
  std::optional<std::vector<uint8_t>> bytes;
  if (data != args.end() && data->is_string()) bytes = DecodeBase64(data->get<std::string>());
  if (!bytes) return Failed(texts::kBadData);
  const int64_t start = int64_t{ref->address} + *offset;
  const bool partial = args.value("allowPartial", false) == true;
  if (start < 0 || start >= ref->SpaceEnd() || (!partial && start + int64_t(bytes->size()) > ref->SpaceEnd())) {
    return Failed(texts::kBeyondSpace);
  }
  const MemoryReference to{ref->space, static_cast<uint32_t>(start)};
  bytes->resize(std::min<size_t>(bytes->size(), to.SpaceEnd() - to.address));
  if (!bytes->empty()) {
    if (const host::Result r = target.WriteMemory(to.Tagged(), *bytes); !r.ok) return Failed("orvdap: " + r.reason);
  }
  MemoryAnswer answer;
  answer.reference = to.Text();
  answer.body = json{{"bytesWritten", bytes->size()}};
  return answer;
}

}  // namespace orven::orvdap
