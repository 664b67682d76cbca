// The SDCC test program (tests/debuginfo/programs/debuggee.c) loaded into the 8051 core behind a counting
// target, with its debug information and the engine over both.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "debugger/engine.h"
#include "debuginfo/cdb_file.h"
#include "sim/mcs51/core.h"
#include "tests/support/core_target.h"
#include "tests/support/sdcc_program.h"

namespace orven::debugger {

class DebuggeeFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string(ORVEN_DEBUGGEE).empty()) GTEST_SKIP() << "SDCC is not installed";
    if (!load_.info) {
      ASSERT_TRUE(program_.Load(ORVEN_DEBUGGEE));
      load_ = debuginfo::LoadCdbFile(std::string(ORVEN_DEBUGGEE) + ".cdb");
      ASSERT_TRUE(load_.info);
      std::ifstream source(ORVEN_DEBUGGEE_SOURCE);
      for (std::string line; std::getline(source, line);) source_.push_back(line);
    }
    // A fresh chip and target for every run of SetUp (the table-driven tests start over per case).
    engine_.reset();
    core_ = std::make_unique<mcs51::Core>();
    target_ = std::make_unique<testing::CoreTarget>(*core_);
    target_->Load(program_.code);
    target_->SetRunBudget(2'000'000);
    engine_ = std::make_unique<Engine>(*target_, &*load_.info);
    const std::string path = ORVEN_DEBUGGEE_SOURCE;
    engine_->Sources().AddDirectory(path.substr(0, path.find_last_of('/')));
  }

  // The 1-based line of the source that holds `text`.
  uint32_t LineOf(std::string_view text) const {
    for (size_t i = 0; i < source_.size(); ++i) {
      if (source_[i].find(text) != std::string::npos) return static_cast<uint32_t>(i + 1);
    }
    ADD_FAILURE() << "not in the source: " << text;
    return 0;
  }
  std::string At(std::string_view text) const { return "debuggee.c:" + std::to_string(LineOf(text)); }
  uint16_t AddressOf(std::string_view text) const {
    auto addresses = load_.info->AddressesOfLine("debuggee.c", LineOf(text));
    return addresses.empty() ? 0 : static_cast<uint16_t>(addresses.front());
  }
  // "in FUNCTION () at debuggee.c:LINE", as the stop line ends.
  std::string In(const std::string& function, std::string_view text) const {
    return " in " + function + " () at " + At(text) + "\n";
  }
  uint32_t Break(const std::string& location, bool temporary = false) {
    std::string message;
    const uint32_t n = engine_->Break(location, temporary, message);
    EXPECT_NE(n, 0u) << location << ": " << message;
    return n;
  }

  testing::SdccProgram program_;
  debuginfo::CdbLoad load_;
  std::vector<std::string> source_;
  std::unique_ptr<mcs51::Core> core_;
  std::unique_ptr<testing::CoreTarget> target_;
  std::unique_ptr<Engine> engine_;
};

}  // namespace orven::debugger
