// A loaded plug-in, a small data folder and the fake host's answers, for
// the tests that run the move/copy command end to end.
#pragma once

#include "tests/e2e/DialogDriver.h"
#include "tests/e2e/PluginHarness.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

class CommandTest : public ::testing::Test {
protected:
  // Data folder:  box1.mb\ (sub\ (deep\), !!!!Inbox\)   box2.mb\ (other\)
  void SetUp() override;

  std::string Data() const { return data.Path(); }

  // The value of a key in the plug-in's settings file, or "<none>".
  std::string Ini(const char *section, const std::string &key) const;
  void SetIni(const char *section, const std::string &key, const std::string &value) const;

  // Runs the command; `inDialog` runs once the folder dialog is visible
  // and must close it. Fails the test when the dialog never showed or was
  // still open after the time limit.
  void RunCommand(std::function<void(HWND dialog)> inDialog, int timeoutMs = 15000);

  // The LVA_MoveSelectedMessages calls the last run made.
  std::vector<fakehost::Call> Moves() const { return fakehost::Host().CallsOf("LVA_MoveSelectedMessages"); }

  PluginCopy plugin;
  testing_support::TempDir data{"data"};
};
