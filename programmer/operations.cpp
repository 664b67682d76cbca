// The chip operations: a fixed sequence of steps chosen by the operation mask, block by block, with progress
// and log notifications.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "link/command_codes.h"
#include "programmer/ice_api.h"
#include "programmer/texts.h"

namespace orven::programmer {

using link::FrameReport;

namespace {

// The vendor whose chips hold 14-bit program words, low byte first: the odd bytes keep only 6 bits.
constexpr int32_t kVendorWordChips = 4;

}  // namespace

void CIceAPI::RunOperation() {
  FrameReport command = FrameReport::Command(cmd::kInitChip);
  command.SetParams(chip_->parameters.bytes, sizeof chip_->parameters.bytes);
  FrameReport response;
  bool ok = false;
  if (!Exchange(command, nullptr, 0, response, nullptr, 0, cmd::timeout::kInitChip)) {
    Log(texts::kInitFailed);
  } else {
    auto runs = [&](uint32_t bit, auto step) { return !(mask_ & bit) || step(); };
    // The fixed order of the steps; the first failure ends the operation without End of operation.
    ok = runs(kOpSignature, [&] { return StepSignature(); }) &&
                    runs(kOpErase, [&] { return StepErase(); }) &&
                    runs(kOpBlankCheck, [&] { return StepBlankCheck(); }) &&
                    runs(kOpProgram, [&] { return StepProgram(); }) &&
                    runs(kOpRead, [&] { return StepRead(false); }) &&
                    runs(kOpVerify, [&] { return StepRead(true); }) &&
                    runs(kOpWriteConfig, [&] { return StepWriteConfig(); }) &&
                    runs(kOpReadConfig, [&] { return StepReadConfig(); });
    ok = ok && Simple(cmd::kEndOperation, cmd::timeout::kEndOperation);
  }
  Finish(ok);
}

bool CIceAPI::StepSignature() {
  const uint8_t* expected = chip_->parameters.Signature();
  if (expected[0] == 0) return true;
  FrameReport response;
  if (!Simple(cmd::kReadSignature, cmd::timeout::kReadSignature, &response)) return false;
  for (int i = 0; i < 4 && expected[i] != 0; ++i) {
    if (expected[i] != response.Params()[i]) {
      Log(texts::kSignatureMismatch);
      return false;
    }
  }
  return true;
}

bool CIceAPI::StepErase() {
  Log(texts::kErasing);
  if (!Simple(cmd::kEraseChip, cmd::timeout::kEraseChip)) return false;
  Log(texts::kEraseDone);
  return true;
}

bool CIceAPI::StepBlankCheck() {
  const uint32_t size = chip_->FlashSize();
  Notify(kNotifyProgressCount, size / kFlashBlock);
  Log(texts::kBlankChecking);
  if (!Simple(cmd::kBeginRead, cmd::timeout::kBegin)) return false;
  for (uint32_t address = 0; address < size; address += kFlashBlock) {
    const uint32_t length = std::min(kFlashBlock, size - address);
    FrameReport command = FrameReport::Command(cmd::kBlankCheckBlock, address, length);
    FrameReport response;
    uint8_t found[8] = {};
    if (!Exchange(command, nullptr, 0, response, found, sizeof found, cmd::timeout::kBlankCheckBlock)) return false;
    if (response.Status() == cmd::kStatusNotBlank && response.Length() >= sizeof found) {
      char line[96];
      std::snprintf(line, sizeof line, texts::kBlankFailedFmt, GetU32Le(found), GetU32Le(found + 4) & 0xFF);
      Log(line);
      return false;
    }
    if (response.Status() != 0) return false;
    Notify(kNotifyProgressStep);
  }
  Log(texts::kBlankDone);
  return true;
}

bool CIceAPI::StepProgram() {
  const uint32_t size = chip_->FlashSize();
  Notify(kNotifyProgressCount, size / kFlashBlock);
  Log(texts::kWriting);
  FrameReport begin = FrameReport::Command(cmd::kBeginProgram, 0, 0);
  FrameReport response;
  if (!Exchange(begin, nullptr, 0, response, nullptr, 0, cmd::timeout::kBegin)) return false;
  for (uint32_t address = 0; address < size; address += kFlashBlock) {
    const uint32_t length = std::min(kFlashBlock, size - address);
    FrameReport command = FrameReport::Command(cmd::kProgramBlock, address);
    if (!Exchange(command, image_ + address, length, response, nullptr, 0, cmd::timeout::kProgramBlock)) return false;
    Notify(kNotifyProgressStep);
  }
  Log(texts::kWriteDone);
  return true;
}

bool CIceAPI::StepRead(bool verify) {
  const uint32_t size = chip_->FlashSize();
  Notify(kNotifyProgressCount, size / kFlashBlock);
  Log(verify ? texts::kVerifying : texts::kReading);
  if (!Simple(cmd::kBeginRead, cmd::timeout::kBegin)) return false;
  const uint32_t timeout = verify ? cmd::timeout::kVerifyBlock : cmd::timeout::kReadBlock;
  uint8_t block[kFlashBlock];
  for (uint32_t address = 0; address < size; address += kFlashBlock) {
    const uint32_t length = std::min(kFlashBlock, size - address);
    FrameReport command = FrameReport::Command(cmd::kReadBlock, address, length);
    FrameReport response;
    // Accept exactly the block asked for: a shorter reply would leave part of it unread.
    if (!Exchange(command, nullptr, 0, response, block, length, timeout) || response.Length() != length) {
      return false;
    }
    if (!verify) {
      std::memcpy(image_ + address, block, length);
    } else {
      for (uint32_t i = 0; i < length; ++i) {
        uint8_t& expected = image_[address + i];
        if (chip_->vendor == kVendorWordChips && (i & 1) != 0) expected &= 0x3F;
        if (expected != block[i]) {
          char line[128];
          std::snprintf(line, sizeof line, texts::kVerifyErrorFmt, address + i, expected, block[i]);
          Log(line);
          return false;
        }
      }
    }
    Notify(kNotifyProgressStep);
  }
  Log(verify ? texts::kVerifyDone : texts::kReadDone);
  return true;
}

bool CIceAPI::StepWriteConfig() {
  Log(texts::kWriteFuse);
  FrameReport command = FrameReport::Command(cmd::kWriteConfig);
  command.SetParams(config_, kConfigSize);
  FrameReport response;
  if (!Exchange(command, nullptr, 0, response, nullptr, 0, cmd::timeout::kConfig)) return false;
  Log(texts::kWriteFuseDone);
  return true;
}

bool CIceAPI::StepReadConfig() {
  Log(texts::kReadFuse);
  FrameReport response;
  if (!Simple(cmd::kReadConfig, cmd::timeout::kConfig, &response)) return false;
  std::memcpy(config_, response.Params(), kConfigSize);
  Log(texts::kReadFuseDone);
  return true;
}

}  // namespace orven::programmer
