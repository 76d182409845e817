#include "update/kept_files.h"

#include <gtest/gtest.h>

#include <string>

#include "support/memory_file_system.h"

namespace quorvane::update {
namespace {

using test_support::MemoryFileSystem;

const std::string kDir = "C:\\hlds";
const std::string kBackup = "C:\\hlds\\quorvane-backup\\2026-12-07_05-30-12";
const std::string kEdited = "hostname \"My server\"\r\nsv_password \xe9t\xe9\r\n";

class KeptFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs.AddFile(kDir + "\\tfc\\server.cfg", kEdited);
    fs.AddFile(kDir + "\\valve\\autoexec.cfg", "exec x.cfg\n");
  }
  KeptFiles Keep() {
    KeepResult result = KeepUserFiles(fs, kDir, "2026-12-07_05-30-12");
    EXPECT_TRUE(result.ok) << result.message;
    return result.kept;
  }
  MemoryFileSystem fs;
};

TEST_F(KeptFilesTest, keepCopiesThePresentFilesByteForByte) {
  const KeptFiles kept = Keep();
  EXPECT_EQ(kept.backupDir, kBackup);
  EXPECT_EQ(fs.Bytes(kBackup + "\\tfc\\server.cfg"), kEdited);
  EXPECT_EQ(fs.Bytes(kBackup + "\\valve\\autoexec.cfg"), "exec x.cfg\n");
  EXPECT_FALSE(fs.Exists(kBackup + "\\tfc\\motd.txt"));
}

TEST_F(KeptFilesTest, nothingToKeepMakesNoBackupFolder) {
  MemoryFileSystem empty;
  const KeepResult result = KeepUserFiles(empty, kDir, "2026-12-07_05-30-12");
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.kept.backupDir, "");
  EXPECT_FALSE(empty.Exists(kDir + "\\quorvane-backup"));
}

TEST_F(KeptFilesTest, secondKeepInTheSameSecondGetsItsOwnFolder) {
  ASSERT_EQ(Keep().backupDir, kBackup);
  EXPECT_EQ(Keep().backupDir, kBackup + "-2");
}

TEST_F(KeptFilesTest, unreadableFileStopsTheKeepAndIsNamed) {
  fs.FailOn(MemoryFileSystem::Op::Read, kDir + "\\tfc\\server.cfg", MemoryFileSystem::kDenied);
  const KeepResult result = KeepUserFiles(fs, kDir, "2026-12-07_05-30-12");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.message, "Cannot read C:\\hlds\\tfc\\server.cfg to keep a copy: Permission denied");
}

TEST_F(KeptFilesTest, fullDiskStopsTheKeepAndIsNamed) {
  fs.FailOn(MemoryFileSystem::Op::Write, "", MemoryFileSystem::kNoSpace, -1, 3);
  const KeepResult result = KeepUserFiles(fs, kDir, "2026-12-07_05-30-12");
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.message.find("No space left on device"), std::string::npos) << result.message;
}

TEST_F(KeptFilesTest, restorePutsBackReplacedAndMissingFilesOnly) {
  const KeptFiles kept = Keep();
  fs.AddFile(kDir + "\\tfc\\server.cfg", "// stock\n");
  ASSERT_TRUE(fs.Remove(kDir + "\\valve\\autoexec.cfg"));
  fs.AddFile(kDir + "\\tfc\\motd.txt", "stock motd, never the user's\n");
  const RestoreResult restored = RestoreUserFiles(fs, kDir, kept);
  EXPECT_EQ(restored.restored, (std::vector<std::string>{"tfc/server.cfg", "valve/autoexec.cfg"}));
  EXPECT_EQ(fs.Bytes(kDir + "\\tfc\\server.cfg"), kEdited);
  EXPECT_EQ(fs.Bytes(kDir + "\\valve\\autoexec.cfg"), "exec x.cfg\n");
  EXPECT_EQ(fs.Bytes(kDir + "\\tfc\\motd.txt"), "stock motd, never the user's\n");
  EXPECT_EQ(restored.Message(),
            "Put back your own tfc/server.cfg, valve/autoexec.cfg (SteamCMD had replaced them).");
}

TEST_F(KeptFilesTest, restoreOfUnchangedFilesSaysNothing) {
  const RestoreResult restored = RestoreUserFiles(fs, kDir, Keep());
  EXPECT_TRUE(restored.restored.empty());
  EXPECT_EQ(restored.Message(), "");
}

TEST_F(KeptFilesTest, failedRestoreNamesTheFileAndTheCopy) {
  const KeptFiles kept = Keep();
  fs.AddFile(kDir + "\\tfc\\server.cfg", "// stock\n");
  fs.FailOn(MemoryFileSystem::Op::Write, kDir + "\\tfc\\server.cfg", MemoryFileSystem::kDenied);
  const RestoreResult restored = RestoreUserFiles(fs, kDir, kept);
  EXPECT_FALSE(restored.ok());
  EXPECT_EQ(restored.Message(), "Cannot put back C:\\hlds\\tfc\\server.cfg: Permission denied. Your copy is in " +
                                    kBackup + "\\tfc\\server.cfg.");
}

TEST_F(KeptFilesTest, pruneKeepsTheNewestTenAndWhatIsNotOurs) {
  for (int second = 10; second < 22; ++second) {
    ASSERT_TRUE(KeepUserFiles(fs, kDir, BackupStamp(2026, 12, 7, 5, 30, second)).ok);
  }
  const std::string root = kDir + "\\quorvane-backup\\";
  fs.AddFile(root + "2026-12-07_05-30-11\\tfc\\notes.txt", "the user's own");
  fs.AddDirectory(root + "old stuff");
  EXPECT_TRUE(PruneBackups(fs, kDir).size() == 1);  // the folder holding notes.txt stays
  EXPECT_FALSE(fs.Exists(root + "2026-12-07_05-30-10"));
  EXPECT_TRUE(fs.Exists(root + "2026-12-07_05-30-11\\tfc\\notes.txt"));
  EXPECT_FALSE(fs.Exists(root + "2026-12-07_05-30-11\\tfc\\server.cfg"));
  EXPECT_TRUE(fs.Exists(root + "2026-12-07_05-30-12\\tfc\\server.cfg"));
  EXPECT_TRUE(fs.Exists(root + "old stuff"));
}

TEST(JoinPath, followsTheSeparatorTheDirectoryUses) {
  EXPECT_EQ(JoinPath("/home/u/hlds", "tfc/server.cfg"), "/home/u/hlds/tfc/server.cfg");
  EXPECT_EQ(JoinPath("C:\\hlds\\", "tfc/server.cfg"), "C:\\hlds\\tfc\\server.cfg");
}

}  // namespace
}  // namespace quorvane::update
