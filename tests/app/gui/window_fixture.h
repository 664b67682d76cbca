// A programming window's logic over the simulated programmers, with a recording view and its own settings
// file in a fresh directory.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/gui/main_window_logic.h"
#include "link/clock.h"
#include "sim/devices.h"
#include "sim/virtual_bus.h"

namespace orven::app::testing {

// A scratch directory, removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

 private:
  std::filesystem::path dir_;
};

// Records what the logic asks of its window. The worker thread appends while the test thread waits for it.
class RecordingView : public MainWindowView {
 public:
  struct Message {
    MessageIcon icon;
    std::string text;
  };

  explicit RecordingView(const MainWindowLogic* const* logic) : logic_(logic) {}

  void ControlsChanged() override { ++controlsChanged; }
  void AppendLog(const std::string& text) override;
  void ImageChanged() override { ++imageChanged; }
  void ShowMessage(MessageIcon icon, const std::string& text) override { messages.push_back({icon, text}); }
  bool AskYesNo(const std::string& text) override {
    questions.push_back(text);
    return answerYes;
  }

  std::string log;
  int controlsChanged = 0;
  int imageChanged = 0;
  std::vector<Message> messages;
  std::vector<std::string> questions;
  bool answerYes = false;
  // The window's controls when each log text arrived (what the user sees mid-operation).
  std::vector<std::pair<std::string, WindowControls>> logSnapshots;

 private:
  const MainWindowLogic* const* logic_;
};

// A backend that passes everything to the simulator but says it reaches real hardware.
class PhysicalLookingBackend final : public link::HidBackend {
 public:
  explicit PhysicalLookingBackend(link::HidBackend& inner) : inner_(inner) {}
  std::vector<link::HidDeviceInfo> Enumerate() override { return inner_.Enumerate(); }
  std::unique_ptr<link::HidHandle> Open(const std::string& path) override { return inner_.Open(path); }
  bool ReachesPhysicalDevices() const override { return true; }

 private:
  link::HidBackend& inner_;
};

class WindowTest : public ::testing::Test {
 protected:
  // Creates the logic (without starting it) over backend, by default the simulator bus.
  MainWindowLogic& Create(link::HidBackend* backend = nullptr);
  // Create() and Start().
  MainWindowLogic& Start(link::HidBackend* backend = nullptr);
  // Presses a button and waits for the worker it started.
  void RunOperation(OpButton button);
  // The settings file's value, read as the program reads it.
  int Setting(const char* section, const char* key) const;
  // Attaches a programmer of the model; identity changes are applied before it goes on the bus.
  std::shared_ptr<sim::ProgrammerDevice> Attach(sim::DeviceModel model);
  // Selects the catalogue chip as the chip selection dialog would return it.
  void SelectChip(int catalogueIndex);

  TempDir dir_;
  std::string settingsPath_ = dir_.Path("SETUP.ini");
  VirtualClock clock_;
  sim::VirtualBus bus_;
  sim::SimBackend backend_{bus_};
  const MainWindowLogic* logicPtr_ = nullptr;
  RecordingView view_{&logicPtr_};
  std::unique_ptr<MainWindowLogic> logic_;
};

// data/examples/blink.hex in the source tree.
std::string ExampleHexPath();

}  // namespace orven::app::testing
