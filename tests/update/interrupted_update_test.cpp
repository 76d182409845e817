#include "update/interrupted_update.h"

#include <gtest/gtest.h>

#include <string>

#include "support/memory_file_system.h"
#include "update/installer.h"

namespace quorvane::update {
namespace {

using test_support::MemoryFileSystem;

const std::string kDir = "C:\\hlds";
const std::string kStamp = "2026-12-07_05-30-12";
const std::string kBackup = kDir + "\\quorvane-backup\\" + kStamp;
const std::string kMarker = kBackup + "\\update-unfinished.txt";
const std::string kMine = "hostname \"My server\"\r\nsv_password \xe9t\xe9\r\n";
const std::string kStock = "// stock server.cfg\n";

TEST(UpdateMarker, isVersionedTextThatReadsBackAsWritten) {
  const UpdateMarker marker{
      "2026-12-07 05:30:12", 777, 4242, "/home/me/steamcmd/steamcmd.sh", {"tfc/server.cfg", "valve/autoexec.cfg"}};
  const std::string text = MarkerText(marker);
  EXPECT_EQ(text,
            "quorvane-update-marker 1\nstarted 2026-12-07 05:30:12\nowner 777\ngroup 4242\n"
            "program /home/me/steamcmd/steamcmd.sh\nkept tfc/server.cfg\nkept valve/autoexec.cfg\n");
  const std::optional<UpdateMarker> read = ParseMarker(text);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->started, marker.started);
  EXPECT_EQ(read->owner, 777);
  EXPECT_EQ(read->group, 4242);
  EXPECT_EQ(read->program, marker.program);
  EXPECT_EQ(read->kept, marker.kept);
}

struct HostileCase {
  const char* name;
  const char* text;
  bool marker;
  long long group;
  std::vector<std::string> kept;
};
void PrintTo(const HostileCase& c, std::ostream* out) { *out << c.name; }

class MarkerReadTest : public ::testing::TestWithParam<HostileCase> {};

TEST_P(MarkerReadTest, takesOnlyWhatAMarkerMayHold) {
  const std::optional<UpdateMarker> read = ParseMarker(GetParam().text);
  ASSERT_EQ(read.has_value(), GetParam().marker);
  if (!read) return;
  EXPECT_EQ(read->group, GetParam().group);
  EXPECT_EQ(read->kept, GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, MarkerReadTest,
    ::testing::Values(
        HostileCase{"empty", "", false, 0, {}},
        HostileCase{"laterVersion", "quorvane-update-marker 2\ngroup 5\n", false, 0, {}},
        HostileCase{
            "crLfLines", "quorvane-update-marker 1\r\ngroup 5\r\nkept tfc/motd.txt\r\n", true, 5, {"tfc/motd.txt"}},
        HostileCase{"pathsOutsideTheKeptFiles",
                    "quorvane-update-marker 1\nkept ../../etc/passwd\nkept /etc/shadow\nkept tfc/server.cfg\n",
                    true,
                    0,
                    {"tfc/server.cfg"}},
        HostileCase{"repeatedName",
                    "quorvane-update-marker 1\nkept tfc/motd.txt\nkept tfc/motd.txt\n",
                    true,
                    0,
                    {"tfc/motd.txt"}},
        HostileCase{"groupThatIsNoNumber", "quorvane-update-marker 1\ngroup -1\n", true, 0, {}},
        HostileCase{"groupWithTrailingText", "quorvane-update-marker 1\ngroup 12x\n", true, 0, {}}),
    [](const auto& info) { return std::string(info.param.name); });

class UnfinishedUpdateTest : public ::testing::Test {
 protected:
  void SetUp() override { fs.AddFile(kDir + "\\tfc\\server.cfg", kMine); }
  // An installer whose SteamCMD has started (as group 4242) and replaced server.cfg.
  Installer& Running() {
    installer = std::make_unique<Installer>(fs, InstallRequest{kDir, "steamcmd.sh", kStamp, false, 777});
    EXPECT_TRUE(installer->Begin());
    installer->Started(4242);
    fs.AddFile(kDir + "\\tfc\\server.cfg", kStock);
    return *installer;
  }
  MemoryFileSystem fs;
  std::unique_ptr<Installer> installer;
};

TEST_F(UnfinishedUpdateTest, markerNamesWhatWasKeptAndSteamCmdsGroupWhileItRuns) {
  Running();
  ASSERT_TRUE(fs.Bytes(kMarker));
  const std::optional<UpdateMarker> marker = ParseMarker(*fs.Bytes(kMarker));
  ASSERT_TRUE(marker);
  EXPECT_EQ(marker->started, "2026-12-07 05:30:12");
  EXPECT_EQ(marker->owner, 777);
  EXPECT_EQ(marker->group, 4242);
  EXPECT_EQ(marker->kept, std::vector<std::string>{"tfc/server.cfg"});
}

TEST_F(UnfinishedUpdateTest, markerGoesOnceTheFilesAreBack) {
  Running().Output("Success! App '90' fully installed.\n");
  (void)installer->RunEnded(true, 0);
  ASSERT_TRUE(installer->Finished());
  EXPECT_EQ(fs.Bytes(kDir + "\\tfc\\server.cfg"), kMine);
  EXPECT_FALSE(fs.Exists(kMarker));
}

TEST_F(UnfinishedUpdateTest, markerStaysWhenAFileCouldNotBePutBack) {
  Running();
  fs.FailOn(MemoryFileSystem::Op::Write, kDir + "\\tfc\\server.cfg", MemoryFileSystem::kDenied);
  installer->Cancel();
  (void)installer->RunEnded(false, 0);
  ASSERT_TRUE(installer->Finished());
  EXPECT_TRUE(fs.Exists(kMarker));
}

TEST_F(UnfinishedUpdateTest, markerThatCannotBeWrittenStopsBeforeSteamCmd) {
  fs.FailOn(MemoryFileSystem::Op::Write, kMarker, MemoryFileSystem::kNoSpace);
  Installer refused(fs, {kDir, "steamcmd.sh", kStamp});
  EXPECT_FALSE(refused.Begin());
  EXPECT_EQ(refused.Result().message,
            "Cannot write " + kMarker + ": No space left on device. SteamCMD was not started.");
}

TEST_F(UnfinishedUpdateTest, foundLaterItPutsTheKeptFilesBackAndSaysWhich_thenGoes) {
  Running();
  // The program is killed here: the installer's end never comes.
  const std::vector<InterruptedUpdate> found = FindInterruptedUpdates(fs, kDir);
  ASSERT_EQ(found.size(), 1U);
  EXPECT_EQ(InterruptedQuestion(found[0]),
            "An update of the server was interrupted on 2026-12-07 05:30:12. Your own "
            "files are kept in " +
                kBackup + ". Put them back now?");
  const Recovery recovery = RecoverInterruptedUpdate(fs, kDir, found[0]);
  EXPECT_TRUE(recovery.ok);
  EXPECT_EQ(recovery.message, "Put back your own tfc/server.cfg.");
  EXPECT_EQ(fs.Bytes(kDir + "\\tfc\\server.cfg"), kMine);
  EXPECT_TRUE(FindInterruptedUpdates(fs, kDir).empty());
}

TEST_F(UnfinishedUpdateTest, copyThatCannotBeReadPutsNothingBackAndKeepsTheMarker) {
  Running();
  fs.FailOn(MemoryFileSystem::Op::Read, kBackup + "\\tfc\\server.cfg", MemoryFileSystem::kDenied);
  const Recovery recovery = RecoverInterruptedUpdate(fs, kDir, FindInterruptedUpdates(fs, kDir).at(0));
  EXPECT_FALSE(recovery.ok);
  EXPECT_EQ(recovery.message,
            "Cannot read your copy " + kBackup + "\\tfc\\server.cfg: Permission denied. Nothing was put back.");
  EXPECT_EQ(fs.Bytes(kDir + "\\tfc\\server.cfg"), kStock);
  EXPECT_TRUE(fs.Exists(kMarker));
}

TEST_F(UnfinishedUpdateTest, pruningNeverTakesTheCopiesOfAnUnfinishedUpdate) {
  Running();
  for (int n = 0; n < 12; ++n)
    fs.AddFile(kDir + "\\quorvane-backup\\2027-01-0" + std::to_string(n % 9 + 1) + "_00-00-" + std::to_string(10 + n) +
                   "\\tfc\\server.cfg",
               kMine);
  EXPECT_TRUE(PruneBackups(fs, kDir, 2).empty());
  EXPECT_EQ(fs.Bytes(kBackup + "\\tfc\\server.cfg"), kMine);
}

}  // namespace
}  // namespace quorvane::update
