// The configuration buttons of the first two tabs on a real installation:
// writes byte for byte, re-reads, resets and their messages.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <cstdlib>
#include <map>

#include "install/build_info.h"
#include "ui_test_support.h"

namespace quorvane::ui {
namespace {

using test::FormOnDisk;

const char* const kServerLines[] = {
    "cmdline", "hostname", "port", "deathmatch", "coop", "mp_teamplay", "tfc_autoteam", "tfc_clanbattle",
    "tfc_clanbattle_locked", "tfc_balance_teams", "tfc_respawndelay", "tfc_balance_scores", "tfc_fragscoring",
    "rcon_password", "sv_airmove", "sv_allowdownload", "sv_allowupload", "sv_aim", "mp_autocrosshair", "sv_bounce",
    "sv_cheats", "sv_clipmode", "mp_falldamage", "mp_flashlight", "mp_footsteps", "mp_forcerespawn",
    "mp_friendlyfire", "sv_password", "pausable", "motd_display_time", "sv_spectalk", "sv_waterfriction",
    "mp_weaponstay", "mp_fraglimit", "mp_timelimit", "decalfrequency", "edgefriction", "sv_lan", "sv_gravity",
    "sv_friction", "sv_stopspeed", "sv_maxspeed", "sv_accelerate", "sv_stepsize", "sv_wateraccelerate",
    "sv_airaccelerate", "exec"};

// server.cfg as it must come out of a window whose texts are empty and whose
// boxes are clear, apart from the values given.
std::string ExpectedServerCfg(const std::map<std::string, std::string>& values) {
  std::string out = "// Server.cfg file genertated by Quorvane \r\n//Visit out website at ";
  out += install::kDownloadPage;
  out += "\r\n \r\necho Server.cfg file by Quorvane\r\n \r\n";
  for (const char* name : kServerLines) {
    const std::string n = name;
    std::string value;
    if (n == "exec") {
      value = "listip.cfg";
    } else if (auto it = values.find(n); it != values.end()) {
      value = it->second;
    } else {
      const std::string texts = " cmdline hostname port mp_teamplay tfc_respawndelay rcon_password sv_password "
                                "motd_display_time sv_waterfriction mp_fraglimit mp_timelimit decalfrequency "
                                "edgefriction sv_gravity sv_friction sv_stopspeed sv_maxspeed sv_accelerate "
                                "sv_stepsize sv_wateraccelerate sv_airaccelerate ";
      value = texts.find(" " + n + " ") != std::string::npos ? "" : "0";
    }
    out += n + std::string(3 - n.size() / 8, '\t') + "\"" + value + "\"\r\n";
  }
  return out;
}

void ShowTab(FormOnDisk& f, int tab) {
  f.form->Load();
  f.form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(f.form.get()));
  f.Find<QTabWidget>("SSTab1")->setCurrentIndex(tab);
}

TEST(MainFormFiles, typedValuesReachServerCfgByteForByteByClickAndByAccessKey) {
  for (bool byKey : {false, true}) {
    SCOPED_TRACE(byKey ? "Alt+W" : "click");
    FormOnDisk f;
    ShowTab(f, 1);
    QTest::keyClicks(f.Find<QLineEdit>("hostname"), "My Server, \"24/7\"");
    QTest::keyClicks(f.Find<QLineEdit>("port"), "270159");  // five at most
    QTest::mouseClick(f.Find<QCheckBox>("sv_lan"), Qt::LeftButton);
    f.form->SetCheck("tfc_autoteam", 2);
    auto* write = f.Find<QPushButton>("Command3");
    if (byKey) {
      QSignalSpy clicked(write, &QPushButton::clicked);
      QTest::keyClick(f.form.get(), Qt::Key_W, Qt::AltModifier);
      ASSERT_TRUE(clicked.count() > 0 || clicked.wait(2000));
    } else {
      QTest::mouseClick(write, Qt::LeftButton);
    }
    EXPECT_EQ(f.game.Read("tfc/server.cfg"),
              ExpectedServerCfg({{"hostname", "My Server, \"24/7\""}, {"port", "27015"}, {"sv_lan", "1"},
                                 {"tfc_autoteam", "2"}}));
    EXPECT_TRUE(f.game.Exists("tfc/listenserver.cfg"));
    EXPECT_EQ(f.dialogs.Texts(),
              QStringList{"The new Server.cfg and Listenserver.cfg files have been created successfully"});
  }
}

TEST(MainFormFiles, autoexecWriteFillsAnEmptyTextureModeAndSaysSo) {
  FormOnDisk f;
  ShowTab(f, 0);
  QTest::keyClicks(f.Find<QLineEdit>("gamma"), "3");
  QTest::mouseClick(f.Find<QPushButton>("Command1"), Qt::LeftButton);
  const std::string written = f.game.Read("valve/autoexec.cfg");
  EXPECT_NE(written.find("\r\ngamma\t\t\t\"3\"\r\n"), std::string::npos);
  EXPECT_NE(written.find("\r\ngl_texturemode\t\t\"gl_texturemode\"\r\n"), std::string::npos);
  EXPECT_EQ(f.Find<QLineEdit>("gl_texturemode")->text(), "gl_texturemode");
  EXPECT_EQ(f.dialogs.Texts(), QStringList{"The new Autoexec.cfg file has been created successfully"});
}

TEST(MainFormFiles, rereadBringsTheFilesValuesBackAfterAnEdit) {
  struct Case {
    const char* file;
    const char* button;
    const char* field;
    int tab;
  };
  for (Case c : {Case{"tfc/server.cfg", "Command12", "hostname", 1},
                 Case{"valve/autoexec.cfg", "Command13", "rate", 0}}) {
    SCOPED_TRACE(c.button);
    FormOnDisk f;
    f.game.Write(c.file, std::string("// mine\n") + c.field + "\t\"from file\"\nsv_lan \"2\"\n");
    ShowTab(f, c.tab);
    auto* edit = f.Find<QLineEdit>(c.field);
    QTest::keyClicks(edit, "typed");
    QTest::mouseClick(f.Find<QPushButton>(c.button), Qt::LeftButton);
    EXPECT_EQ(edit->text(), "from file");
    EXPECT_EQ(f.form->GetCheck("sv_lan"), 2);
    EXPECT_TRUE(f.dialogs.shown.empty());
  }
}

TEST(MainFormFiles, rereadOfAMissingFileSaysSoAndChangesNothing) {
  struct Case {
    const char* button;
    int tab;
    const char* message;
  };
  for (Case c : {Case{"Command12", 1, "The Program cannot find your Server.cfg File, Try saving it first"},
                 Case{"Command13", 0, "The Program cannot find your Autoexec.cfg File, Try saving it first"}}) {
    FormOnDisk f;
    ShowTab(f, c.tab);
    f.form->SetText("hostname", "kept");
    QTest::mouseClick(f.Find<QPushButton>(c.button), Qt::LeftButton);
    EXPECT_EQ(f.dialogs.Texts(), QStringList{c.message});
    EXPECT_EQ(f.form->GetText("hostname"), "kept");
  }
}

TEST(MainFormFiles, resetsAskFirstAndOnlyYesPutsTheDefaultsIn) {
  struct Case {
    const char* button;
    int tab;
    const char* title;
    const char* field;
    const char* byDefault;
  };
  for (Case c : {Case{"Command14", 0, "Set Autoexec.Cfg fields to Default Values", "rate", "3500"},
                 Case{"Command15", 1, "Set Server.Cfg fields to Default Values", "hostname", "TFC Battle"}}) {
    for (bool yes : {false, true}) {
      SCOPED_TRACE(std::string(c.button) + (yes ? " Yes" : " No"));
      FormOnDisk f;
      ShowTab(f, c.tab);
      f.form->SetText(c.field, "mine");
      f.form->SetCheck("sv_cheats", 1);
      f.dialogs.answers.push_back(yes);
      QTest::mouseClick(f.Find<QPushButton>(c.button), Qt::LeftButton);
      ASSERT_EQ(f.dialogs.shown.size(), 1u);
      EXPECT_EQ(f.dialogs.shown[0].text, "Are you sure you want to set all Fields to their Default Value ?");
      EXPECT_EQ(f.dialogs.shown[0].title, c.title);
      EXPECT_TRUE(f.dialogs.shown[0].question);
      EXPECT_EQ(f.dialogs.shown[0].icon, Dialogs::Icon::Stop);
      EXPECT_EQ(f.form->GetText(c.field), yes ? c.byDefault : "mine");
      EXPECT_EQ(f.form->GetCheck("sv_cheats"), yes ? 0 : 1);
      EXPECT_FALSE(f.game.Exists("tfc/server.cfg")) << "a reset writes nothing";
    }
  }
}

TEST(MainFormFiles, formatHelpJoinsGamePathWithoutASeparator) {
  FormOnDisk f;
  f.form->SetGameDir("C:\\Games\\HL");
  f.form->ShowServerCfgInfo();
  f.form->SetGameDir("");
  f.form->ShowAutoexecCfgInfo();
  ASSERT_EQ(f.dialogs.shown.size(), 2u);
  EXPECT_TRUE(f.dialogs.shown[0].text.startsWith(
      "This program expects to have the Server.cfg in a certain format.  It expects to find the Server.Cfg file "
      "located atC:\\Games\\HL and the format of the file is with the field name on the left"));
  EXPECT_TRUE(f.dialogs.shown[0].text.endsWith("please use an editor like notepad to put it in this format."));
  EXPECT_TRUE(f.dialogs.shown[1].text.contains("Autoexec.Cfg file in the location  and it expectgs the file"));
  EXPECT_EQ(f.dialogs.shown[1].title, "Quorvane");
}

TEST(MainFormFiles, aLongValueFromAFileSurvivesLoadAndWrite) {
  FormOnDisk f;
  f.game.Write("tfc/server.cfg", "sv_gravity\t\"1000\"\r\nmp_teamplay \"321321\"\r\n");
  ShowTab(f, 1);
  QTest::mouseClick(f.Find<QPushButton>("Command12"), Qt::LeftButton);
  EXPECT_EQ(f.Find<QLineEdit>("sv_gravity")->text(), "1000");
  QTest::mouseClick(f.Find<QPushButton>("Command3"), Qt::LeftButton);
  const std::string written = f.game.Read("tfc/server.cfg");
  EXPECT_NE(written.find("\r\nsv_gravity\t\t\"1000\"\r\n"), std::string::npos);
  EXPECT_NE(written.find("\r\nmp_teamplay\t\t\"321321\"\r\n"), std::string::npos);
}

// Makes a directory unchangeable for the life of the object.
class Immutable {
 public:
  explicit Immutable(std::filesystem::path dir) : m_dir(std::move(dir)) {
    m_ok = std::system(("chattr +i '" + m_dir.string() + "' 2>/dev/null").c_str()) == 0;
  }
  ~Immutable() {
    if (m_ok) std::system(("chattr -i '" + m_dir.string() + "'").c_str());
  }
  bool ok() const { return m_ok; }

 private:
  std::filesystem::path m_dir;
  bool m_ok = false;
};

TEST(MainFormFiles, aWriteIntoAReadOnlyDirectoryReportsTheFailureNotSuccess) {
  FormOnDisk f;
  f.game.Write("tfc/motd.txt", "old\r\n");
  // A read-only file in a directory that takes no new files.
  Immutable lockFile(f.game.Path("tfc/motd.txt"));
  Immutable lock(f.game.Path("tfc"));
  if (!lock.ok() || !lockFile.ok()) GTEST_SKIP() << "chattr +i is not available on this file system";
  ShowTab(f, 1);
  QTest::mouseClick(f.Find<QPushButton>("Command3"), Qt::LeftButton);
  f.form->SaveMapCycle();
  f.form->SaveMotd();
  const QStringList texts = f.dialogs.Texts();
  ASSERT_EQ(texts.size(), 3);
  for (const QString& t : texts) {
    EXPECT_TRUE(t.startsWith("Quorvane could not write " + QString::fromStdString(f.game.GameDir()))) << t.toStdString();
    EXPECT_FALSE(t.contains("success") || t.contains("created.") || t.contains("saved.")) << t.toStdString();
  }
  EXPECT_TRUE(texts[0].contains("server.cfg"));
  EXPECT_TRUE(texts[1].contains("mapcycle.txt"));
  EXPECT_TRUE(texts[2].contains("motd.txt"));
}

}  // namespace
}  // namespace quorvane::ui
