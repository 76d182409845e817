// The "Crashes" tab over a real crashes folder.
#include "ui/crashes_tab.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include "ui/window_fixtures.h"

namespace quorvane::ui {
namespace {

void Put(const QTemporaryDir& dir, const QString& folder, const QByteArray& report) {
  ASSERT_TRUE(QDir(dir.path()).mkpath(folder));
  QFile file(dir.path() + '/' + folder + "/report.txt");
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(report);
}

QStringList Row(const QTableWidget& list, int row) {
  return {list.item(row, 0)->text(), list.item(row, 1)->text(), list.item(row, 2)->text()};
}

TEST(CrashesTab, listsTheReportsNewestFirstAndShowsTheChosenOne) {
  fixtures::App();
  const QTemporaryDir dir;
  Put(dir, "2026-12-06_08-00-00", "Crash\n\nTime: 2026-12-06 08:00:00 UTC\nUptime: 5 s\nHow it ended: exit status 1\n");
  Put(dir, "2026-12-07_21-05-09",
      "Crash\n\nTime: 2026-12-07 21:05:09 UTC\nUptime: 2 h 01 min 00 s\nHow it ended: "
      "SIGSEGV (signal 11)\n\nHow it ended: not this\n");
  ASSERT_TRUE(QDir(dir.path()).mkpath("notes"));
  QStringList opened;
  CrashesTab tab(dir.path(), [&](const QString& folder) {
    opened << folder;
    return std::string(opened.size() > 1 ? "no file manager" : "");
  });
  const auto& list = *tab.findChild<QTableWidget*>("CrashList");
  ASSERT_EQ(list.rowCount(), 2);
  EXPECT_EQ(Row(list, 0), (QStringList{"2026-12-07 21:05:09 UTC", "SIGSEGV (signal 11)", "2 h 01 min 00 s"}));
  EXPECT_EQ(Row(list, 1), (QStringList{"2026-12-06 08:00:00 UTC", "exit status 1", "5 s"}));
  EXPECT_TRUE(tab.findChild<QPlainTextEdit*>("CrashReport")->toPlainText().contains("SIGSEGV"));
  auto* open = tab.findChild<QPushButton*>("OpenCrashFolder");
  open->click();
  EXPECT_EQ(opened, QStringList{QDir::toNativeSeparators(dir.path() + "/2026-12-07_21-05-09")});
  const_cast<QTableWidget&>(list).selectRow(1);
  EXPECT_TRUE(tab.findChild<QPlainTextEdit*>("CrashReport")->toPlainText().contains("exit status 1"));
  open->click();
  EXPECT_EQ(tab.findChild<QLabel*>("CrashProblem")->text(), "Quorvane could not open the folder: no file manager");
}

TEST(CrashesTab, saysSoWhenThereIsNoCrashAndCannotOpenNothing) {
  fixtures::App();
  const QTemporaryDir dir;
  CrashesTab tab(dir.path() + "/missing", [](const QString&) { return std::string(); });
  EXPECT_EQ(tab.findChild<QTableWidget*>("CrashList")->rowCount(), 0);
  EXPECT_EQ(tab.findChild<QPlainTextEdit*>("CrashReport")->toPlainText(), "No crash so far.");
  EXPECT_FALSE(tab.findChild<QPushButton*>("OpenCrashFolder")->isEnabled());
}

}  // namespace
}  // namespace quorvane::ui
