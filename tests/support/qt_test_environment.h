// One QApplication for a whole Qt test program, created before the first test and gone before the Qt globals
// it relies on are torn down. Include it in exactly one file of the program.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace orven::testing {

class QtTestEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    // Run straight from the build tree as well as under ctest, which sets the platform itself.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    app_ = std::make_unique<QApplication>(argc_, argv_);
  }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[16] = "orven_qt_test";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] inline ::testing::Environment* const kQtTestEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtTestEnvironment);

}  // namespace orven::testing
