// "Keep the server running": off until checked, stored with the monitor's
// settings, and while on the dedicated server's start goes through the
// supervised start; off, the start button starts what it always has.
#include "ui/keep_running.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QTemporaryDir>

#include "ui/supervision_driver.h"
#include "ui/window_fixtures.h"

namespace quorvane::ui {
namespace {

using fixtures::FormOnDisk;
using fixtures::Words;

app::SupervisionServices Quiet() {
  app::SupervisionServices services;
  services.say = [](const std::string&) {};
  services.stop = [] {};
  return services;
}

TEST(KeepRunning, boxIsOffUntilCheckedAndRemembersItsChoice) {
  fixtures::App();
  const QTemporaryDir dir;
  const QString settings = dir.filePath("monitor.ini");
  SupervisionDriver driver(Quiet(), {});
  {
    KeepRunningBox box(settings, driver);
    auto* check = box.findChild<QCheckBox*>("KeepServerRunning");
    ASSERT_NE(check, nullptr);
    EXPECT_FALSE(check->isChecked());
    EXPECT_EQ(check->text(), "Keep the server running");
    check->click();
  }
  EXPECT_TRUE(KeepServerRunning(settings));
  KeepRunningBox again(settings, driver);
  EXPECT_TRUE(again.findChild<QCheckBox*>("KeepServerRunning")->isChecked());
}

TEST(KeepRunning, startButtonGoesThroughTheSupervisedStartOnlyWhileItIsOn) {
  FormOnDisk t;
  t.form->Load();
  t.form->Maps().AddStartingMaps({"2fort"});
  t.Find<QComboBox>("Combo1")->setCurrentIndex(0);
  SupervisionDriver driver(Quiet(), {});
  bool on = false;
  Words supervised;
  SupervisedStartHooks hooks;
  hooks.driver = &driver;
  hooks.on = [&] { return on; };
  hooks.start = [&](const launch::LaunchForm& form) {
    supervised.push_back(form.startingMap);
    return launch::LaunchOutcome{};
  };
  t.form->UseSupervision(hooks);
  t.Click("Command2");
  const Words asItWas = t.outside.events;
  on = true;
  t.Click("Command2");
  EXPECT_EQ(supervised, Words{"2fort"});
  EXPECT_EQ(t.outside.events, asItWas);
  ASSERT_FALSE(asItWas.empty());
  EXPECT_NE(asItWas.back().find("hlds.exe| -game tfc -port"), std::string::npos);
}

}  // namespace
}  // namespace quorvane::ui
