// The QX410 as the debugger sees it: the programmer device (identity, firmware loader, the chip in the socket)
// that also answers the emulator command set, with the VELM5 pod behind it.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "sim/pod.h"
#include "sim/programmer_device.h"

namespace orven::sim {

// Status bytes of the emulator's replies.
inline constexpr uint8_t kEmuStatusRefused = 1;     // no pod, in the loader, or a command the device lacks
inline constexpr uint8_t kEmuStatusPodRunning = 10; // memory, registers and step need a halted pod
inline constexpr uint8_t kEmuStatusRange = 11;      // the range runs past the memory space
inline constexpr uint8_t kEmuStatusNoChip = 10;     // chip init: no chip answers in the socket
inline constexpr uint8_t kEmuStatusBadSize = 11;    // chip init: flash capacity 0 or beyond 256 KiB
inline constexpr uint8_t kEmuStatusBadAlgorithm = 12;  // chip init: an algorithm code the device lacks

// The pod-info reply (32 bytes):
//   @0 u8[8] "VELM5" NUL-padded  @8 u32 crystal in Hz  @12 u8 pod major  @13 u8 pod minor  @14 u8[18] 0
inline constexpr uint32_t kPodInfoLength = 32;

class EmulatorDevice : public ProgrammerDevice {
 public:
  // Largest memory transfer of one command, in either direction.
  static constexpr uint32_t kMaxTransfer = 1024;

  EmulatorDevice(Clock& clock, const ProgrammerModel& model, uint32_t crystalHz = Pod::kDefaultCrystalHz);

  // --- knobs ---
  // Without a pod, pod check, pod info and pod start get no reply and the other pod commands are refused.
  void SetPodPresent(bool present);
  void SetBreakpointLimit(unsigned limit);
  void SetCrystal(uint32_t hz);
  // Sets the firmware build the device reports; a build of a known image also takes that image's version.
  void SetFirmwareBuild(uint32_t build);
  // Without a chip in the socket (or on the ISP cable), chip initialisation is refused with status 10.
  void SetTargetChipPresent(bool present);
  // The PC read answers with the PC in the reply value only (the default) or, set, with the two data bytes
  // the host asks for as well (low byte first), as some firmware does.
  void SetPcReadData(bool withData);

  // --- test access to the pod; the function runs with the device locked ---
  void WithPod(const std::function<void(Pod&)>& f);
  bool PodRunning();
  mcs51::Registers PodRegisters();
  std::vector<uint8_t> PodMemory(mcs51::Space space, uint32_t address, uint32_t count);
  void LoadPodCode(uint16_t address, const std::vector<uint8_t>& bytes);

 protected:
  Reply OnCommand(const FrameReport& command, const std::vector<uint8_t>& data) override;
  Reply OnOtherCommand(const FrameReport& command, const std::vector<uint8_t>& data) override;

 private:
  Reply PodCommand(const FrameReport& command, const std::vector<uint8_t>& data);
  Reply MemoryCommand(const FrameReport& command, const std::vector<uint8_t>& data);
  Reply ChipInit(const FrameReport& command, const std::vector<uint8_t>& data);

  Pod pod_;
  bool podPresent_ = true;
  bool targetChipPresent_ = true;
  bool pcReadData_ = false;
};

}  // namespace orven::sim
