// Every window test converts text with the platform's code page, installed
// before the first test as main.cpp installs it.
#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "ui/ansi_text.h"

namespace {

struct CodePage : ::testing::Environment {
  void SetUp() override { quorvane::ui::UseCodePage(quorvane::platform::AnsiToUtf8, quorvane::platform::Utf8ToAnsi); }
};

[[maybe_unused]] ::testing::Environment* const kCodePage = ::testing::AddGlobalTestEnvironment(new CodePage);

}  // namespace
