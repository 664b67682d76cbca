#include "programmer/ice_api.h"

#include "link/command_codes.h"

namespace orven::programmer {

using link::FrameReport;

CIceAPI::CIceAPI(link::HidBackend& backend, Clock& clock)
    : backend_(backend), clock_(clock), hid_(backend), frame_(hid_, link::FrameFlavour::kProgrammer) {}

CIceAPI::~CIceAPI() {
  WaitIdle();
  hid_.CloseDevice();
}

uint16_t CIceAPI::Connect(uint16_t modelWord) {
  const uint16_t product = modelWord == kModelOrvenf  ? link::kProductOrvenf
                           : modelWord == kModelQx410 ? link::kProductQx410
                                                      : 0;
  if (!hid_.OpenDevice(product)) return 0;
  identity_ = IdentificationBlock{};
  if (!Identify()) return 0;
  identified_.store(true);
  return identity_.ModelWord();
}

bool CIceAPI::Identify() {
  FrameReport command = FrameReport::Command(cmd::kIdentify, 0, sizeof identity_.bytes);
  FrameReport response;
  IdentificationBlock received;
  if (!Exchange(command, nullptr, 0, response, received.bytes, sizeof received.bytes, cmd::timeout::kIdentify)) {
    return false;
  }
  identity_ = received;
  return true;
}

bool CIceAPI::Reopen() {
  const uint16_t model = identity_.ModelWord();
  const uint16_t product = model == kModelOrvenf  ? link::kProductOrvenf
                           : model == kModelQx410 ? link::kProductQx410
                                                  : 0;
  return hid_.OpenDevice(product);
}

void CIceAPI::Disconnect() {
  identified_.store(false);
  hid_.CloseDevice();
}

bool CIceAPI::GetIdentity(IdentificationBlock* dest) const {
  if (!identified_.load()) return false;
  *dest = identity_;
  return true;
}

void CIceAPI::Notify(uint32_t code, uint32_t value, const char* text) {
  if (window_ != nullptr) window_->Notify(Notification{code, value, text});
}

void CIceAPI::StartWorker(void (CIceAPI::*body)()) {
  if (worker_.joinable()) worker_.join();  // the previous worker has sent "finished" and is ending
  succeeded_.store(false);
  Notify(kNotifyStarted);
  busy_.store(true);
  worker_ = std::thread(body, this);
}

void CIceAPI::StartOperation(uint32_t mask, const ChipEntry* chip) {
  if (busy_.load()) return;
  mask_ = mask;
  chip_ = chip;
  StartWorker(&CIceAPI::RunOperation);
}

void CIceAPI::StartFirmwareUpdate(const uint8_t* image) {
  firmware_ = image;
  firmwareSize_ = kFirmwareSize;
  StartWorker(&CIceAPI::RunFirmwareUpdate);
}

void CIceAPI::WaitIdle() {
  if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id()) worker_.join();
}

void CIceAPI::Finish(bool succeeded) {
  succeeded_.store(succeeded);
  Notify(kNotifyFinished);
  busy_.store(false);
}

bool CIceAPI::Exchange(FrameReport& command, const uint8_t* data, uint32_t length, FrameReport& response,
                       uint8_t* dest, uint32_t destCapacity, uint32_t timeoutMs) {
  const uint8_t code = command.Code();
  return frame_.SendCommand(command, data, length) &&
         frame_.ReceiveResponse(response, dest, destCapacity, code, timeoutMs);
}

bool CIceAPI::Simple(uint8_t code, uint32_t timeoutMs, FrameReport* response) {
  FrameReport command = FrameReport::Command(code);
  FrameReport scratch;
  return Exchange(command, nullptr, 0, response ? *response : scratch, nullptr, 0, timeoutMs);
}

}  // namespace orven::programmer
