#include "update/kept_files.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/memory_file_system.h"

namespace quorvane::update {
namespace {

using test_support::MemoryFileSystem;

const std::string kDir = "C:\\hlds";
const std::string kStamp = "2026-12-07_05-30-12";
const std::string kBackup = kDir + "\\quorvane-backup\\" + kStamp;
// The files `validate` puts back to stock, as the user edited them (server.cfg in Windows-1252).
const std::map<std::string, std::string> kEdited = {
    {"tfc\\server.cfg", "hostname \"My server\"\r\nsv_password \xe9t\xe9\r\n"},
    {"tfc\\mapcycle.txt", "well\r\n2fort\r\n"},
    {"tfc\\motd.txt", "Welcome to my server\r\n"}};

class KeptFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const auto& [relative, bytes] : kEdited) fs.AddFile(kDir + "\\" + relative, bytes);
  }
  KeptFiles Keep() {
    KeepResult result = KeepUserFiles(fs, kDir, kStamp);
    EXPECT_TRUE(result.ok) << result.message;
    return result.kept;
  }
  MemoryFileSystem fs;
};

TEST_F(KeptFilesTest, secondKeepInTheSameSecondGetsItsOwnFolder) {
  ASSERT_EQ(Keep().backupDir, kBackup);
  EXPECT_EQ(Keep().backupDir, kBackup + "-2");
}

TEST_F(KeptFilesTest, fullDiskStopsTheKeepAndIsNamed) {
  fs.FailOn(MemoryFileSystem::Op::Write, "", MemoryFileSystem::kNoSpace, -1, 3);
  const KeepResult result = KeepUserFiles(fs, kDir, kStamp);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.message, "Cannot keep a copy of C:\\hlds\\tfc\\server.cfg in " + kBackup +
                                "\\tfc\\server.cfg: No space left on device");
}

// Replaced files coming back byte for byte is the installer tests' against the stand-in SteamCMD.
TEST_F(KeptFilesTest, restorePutsBackAMissingFile_andNamesTheFileItCannotPutBackAndTheCopy) {
  const KeptFiles kept = Keep();
  ASSERT_TRUE(fs.Remove(kDir + "\\tfc\\mapcycle.txt"));
  fs.AddFile(kDir + "\\tfc\\server.cfg", "// stock\n");
  fs.FailOn(MemoryFileSystem::Op::Write, kDir + "\\tfc\\server.cfg", MemoryFileSystem::kDenied);
  EXPECT_EQ(RestoreUserFiles(fs, kDir, kept).Message(),
            "Put back your own tfc/mapcycle.txt (SteamCMD had replaced it).\n"
            "Cannot put back C:\\hlds\\tfc\\server.cfg: Permission denied. Your copy is in " +
                kBackup + "\\tfc\\server.cfg.");
  EXPECT_EQ(fs.Bytes(kDir + "\\tfc\\mapcycle.txt"), kEdited.at("tfc\\mapcycle.txt"));
}

TEST_F(KeptFilesTest, pruneKeepsTheNewestTenAndWhatIsNotOurs) {
  for (int second = 10; second < 22; ++second) {
    ASSERT_TRUE(KeepUserFiles(fs, kDir, BackupStamp(2026, 12, 7, 5, 30, second)).ok);
  }
  const std::string root = kDir + "\\quorvane-backup\\";
  fs.AddFile(root + "2026-12-07_05-30-11\\tfc\\notes.txt", "the user's own");
  fs.AddDirectory(root + "old stuff");
  EXPECT_EQ(PruneBackups(fs, kDir).size(), 1u);  // the folder holding notes.txt stays
  EXPECT_FALSE(fs.Exists(root + "2026-12-07_05-30-10"));
  EXPECT_TRUE(fs.Exists(root + "2026-12-07_05-30-11\\tfc\\notes.txt"));
  EXPECT_FALSE(fs.Exists(root + "2026-12-07_05-30-11\\tfc\\server.cfg"));
  EXPECT_TRUE(fs.Exists(root + "2026-12-07_05-30-12\\tfc\\server.cfg"));
  EXPECT_TRUE(fs.Exists(root + "old stuff"));
}

// server.cfg holds the rcon password.
TEST_F(KeptFilesTest, copiesAreAsOpenAsTheirOriginals_inFoldersOnlyTheUserMayEnter) {
  fs.AddFile(kDir + "\\tfc\\server.cfg", kEdited.at("tfc\\server.cfg"), 0600);
  fs.AddFile(kDir + "\\tfc\\motd.txt", kEdited.at("tfc\\motd.txt"), 0640);
  Keep();
  EXPECT_EQ(fs.Mode(kBackup + "\\tfc\\server.cfg"), 0600u);
  EXPECT_EQ(fs.Mode(kBackup + "\\tfc\\motd.txt"), 0640u);
  for (const std::string& folder : {kDir + "\\quorvane-backup", kBackup, kBackup + "\\tfc"})
    EXPECT_EQ(fs.Mode(folder), 0700u) << folder;
}

// Twelve backups, the two oldest to be pruned; `link` (below the backup folder) leads to another install.
struct LinkCase {
  const char* name;
  std::string link;
  std::string report;
};
void PrintTo(const LinkCase& c, std::ostream* out) { *out << c.name; }

class PruneLinks : public KeptFilesTest, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(PruneLinks, linkIsLeftAloneWithAllBehindIt_andReportedOnce) {
  for (int second = 10; second < 22; ++second) {
    ASSERT_TRUE(KeepUserFiles(fs, kDir, BackupStamp(2026, 12, 7, 5, 30, second)).ok);
  }
  const std::string root = kDir + "\\quorvane-backup";
  const std::string link = root + GetParam().link;
  fs.AddLink(link);
  // The other install, seen through the link.
  const std::string theirs = link + (GetParam().link.ends_with("tfc") ? "" : "\\tfc") + "\\server.cfg";
  fs.AddFile(theirs, "their own");
  EXPECT_EQ(PruneBackups(fs, kDir), std::vector<std::string>{GetParam().report});
  EXPECT_EQ(fs.Bytes(theirs), "their own");
}

INSTANTIATE_TEST_SUITE_P(
    Links, PruneLinks,
    ::testing::Values(
        LinkCase{"BackupFolderIsALink", "",
                 "The old backup C:\\hlds\\quorvane-backup is a link to another place; it was left alone."},
        LinkCase{"FolderInAnOldBackupIsALink", "\\2026-12-07_05-30-10\\tfc",
                 "Cannot remove the old backup folder C:\\hlds\\quorvane-backup\\2026-12-07_05-30-10: Directory "
                 "not empty"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quorvane::update
