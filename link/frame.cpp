#include "link/frame.h"

#include <algorithm>
#include <bitset>

#include "link/texts.h"

namespace orven::link {

bool CommandFrame::SendCommand(FrameReport& command, const uint8_t* data, uint32_t length) {
  lastError_ = FrameError::kNone;
  hid_.PurgeInput();  // a stale report from an abandoned exchange must not answer this command
  command.bytes[0] = kCommandMarker;
  if (length != 0) {
    command.SetLength(length);
    command.bytes[3] = 0;
  } else {
    command.bytes[3] = kNoDataFlag;
  }
  if (!hid_.WriteData(command.bytes, kPayloadLength, kWriteTimeoutMs)) return Reject(FrameError::kWriteFailed);

  uint8_t report[kPayloadLength];
  uint8_t sequence = 0;
  for (uint32_t offset = 0; offset < length; offset += kDataPerReport, ++sequence) {
    uint32_t n = std::min(kDataPerReport, length - offset);
    report[0] = kDataMarker;
    report[1] = sequence;
    std::memcpy(report + 2, data + offset, n);
    std::memset(report + 2 + n, 0, kDataPerReport - n);
    if (!hid_.WriteData(report, kPayloadLength, kWriteTimeoutMs)) return Reject(FrameError::kWriteFailed);
  }
  return true;
}

bool CommandFrame::ReceiveResponse(FrameReport& response, uint8_t* dest, uint32_t destCapacity,
                                   uint8_t expectedCode, uint32_t timeoutMs) {
  lastError_ = FrameError::kNone;
  if (!hid_.ReadData(response.bytes, kPayloadLength, timeoutMs)) {
    lastError_ = FrameError::kNoResponse;  // nothing arrived: no message, the caller decides
    return false;
  }
  if (response.Marker() != kResponseMarker) return Reject(FrameError::kBadMarker);
  if (response.Code() != expectedCode) return Reject(FrameError::kWrongCode);

  const uint32_t length = response.Length();
  if (length == 0) {
    if (flavour_ == FrameFlavour::kProgrammer && response.Status() != 0) {
      lastError_ = FrameError::kRefused;
      return false;
    }
    return true;
  }
  if (dest == nullptr || length > destCapacity) return Reject(FrameError::kLengthTooLarge);

  // The sequence number is one byte, so at most 256 distinct data reports make up a block. Each may come once:
  // a repeated one would otherwise count twice and let the block pass with a hole in it.
  std::bitset<256> seen;
  uint8_t report[kPayloadLength];
  uint32_t total = 0;
  while (total < length) {
    if (!hid_.ReadData(report, kPayloadLength, kDataReportTimeoutMs)) return Reject(FrameError::kDataMissing);
    if (report[0] != kDataMarker) return Reject(FrameError::kDataBadMarker);
    const uint8_t sequence = report[1];
    const uint32_t offset = kDataPerReport * sequence;
    if (offset >= length || seen.test(sequence)) return Reject(FrameError::kDataOutOfRange);
    seen.set(sequence);
    const uint32_t n = std::min(kDataPerReport, length - offset);
    std::memcpy(dest + offset, report + 2, n);
    total += n;
  }
  return true;
}

bool CommandFrame::Reject(FrameError error) {
  lastError_ = error;
  if (flavour_ == FrameFlavour::kEmulator && error != FrameError::kWriteFailed && onCommError_) {
    onCommError_(texts::kEmulatorCommError);
  }
  return false;
}

}  // namespace orven::link
