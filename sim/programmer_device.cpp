#include "sim/programmer_device.h"

#include <algorithm>
#include <cstring>

namespace orven::sim {

namespace {

constexpr uint8_t kStatusFailed = 1;
constexpr uint8_t kStatusOutOfRange = 11;
constexpr uint8_t kStatusReadFault = 12;
constexpr uint32_t kLoaderBlock = 1024;
constexpr uint8_t kAlgorithmWordChip = 3;

ProgrammerModel MakeModel(uint16_t productId, uint16_t modelWord, uint8_t major, uint8_t minor, uint32_t build) {
  ProgrammerModel m{productId, {}};
  m.identity.SetModelWord(modelWord);
  m.identity.SetVersion(major, minor, build);
  m.identity.SetSerial(0x01, 0xAB, 0x00, 0x7F);
  return m;
}

Reply Status(uint8_t status) {
  Reply r;
  r.report.bytes[3] = status;
  return r;
}

}  // namespace

ProgrammerModel Qx410Model() { return MakeModel(usb::kProductQx410, usb::kModelWordQx410, 2, 0x07, 571); }
ProgrammerModel OrvenfModel() { return MakeModel(usb::kProductOrvenf, usb::kModelWordOrvenf, 1, 0x06, 656); }

ProgrammerDevice::ProgrammerDevice(Clock& clock, const ProgrammerModel& model)
    : SimDevice(clock, usb::kVendorId, model.productId), identity_(model.identity) {
  SetCommandSets(kProgrammerSet);
}

void ProgrammerDevice::SetIdentity(const IdentificationBlock& identity) {
  std::lock_guard lock(mutex_);
  identity_ = identity;
}

IdentificationBlock ProgrammerDevice::Identity() const {
  std::lock_guard lock(mutex_);
  return identity_;
}

bool ProgrammerDevice::InLoader() const {
  std::lock_guard lock(mutex_);
  return inLoader_;
}

void ProgrammerDevice::SetInLoader(bool inLoader) {
  std::lock_guard lock(mutex_);
  inLoader_ = inLoader;
}

void ProgrammerDevice::SetRestartDelay(uint32_t ms, bool comesBack) {
  std::lock_guard lock(mutex_);
  restartMs_ = ms == 0 ? 1 : ms;
  comesBack_ = comesBack;
}

void ProgrammerDevice::SetLoaderBuild(uint32_t build) {
  std::lock_guard lock(mutex_);
  loaderBuild_ = build;
}

void ProgrammerDevice::AddKnownFirmware(std::vector<uint8_t> image, uint8_t major, uint8_t minor, uint32_t build) {
  std::lock_guard lock(mutex_);
  known_.push_back({std::move(image), major, minor, build});
}

std::vector<uint8_t> ProgrammerDevice::WrittenFirmware() const {
  std::lock_guard lock(mutex_);
  return firmware_;
}

std::vector<uint8_t> ProgrammerDevice::Flash() const {
  std::lock_guard lock(mutex_);
  return flash_;
}

void ProgrammerDevice::SetFlash(uint32_t address, const std::vector<uint8_t>& bytes) {
  std::lock_guard lock(mutex_);
  if (flash_.size() < address + bytes.size()) flash_.resize(address + bytes.size(), 0xFF);
  std::copy(bytes.begin(), bytes.end(), flash_.begin() + address);
}

std::array<uint8_t, 32> ProgrammerDevice::Config() const {
  std::lock_guard lock(mutex_);
  return config_;
}

void ProgrammerDevice::SetConfig(const std::array<uint8_t, 32>& config) {
  std::lock_guard lock(mutex_);
  config_ = config;
}

void ProgrammerDevice::SetFactoryConfig(const std::array<uint8_t, 24>& parameters,
                                         const std::array<uint8_t, 32>& config) {
  std::lock_guard lock(mutex_);
  factoryConfigs_[parameters] = config;
}

void ProgrammerDevice::SetChipSignature(std::optional<std::array<uint8_t, 4>> signature) {
  std::lock_guard lock(mutex_);
  signatureOverride_ = signature;
}

void ProgrammerDevice::SetCommandDelay(uint8_t code, uint32_t ms) {
  std::lock_guard lock(mutex_);
  delays_[code] = ms;
}

Reply ProgrammerDevice::OnCommand(const FrameReport& command, const std::vector<uint8_t>& data) {
  Reply reply;
  const uint8_t code = command.Code();
  if (code == prog::kIdentify) {
    reply = Identify();
  } else if (code <= prog::kQueryFirmwareState) {
    reply = LoaderCommand(command, data);
  } else if (code >= prog::kInitChip && code <= prog::kReadConfig) {
    reply = inLoader_ ? Status(kStatusFailed) : ChipCommand(command, data);
  } else {
    reply = OnOtherCommand(command, data);
  }
  if (auto it = delays_.find(code); it != delays_.end()) reply.delayMs += it->second;
  return reply;
}

Reply ProgrammerDevice::OnOtherCommand(const FrameReport&, const std::vector<uint8_t>&) {
  return Status(kStatusFailed);
}

Reply ProgrammerDevice::Identify() const {
  Reply r;
  IdentificationBlock id = identity_;
  if (inLoader_) id.SetVersion(id.Major(), id.Minor(), loaderBuild_);
  r.data.assign(id.bytes, id.bytes + sizeof id.bytes);
  return r;
}

void ProgrammerDevice::Restart(bool intoLoader) {
  inLoader_ = intoLoader;
  LeaveBusLocked(comesBack_ ? restartMs_ : 0);
}

Reply ProgrammerDevice::LoaderCommand(const FrameReport& command, const std::vector<uint8_t>& data) {
  Reply r;
  switch (command.Code()) {
    case prog::kQueryFirmwareState:
      PutU32Le(r.report.bytes + 4, inLoader_ ? prog::kLoaderRunning : 0);
      return r;
    case prog::kEnterLoader:
      Restart(true);
      r.send = false;
      return r;
    case prog::kStartApplication:
      if (inLoader_ && firmwareFinished_) {
        for (const KnownImage& k : known_) {
          if (k.image == firmware_) identity_.SetVersion(k.major, k.minor, k.build);
        }
      }
      Restart(false);
      r.send = false;
      return r;
    case prog::kLoaderPrepare:
      if (!inLoader_) return Status(kStatusFailed);
      firmware_.assign(kFirmwareSize, 0xFF);
      firmwareWritten_.assign(kFirmwareSize / kLoaderBlock, false);
      firmwareFinished_ = false;
      return r;
    case prog::kLoaderWrite: {
      const uint32_t offset = command.Argument();
      if (!inLoader_ || firmware_.empty() || offset >= kFirmwareSize || data.size() > kFirmwareSize - offset) {
        return Status(kStatusFailed);
      }
      if (data.empty()) return Status(kStatusFailed);
      std::copy(data.begin(), data.end(), firmware_.begin() + offset);
      for (uint32_t b = offset / kLoaderBlock; b * kLoaderBlock < offset + data.size(); ++b) firmwareWritten_[b] = true;
      return r;
    }
    case prog::kLoaderFinish:
      if (!inLoader_ || firmwareWritten_.empty() ||
          !std::all_of(firmwareWritten_.begin(), firmwareWritten_.end(), [](bool b) { return b; })) {
        return Status(kStatusFailed);
      }
      firmwareFinished_ = true;
      return r;
    default:
      return Status(kStatusFailed);
  }
}

Reply ProgrammerDevice::ChipCommand(const FrameReport& command, const std::vector<uint8_t>& data) {
  Reply r;
  const uint8_t code = command.Code();
  if (code == prog::kInitChip) {
    std::array<uint8_t, 24> selected;
    std::memcpy(selected.data(), command.Params(), selected.size());
    if (!chipPresent_ || selected != parameters_) {
      // Another chip in the socket: its configuration bytes are the factory's, not the last chip's.
      auto it = factoryConfigs_.find(selected);
      if (it != factoryConfigs_.end()) {
        config_ = it->second;
      } else {
        config_.fill(0);
      }
    }
    chipPresent_ = true;
    parameters_ = selected;
    const uint32_t size = std::min<uint32_t>(GetU32Le(parameters_.data() + 6), 0x40000);
    // A chip of another size is a different chip: it arrives erased. The same size keeps its contents, so
    // program, then verify and read, see the same chip.
    if (flash_.size() != size) flash_.assign(size, 0xFF);
    return r;
  }
  const uint32_t address = command.Argument();
  const uint32_t length = code == prog::kProgramBlock ? static_cast<uint32_t>(data.size()) : command.Length();
  const bool inRange = address <= flash_.size() && length <= 256 && length <= flash_.size() - address;
  switch (code) {
    case prog::kEndOperation:
    case prog::kBeginProgram:
    case prog::kBeginRead:
      return r;
    case prog::kReadSignature: {
      std::array<uint8_t, 4> sig;
      std::memcpy(sig.data(), parameters_.data() + 2, 4);
      if (signatureOverride_) sig = *signatureOverride_;
      std::memcpy(r.report.Params(), sig.data(), 4);
      return r;
    }
    case prog::kEraseChip:
      std::fill(flash_.begin(), flash_.end(), 0xFF);
      return r;
    case prog::kBlankCheckBlock:
      if (!inRange) return Status(kStatusOutOfRange);
      for (uint32_t i = 0; i < length; ++i) {
        if (flash_[address + i] != 0xFF) {
          r.report.bytes[3] = prog::kStatusNotBlank;
          r.data.resize(8, 0);
          PutU32Le(r.data.data(), address + i);
          PutU32Le(r.data.data() + 4, flash_[address + i]);
          return r;
        }
      }
      return r;
    case prog::kProgramBlock:
      if (!inRange) return Status(kStatusOutOfRange);
      std::copy(data.begin(), data.end(), flash_.begin() + address);
      // The word-addressed chips (algorithm 3) hold 14-bit words, low byte first: the high byte keeps 6 bits.
      if (parameters_[0] == kAlgorithmWordChip) {
        for (uint32_t a = address | 1; a < address + data.size(); a += 2) flash_[a] &= 0x3F;
      }
      return r;
    case prog::kReadBlock:
      if (!inRange) return Status(kStatusReadFault);
      r.data.assign(flash_.begin() + address, flash_.begin() + address + length);
      return r;
    case prog::kWriteConfig:
      std::memcpy(config_.data(), command.Params(), config_.size());
      return r;
    case prog::kReadConfig:
      std::memcpy(r.report.Params(), config_.data(), config_.size());
      return r;
    default:
      return Status(kStatusFailed);
  }
}

}  // namespace orven::sim
