// What the driver asks of the emulator: the CIceUsb operations behind one small interface, so that the
// memory, register and run-control rules can be tried against a scripted target as well as the real one.
// Results and failure rules are CIceUsb's: false on failure, with `fatal` set where the operation sets it.
#pragma once

#include <atomic>
#include <cstdint>

#include "emulator/ice_usb.h"

namespace orven::driver {

class Target {
 public:
  virtual ~Target() = default;

  virtual bool Connect() = 0;
  virtual void Disconnect() = 0;
  virtual void PostFatalNotice() = 0;
  // PostFatalNotice when the fatal flag is set.
  virtual void FatalCheck() = 0;

  virtual bool ReadDataMemory(uint8_t* buffer, uint32_t address, uint32_t count) = 0;
  virtual bool WriteDataMemory(const uint8_t* buffer, uint32_t address, uint32_t count) = 0;
  virtual bool ReadCodeMemory(uint8_t* buffer, uint32_t address, uint32_t count) = 0;
  // Reduces address to the 16 bits the failure is reported at.
  virtual bool WriteCodeMemory(const uint8_t* data, uint32_t& address, uint32_t count) = 0;
  virtual bool ReadXdataMemory(uint8_t* buffer, uint32_t address, uint32_t count) = 0;
  virtual bool WriteXdataMemory(const uint8_t* buffer, uint32_t address, uint32_t count) = 0;
  virtual bool ReadIdataMemory(uint8_t* buffer, uint32_t address, uint32_t count) = 0;
  virtual bool WriteIdataMemory(const uint8_t* buffer, uint32_t address, uint32_t count) = 0;

  virtual bool ReadRegisters(emulator::RegisterImage* out) = 0;
  virtual bool WriteRegisters(const emulator::RegisterImage& image) = 0;
  virtual bool ReadPc(uint16_t* pc) = 0;
  virtual bool WritePc(uint16_t pc) = 0;
  virtual bool Step(uint32_t* pc) = 0;
  // Mode 1 sets one breakpoint: 0 done, 1 too many, 2 address conflict, -1 the command could not be sent.
  virtual int SetBreakpoint(int mode, uint32_t address) = 0;
  // Clears every breakpoint set since the last call; -1 when a command could not be sent.
  virtual int ClearArmedBreakpoints() = 0;
  // Runs until the target halts. When *cancel is set before the target starts, it is not started: true with
  // *started false. A failed go sets fatal.
  virtual bool Go(uint32_t stopAddress, const std::atomic<bool>& cancel, bool* started) = 0;
  virtual bool Stop() = 0;
  virtual bool ForceStop() = 0;

  virtual void ClearPodDeferred() = 0;
  virtual void SetQuietCodeRange() = 0;
  virtual bool PrepareDownload() = 0;
  virtual bool DownloadImage() = 0;
};

// The real emulator.
class IceTarget final : public Target {
 public:
  explicit IceTarget(emulator::CIceUsb& ice) : ice_(ice) {}

  bool Connect() override { return ice_.Connect(); }
  void Disconnect() override { ice_.Disconnect(); }
  void PostFatalNotice() override { ice_.PostFatalNotice(); }
  void FatalCheck() override { ice_.FatalCheck(); }
  bool ReadDataMemory(uint8_t* b, uint32_t a, uint32_t n) override { return ice_.ReadDataMemory(b, a, n); }
  bool WriteDataMemory(const uint8_t* b, uint32_t a, uint32_t n) override { return ice_.WriteDataMemory(b, a, n); }
  bool ReadCodeMemory(uint8_t* b, uint32_t a, uint32_t n) override { return ice_.ReadCodeMemory(b, a, n); }
  bool WriteCodeMemory(const uint8_t* b, uint32_t& a, uint32_t n) override { return ice_.WriteCodeMemory(b, a, n); }
  bool ReadXdataMemory(uint8_t* b, uint32_t a, uint32_t n) override { return ice_.ReadXdataMemory(b, a, n); }
  bool WriteXdataMemory(const uint8_t* b, uint32_t a, uint32_t n) override {
    return ice_.WriteXdataMemory(b, a, n);
  }
  bool ReadIdataMemory(uint8_t* b, uint32_t a, uint32_t n) override { return ice_.ReadIdataMemory(b, a, n); }
  bool WriteIdataMemory(const uint8_t* b, uint32_t a, uint32_t n) override {
    return ice_.WriteIdataMemory(b, a, n);
  }
  bool ReadRegisters(emulator::RegisterImage* out) override { return ice_.ReadRegisters(out); }
  bool WriteRegisters(const emulator::RegisterImage& image) override { return ice_.WriteRegisters(image); }
  bool ReadPc(uint16_t* pc) override { return ice_.ReadPc(pc); }
  bool WritePc(uint16_t pc) override { return ice_.WritePc(pc); }
  bool Step(uint32_t* pc) override { return ice_.Step(pc); }
  int SetBreakpoint(int mode, uint32_t address) override { return ice_.SetBreakpoint(mode, address); }
  int ClearArmedBreakpoints() override { return ice_.ClearArmedBreakpoints(); }
  bool Go(uint32_t stopAddress, const std::atomic<bool>& cancel, bool* started) override {
    return ice_.Go(stopAddress, &cancel, started);
  }
  bool Stop() override { return ice_.Stop(); }
  bool ForceStop() override { return ice_.ForceStop(); }
  void ClearPodDeferred() override { ice_.ClearPodDeferred(); }
  void SetQuietCodeRange() override { ice_.SetQuietCodeRange(); }
  bool PrepareDownload() override { return ice_.PrepareDownload(); }
  bool DownloadImage() override { return ice_.DownloadImage(); }

 private:
  emulator::CIceUsb& ice_;
};

}  // namespace orven::driver
