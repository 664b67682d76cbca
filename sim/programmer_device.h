// The programmer side of a simulated QX410 or ORVENF: identity, the chip in the socket, the chip operations
// and the firmware loader.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "link/identification_block.h"
#include "sim/sim_device.h"

namespace orven::sim {

struct ProgrammerModel {
  uint16_t productId;
  IdentificationBlock identity;
};

// QX410: model word 0x5295, product 0x5120, firmware 2.07 build 571. ORVENF: 0x520D, 0x5121, 1.06 build 656.
// Both with serial 01 AB 00 7F.
ProgrammerModel Qx410Model();
ProgrammerModel OrvenfModel();

class ProgrammerDevice : public SimDevice {
 public:
  static constexpr uint32_t kFirmwareSize = 65536;
  static constexpr uint32_t kDefaultRestartMs = 2000;

  ProgrammerDevice(Clock& clock, const ProgrammerModel& model);

  // --- identity and firmware ---
  void SetIdentity(const IdentificationBlock& identity);
  IdentificationBlock Identity() const;
  bool InLoader() const;
  void SetInLoader(bool inLoader);
  // Time the device is off the bus when it restarts; comesBack = false: it never returns.
  void SetRestartDelay(uint32_t ms, bool comesBack = true);
  // The build the loader reports in its identity (0: the host must update).
  void SetLoaderBuild(uint32_t build);
  // An image whose version the device reports once it runs it. Images not registered keep the old version.
  void AddKnownFirmware(std::vector<uint8_t> image, uint8_t major, uint8_t minor, uint32_t build);
  std::vector<uint8_t> WrittenFirmware() const;

  // --- the chip in the socket ---
  // Flash as it is now (sized by the last Initialise chip).
  std::vector<uint8_t> Flash() const;
  void SetFlash(uint32_t address, const std::vector<uint8_t>& bytes);
  std::array<uint8_t, 32> Config() const;
  void SetConfig(const std::array<uint8_t, 32>& config);
  // The configuration bytes a chip leaves the factory with, by the 24-byte parameter block the host selects it
  // with. Whenever Initialise chip names another chip than the one in the socket, the new chip arrives with
  // these bytes, or with all zeros when none are registered for it.
  void SetFactoryConfig(const std::array<uint8_t, 24>& parameters, const std::array<uint8_t, 32>& config);
  // A chip whose signature differs from the selected entry's (default: it matches the entry).
  void SetChipSignature(std::optional<std::array<uint8_t, 4>> signature);
  // The device's own processing time for a command code.
  void SetCommandDelay(uint8_t code, uint32_t ms);

 protected:
  Reply OnCommand(const FrameReport& command, const std::vector<uint8_t>& data) override;
  // Commands outside the programmer set; the base refuses them with status 1.
  virtual Reply OnOtherCommand(const FrameReport& command, const std::vector<uint8_t>& data);
  // For models built on this one: the loader state, read with the device lock held.
  bool InLoaderLocked() const { return inLoader_; }

 private:
  Reply Identify() const;
  Reply ChipCommand(const FrameReport& command, const std::vector<uint8_t>& data);
  Reply LoaderCommand(const FrameReport& command, const std::vector<uint8_t>& data);
  void Restart(bool intoLoader);

  IdentificationBlock identity_;
  bool inLoader_ = false;
  uint32_t loaderBuild_ = 0;
  uint32_t restartMs_ = kDefaultRestartMs;
  bool comesBack_ = true;
  struct KnownImage {
    std::vector<uint8_t> image;
    uint8_t major, minor;
    uint32_t build;
  };
  std::vector<KnownImage> known_;
  std::vector<uint8_t> firmware_;  // loader's copy of the image being written
  std::vector<bool> firmwareWritten_;
  bool firmwareFinished_ = false;

  std::array<uint8_t, 24> parameters_{};
  bool chipPresent_ = false;  // an Initialise chip has put a chip in the socket
  std::map<std::array<uint8_t, 24>, std::array<uint8_t, 32>> factoryConfigs_;
  std::vector<uint8_t> flash_;
  std::array<uint8_t, 32> config_{};
  std::optional<std::array<uint8_t, 4>> signatureOverride_;
  std::map<uint8_t, uint32_t> delays_;
};

}  // namespace orven::sim
