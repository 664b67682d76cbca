#include "tests/support/scripted_backend.h"

#include <algorithm>
#include <cstdio>

namespace orven::testing {

std::string HexDump(const Bytes& bytes) {
  std::string out;
  char cell[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(cell, sizeof cell, "%02X", bytes[i]);
    if (i > 0) out += (i % 16 == 0) ? "\n" : " ";
    out += cell;
  }
  return out;
}

namespace {

class ScriptedHandle final : public link::HidHandle {
 public:
  explicit ScriptedHandle(std::shared_ptr<ScriptedDevice> d) : d_(std::move(d)) { ++d_->handlesOpen; }
  ~ScriptedHandle() override { --d_->handlesOpen; }

  link::TransferResult Write(const uint8_t* report, size_t length, uint32_t) override {
    if (d_->gone) return link::TransferResult::kError;
    if (length != 65 || report[0] != 0) return link::TransferResult::kError;
    d_->output.emplace_back(report + 1, report + 65);
    if (d_->onWrite) d_->onWrite(d_->output.back());
    return link::TransferResult::kOk;
  }

  link::TransferResult Read(uint8_t* report, size_t length, uint32_t timeoutMs, size_t* got) override {
    *got = 0;
    ++d_->reads;
    if (d_->onRead) d_->onRead(timeoutMs);
    if (d_->gone) return link::TransferResult::kError;
    if (d_->input.empty()) return link::TransferResult::kTimeout;
    Bytes payload = std::move(d_->input.front().payload);
    const bool late = d_->input.front().delayMs > timeoutMs;
    d_->input.pop_front();
    if (late) return link::TransferResult::kTimeout;
    payload.resize(64, 0);
    std::memset(report, 0, length);
    report[0] = 0;
    std::memcpy(report + 1, payload.data(), std::min<size_t>(64, length - 1));
    *got = 65;
    return link::TransferResult::kOk;
  }

  bool Purge() override {
    ++d_->purges;
    return !d_->gone;
  }

 private:
  std::shared_ptr<ScriptedDevice> d_;
};

}  // namespace

std::shared_ptr<ScriptedDevice> ScriptedBackend::Add(uint16_t vendorId, uint16_t productId) {
  auto d = std::make_shared<ScriptedDevice>();
  d->vendorId = vendorId;
  d->productId = productId;
  devices.push_back(d);
  return d;
}

std::vector<link::HidDeviceInfo> ScriptedBackend::Enumerate() {
  if (onEnumerate) onEnumerate();
  std::vector<link::HidDeviceInfo> out;
  for (size_t i = 0; i < devices.size(); ++i) {
    out.push_back({devices[i]->vendorId, devices[i]->productId, std::to_string(i)});
  }
  return out;
}

std::unique_ptr<link::HidHandle> ScriptedBackend::Open(const std::string& path) {
  const size_t i = std::stoul(path);
  ++devices[i]->handlesOpened;
  return std::make_unique<ScriptedHandle>(devices[i]);
}

Bytes Response(uint8_t code, uint8_t status, uint32_t length, uint32_t result) {
  link::FrameReport r;
  r.bytes[0] = link::kResponseMarker;
  r.bytes[2] = code;
  r.bytes[3] = status;
  r.SetArgument(result);
  r.SetLength(length);
  return Bytes(r.bytes, r.bytes + 64);
}

Bytes DataReport(uint8_t sequence, const uint8_t* data, uint32_t n) {
  Bytes b(64, 0);
  b[0] = link::kDataMarker;
  b[1] = sequence;
  std::memcpy(b.data() + 2, data, std::min<uint32_t>(n, 62));
  return b;
}

std::vector<Bytes> DataReports(const Bytes& block) {
  std::vector<Bytes> out;
  for (uint32_t off = 0, seq = 0; off < block.size(); off += 62, ++seq) {
    out.push_back(DataReport(static_cast<uint8_t>(seq), block.data() + off,
                             std::min<uint32_t>(62, static_cast<uint32_t>(block.size()) - off)));
  }
  return out;
}

}  // namespace orven::testing
