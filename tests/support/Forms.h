#pragma once
// Both forms of the monitor as the program builds them, in-process, for a test suite: the
// start-up timer is stopped so that nothing shows the popup behind a test's back. The
// registry's settings key and logon entry are cleared around each test.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "guard/Unit0.h"
#include "guard/Unit1.h"
#include "guard/Unit2.h"
#include "platform/Application.h"
#include "tests/support/TestSupport.h"

namespace testsupport {

const char* const kSettingsKey = "SOFTWARE\\Vantorix";
const char* const kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

inline void ClearSettings() {
  reg::DeleteTree(kSettingsKey);
  reg::DeleteValue(kRunKey, "Vantorix");
}

inline int Right(const platform::Control* c) { return c->Left() + c->Width(); }

class FormsFixture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ClearSettings();
    platform::App().Initialize();
    platform::App().SetTitle("Performance Monitor");
    platform::App().CreateForm(Form1);
    Form1->Timer1->SetEnabled(false);
    platform::App().CreateForm(Form2);
  }
  static void TearDownTestSuite() {
    platform::App().DestroyForms();
    ClearSettings();
  }
  void SetUp() override {
    ClearSettings();
    LangIni = std::make_unique<platform::IniFile>(folder_ / "none.ini");
  }
  void TearDown() override { ClearSettings(); }

  InstallFolder folder_;
};

}  // namespace testsupport
