// The configuration tabs on a real temporary installation: resets, re-reads and the bytes a write puts on disk.
#include <QCheckBox>

#include "install/build_info.h"
#include "ui/window_fixtures.h"

namespace quorvane::ui {
namespace {

using namespace fixtures;  // NOLINT(google-build-using-namespace): the shared fixtures

TEST(FieldTab, resetsAskFirstAndOnlyYesPutsTheDefaultsIn_andRereadBringsTheFilesValuesBack) {
  for (const auto& [reset, reread, tab, file, title, field, byDefault] :
       {std::tuple{"Command14", "Command13", 0, "valve/autoexec.cfg", "Autoexec.Cfg", "rate", "3500"},
        {"Command15", "Command12", 1, "tfc/server.cfg", "Server.Cfg", "hostname", "TFC Battle"}}) {
    for (bool yes : {false, true}) {
      SCOPED_TRACE(std::string(reset) + (yes ? " Yes" : " No"));
      FormOnDisk f(tab);
      f.game.Write(file, std::string("// mine\n") + field + "\t\"from file\"\n");
      QTest::keyClicks(f.Find(field), "typed");
      f.dialogs.answer = yes;
      f.Click(reset);
      EXPECT_EQ(f.form->Values().GetText(field), yes ? byDefault : "typed");
      f.Click(reread);
      EXPECT_EQ(f.form->Values().GetText(field), "from file");
      EXPECT_EQ(f.dialogs.shown, QStringList{QString("!Set ") + title + " fields to Default Values: " +
                                             "Are you sure you want to set all Fields to their Default Value ?"});
    }
  }
}

// A click only clears or ticks a box; only a file greys one, and a long value from a file survives its limit.
TEST(FieldTab, valuesReadTypedAndClickedReachServerCfgByteForByte) {
  std::string expected = DataFile("typed_server.cfg");
  expected.replace(expected.find("@DOWNLOAD_PAGE@"), 15, install::kDownloadPage);
  FormOnDisk f(1);
  f.game.Write("tfc/server.cfg",
               "sv_aim \"2\"\nsv_gravity\t\"1000\"\nmp_footsteps \"2\"\npausable \"1\"\ntfc_autoteam \"2\"\n");
  f.Click("Command12");
  EXPECT_EQ(f.Find<QCheckBox>("sv_aim")->checkState(), Qt::PartiallyChecked);
  QTest::keyClicks(f.Find("hostname"), "My Server, \"24/7\"");
  QTest::keyClicks(f.Find("port"), "270159");                                   // five at most
  for (const char* box : {"sv_lan", "mp_footsteps", "pausable"}) f.Click(box);  // 0, 2 and 1 before
  f.Click("Command3");
  EXPECT_EQ(f.game.Read("tfc/server.cfg"), expected);
  EXPECT_EQ(f.dialogs.shown,
            QStringList{"The new Server.cfg and Listenserver.cfg files have been created successfully"});
}

}  // namespace
}  // namespace quorvane::ui
