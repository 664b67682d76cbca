#include "tests/app/gui/window_fixture.h"

#include <unistd.h>

#include <atomic>

#include "tormik/ini.h"

namespace orven::app::testing {

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  dir_ = std::filesystem::temp_directory_path() /
         ("tormik_window_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
  std::filesystem::create_directories(dir_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

void RecordingView::AppendLog(const std::string& text) {
  log += text;
  if (*logic_ != nullptr) logSnapshots.emplace_back(text, (*logic_)->Controls());
}

MainWindowLogic& WindowTest::Create(link::HidBackend* backend) {
  logic_ = std::make_unique<MainWindowLogic>(backend ? *backend : backend_, clock_, settingsPath_, view_);
  logicPtr_ = logic_.get();
  return *logic_;
}

MainWindowLogic& WindowTest::Start(link::HidBackend* backend) {
  Create(backend).Start();
  return *logic_;
}

void WindowTest::RunOperation(OpButton button) {
  logic_->PressOperation(button);
  logic_->Api().WaitIdle();
}

int WindowTest::Setting(const char* section, const char* key) const { return CIni(settingsPath_).GetInt(section, key); }

std::shared_ptr<sim::ProgrammerDevice> WindowTest::Attach(sim::DeviceModel model) {
  auto device = sim::MakeProgrammer(clock_, model);
  bus_.Attach(device);
  return device;
}

void WindowTest::SelectChip(int catalogueIndex) {
  ChipSelection selection = logic_->MakeChipSelection();
  const ChipEntry& chip = logic_->Catalogue().entries[static_cast<size_t>(catalogueIndex)];
  selection.SelectVendor(chip.vendor - 1);
  for (int position = 0; position < static_cast<int>(selection.ChipNames().size()); ++position) {
    if (selection.CatalogueIndexAt(position) == catalogueIndex) {
      logic_->ApplyChipSelection(*selection.DoubleClick(position));
      return;
    }
  }
  FAIL() << "chip " << catalogueIndex << " is not in the selection dialog";
}

std::string ExampleHexPath() { return std::string(ORVEN_SOURCE_DIR) + "/data/examples/blink.hex"; }

}  // namespace orven::app::testing
