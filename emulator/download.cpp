// Code download: into the VELM5 pod's code memory, or programmed into the selected target chip.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "emulator/ice_usb.h"
#include "emulator/target_chip_table.h"
#include "emulator/texts.h"
#include "link/command_codes.h"

namespace orven::emulator {

using link::FrameReport;
using namespace cmd;

namespace {

constexpr uint32_t kDownloadToPod = 0x10;  // option F
constexpr uint32_t kBufferSize = 0x10000;  // code addresses 0x0000-0xFFFF
constexpr uint32_t kProgramChunk = 256;
// A host that never ends its segment list must not hold the download forever.
constexpr uint32_t kMaxSegments = 1u << 20;

bool IsChipFailure(uint8_t status) { return status == 10 || status == 11 || status == 12; }

// Chips whose programming algorithm cannot read the flash back: started without verification.
bool SkipsVerify(uint8_t algorithm) { return algorithm == 4 || algorithm == 2; }

std::string ChipName(int32_t index) { return std::string(TargetChipTable[static_cast<size_t>(index)].Name()); }

}  // namespace

int32_t CIceUsb::SelectedChipIndex() const {
  if ((flags_.OptionF() & kDownloadToPod) != 0) return kTargetPod;
  const int32_t index = ChipIndexOf(flags_.OptionV(), flags_.OptionC());
  return index < 0 ? kTargetInvalid : index;
}

bool CIceUsb::PrepareDownload() {
  prepared_.store(false);
  const int32_t index = SelectedChipIndex();
  selectedTarget_.store(index);
  if (index == kTargetPod) {
    Print(kHostProgressText, "%s", texts::kDownloadToPod);
    prepared_.store(true);
    return true;
  }
  if (index == kTargetInvalid) {
    const int32_t vendor = flags_.OptionV();
    if (VendorChipCount(vendor) == 0) {
      Print(kHostProgressText, texts::kBadVendorOption, vendor);
    } else {
      Print(kHostProgressText, texts::kBadChipOption, flags_.OptionC(), std::string(ChipVendorName(vendor)).c_str());
    }
    return false;
  }
  const TargetChipEntry& chip = TargetChipTable[static_cast<size_t>(index)];
  Print(kHostProgressText, texts::kDownloadToChip, std::string(ChipVendorName(chip.VendorIndex())).c_str(),
        ChipName(index).c_str());
  if (!InitTargetChip()) {
    Print(kHostProgressText, "%s", texts::kInitFailed);
    return false;
  }
  if (!EraseTargetChip()) return false;
  prepared_.store(true);
  return true;
}

bool CIceUsb::InitTargetChip() {
  const int32_t index = selectedTarget_.load();
  if (index < 0) return false;
  const ChipParameterBlock block = TargetChipTable[static_cast<size_t>(index)].ParameterBlock();
  Exchange x;
  x.command = FrameReport::Command(EC_CHIP_INIT);
  x.command.SetParams(block.bytes, sizeof block.bytes);
  x.timeoutMs = emu_timeout::kChipInit;
  const Outcome o = Transact(x);
  if (o == Outcome::kSendFailed) CommError();
  return o == Outcome::kOk && !IsChipFailure(x.response.Status());
}

bool CIceUsb::EraseTargetChip() {
  Print(kHostProgressText, "%s", texts::kErasing);
  const Outcome o = Simple(EC_CHIP_ERASE, 0, 0, emu_timeout::kChipErase);
  if (o == Outcome::kSendFailed) CommError();
  if (o != Outcome::kOk) return false;
  Print(kHostProgressText, "%s", texts::kErasingDone);
  return true;
}

bool CIceUsb::DownloadImage() {
  if (!prepared_.exchange(false)) {
    Print(kHostProgressText, "%s", texts::kNotPrepared);
    return false;
  }
  const int32_t target = selectedTarget_.load();
  std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[kBufferSize]());
  if (!buffer) return false;

  // The image ends at the furthest segment end, whatever order the host hands the segments out in. A byte at
  // or past 0x10000 lies outside the buffer: the image is then too large, and nothing goes past the buffer.
  uint64_t imageEnd = 0;
  uint32_t total = 0;
  FlashSegment segment;
  for (uint32_t n = 0; n < kMaxSegments && host_.NextFlashSegment(n == 0, &segment); ++n) {
    total = segment.total;
    if (segment.length == 0) break;
    const uint32_t start = segment.start & 0xFFFFFF;
    const uint64_t end = uint64_t{start} + segment.length;
    if (end <= kBufferSize) {
      if (segment.data == nullptr) return false;
      std::memcpy(buffer.get() + start, segment.data, segment.length);
    }
    imageEnd = std::max(imageEnd, end);
  }

  if (target == kTargetPod) {
    if (imageEnd > kCodeLimit) {
      prompter_.ErrorBox(texts::kCaptionCommError, texts::kCodeTooLarge);
      return false;
    }
  } else if (imageEnd > TargetChipTable[static_cast<size_t>(target)].Capacity()) {
    char text[256];
    std::snprintf(text, sizeof text, texts::kChipTooSmall, ChipName(target).c_str());
    prompter_.ErrorBox(texts::kCaption, text);
    return false;
  }
  const auto length = static_cast<uint32_t>(imageEnd);

  ShowBar(texts::kBarProgramming, static_cast<int32_t>(total));
  Print(kHostProgressText, "%s", texts::kProgramming);
  uint32_t failedAt = 0;
  bool ok = ProgramImage(0, buffer.get(), length, &failedAt);
  if (!ok) {
    Print(kHostProgressText, texts::kWriteFailedAt, failedAt);
  } else {
    Print(kHostProgressText, "%s", texts::kProgrammingDone);
    if (target != kTargetPod && SkipsVerify(TargetChipTable[static_cast<size_t>(target)].AlgorithmCode())) {
      ResetAndRun();
    } else {
      Print(kHostProgressText, "%s", texts::kVerifying);
      ShowBar(texts::kBarVerifying, static_cast<int32_t>(total));
      ok = VerifyImage(0, buffer.get(), length, &failedAt);
      if (ok) {
        Print(kHostProgressText, "%s", texts::kVerifyOk);
        ResetAndRun();
      } else {
        Print(kHostProgressText, texts::kVerifyFailedAt, failedAt);
      }
    }
  }
  RemoveBar();
  return ok;
}

bool CIceUsb::ProgramImage(uint32_t start, const uint8_t* data, uint32_t length, uint32_t* failedAddress) {
  start &= 0xFFFFFF;
  const bool pod = selectedTarget_.load() == kTargetPod;
  for (uint32_t done = 0; done < length;) {
    const uint32_t n = std::min(kProgramChunk, length - done);
    const uint32_t address = start + done;
    *failedAddress = address;
    Exchange x;
    x.command = FrameReport::Command(pod ? EC_WRITE_CODE : EC_CHIP_PROGRAM, address);
    x.payload = data + done;
    x.payloadLength = n;
    x.timeoutMs = pod ? emu_timeout::kMemory : emu_timeout::kChipProgram;
    x.statusMustBeZero = pod;  // the pod answers a write it did not make with a status of its own
    const Outcome o = Transact(x);
    if (o == Outcome::kSendFailed || (pod && o == Outcome::kNoReply)) CommError();
    if (o != Outcome::kOk || IsChipFailure(x.response.Status())) return false;
    AdvanceBar(static_cast<int32_t>(n));
    done += n;
  }
  return true;
}

bool CIceUsb::VerifyImage(uint32_t start, const uint8_t* data, uint32_t length, uint32_t* failedAddress) {
  const bool pod = selectedTarget_.load() == kTargetPod;
  uint8_t readBack[kProgramChunk];
  for (uint32_t done = 0; done < length;) {
    const uint32_t n = std::min(kProgramChunk, length - done);
    const uint32_t address = start + done;
    bool read = false;
    if (pod) {
      read = ReadCodeMemory(readBack, address, n);
    } else {
      Exchange x;
      x.command = FrameReport::Command(EC_CHIP_READ, address, n);
      x.timeoutMs = emu_timeout::kChipRead;
      x.read = true;
      x.dest = readBack;
      x.wanted = n;
      const Outcome o = Transact(x);
      if (o == Outcome::kSendFailed) CommError();
      if (o == Outcome::kNoReply) flags_.SetFatal();
      read = o == Outcome::kOk;
    }
    if (!read) {
      *failedAddress = address;
      return false;
    }
    const auto mismatch = std::mismatch(readBack, readBack + n, data + done);
    if (mismatch.first != readBack + n) {
      *failedAddress = address + static_cast<uint32_t>(mismatch.first - readBack);
      return false;
    }
    AdvanceBar(static_cast<int32_t>(n));
    done += n;
  }
  return true;
}

bool CIceUsb::ResetAndRun() {
  const bool pod = selectedTarget_.load() == kTargetPod;
  const Outcome o = pod ? Simple(EC_GO, kNoStopAddress, 1, emu_timeout::kGoReset, nullptr, true)
                        : Simple(EC_CHIP_RUN, 0, 0, emu_timeout::kChipRun);
  if (o == Outcome::kSendFailed) CommError();
  if (o == Outcome::kNoReply || o == Outcome::kRefused) flags_.SetFatal();
  if (o != Outcome::kOk) return false;
  Print(kHostProgressText, "%s", texts::kRunning);
  return true;
}

}  // namespace orven::emulator
