// "Keep the server running": off until checked, stored with the monitor's
// settings, and while on the dedicated server's start goes through the
// supervised start; off, the start button starts what it always has.
#include "ui/keep_running.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "ui/restarts_box.h"
#include "ui/scheduled_restarts.h"
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

// The clock as UTC shows it, so the texts read the same on every machine.
struct Utc : supervise::TimeZone {
  supervise::LocalTime ToLocal(supervise::WallTime utc) const override { return supervise::CivilTime(utc); }
};

TEST(Restarts, dailyTimesAreStoredOnlyWhenTheyAreTimesOfDayAndTheNextCanBeCancelled) {
  fixtures::App();
  const QTemporaryDir dir;
  const QString settings = dir.filePath("monitor.ini");
  app::SupervisionServices services = Quiet();
  services.start = [] { return launch::StartResult::Success(42); };
  services.ended = [] { return std::optional<update::ChildExit>(); };
  services.fatalWindow = [] { return std::optional<std::string>(); };
  SupervisionDriver driver(std::move(services), {});
  driver.Start();
  const Utc zone;
  ScheduledRestarts restarts(driver, zone, [] { return supervise::CivilSeconds({2026, 6, 10, 3, 0, 0}); });
  RestartsBox box(settings, restarts);
  auto* daily = box.findChild<QLineEdit*>("RestartDaily");
  auto* state = box.findChild<QLabel*>("RestartState");
  ASSERT_TRUE(daily && state);

  QTest::keyClicks(daily, "5:00, 25:00");
  QTest::keyClick(daily, Qt::Key_Return);
  EXPECT_TRUE(state->text().contains("\"5:00, 25:00\" is not a list of times of day")) << state->text().toStdString();
  EXPECT_TRUE(ReadRestartSettings(settings).schedule.daily.empty());

  daily->clear();
  QTest::keyClicks(daily, "05:00");
  QTest::keyClick(daily, Qt::Key_Return);
  EXPECT_EQ(state->text(), "Next: restart at 05:00, in 2 h 00 min.");
  EXPECT_EQ(ReadRestartSettings(settings).schedule.daily, (std::vector<supervise::DailyTime>{{5, 0}}));

  QTest::mouseClick(box.findChild<QPushButton*>("CancelRestart"), Qt::LeftButton);
  EXPECT_EQ(state->text(), "Next: restart at 05:00, in 26 h 00 min.");
}

}  // namespace
}  // namespace quorvane::ui
