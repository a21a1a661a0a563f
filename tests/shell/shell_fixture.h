#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/application.h"

namespace orvex::test {

// The application object set up as the entry code does, with the error box captured.
class ShellTest : public ::testing::Test {
 protected:
  struct Box {
    std::string text;
    std::string caption;
  };

  void SetUp() override {
    Application->Initialize();
    Application->SetTitle("Tramelo Orvex IP");
    Application->SetErrorBoxHook([this](const std::string& text, const std::string& caption) {
      boxes.push_back({text, caption});
    });
  }

  void TearDown() override {
    Application->EndProgram();
    Application->ProcessPendingEvents();  // nothing left over for the next test
    Application->EndProgram();
    Application->SetErrorBoxHook({});
  }

  std::vector<Box> boxes;
};

}  // namespace orvex::test
