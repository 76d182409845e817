// Who may read the user's files once the writers and the SteamCMD backups
// have been at them, and what pruning the backups may remove, on the real disk.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "config/cfg_writer.h"
#include "maps/map_cycle.h"
#include "maps/motd.h"
#include "platform/file_system.h"
#include "platform/install_runner.h"
#include "platform/scratch_dir.h"
#include "update/installer.h"
#include "update/kept_files.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using platform::testing::ScratchDir;
using platform::testing::Slurp;

unsigned ModeOf(const fs::path& p) {
  struct stat st {};
  return ::lstat(p.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

struct WriterMode {
  const char* name;
  const char* file;  // made with `mode` before the write
  unsigned mode;
  std::function<install::IoResult(install::FileSystem&, const std::string&)> write;  // given the game folder
};
void PrintTo(const WriterMode& row, std::ostream* out) { *out << row.name; }

class WriterKeepsMode : public ::testing::TestWithParam<WriterMode> {};

TEST_P(WriterKeepsMode, rewrittenFileIsAsOpenAsBefore) {
  const WriterMode& row = GetParam();
  ScratchDir dir;
  const fs::path file = dir.Make(row.file, "previous\r\n");
  ASSERT_EQ(::chmod(file.c_str(), row.mode), 0);
  platform::NativeFileSystem disk;
  ASSERT_TRUE(row.write(disk, dir.Text()));
  EXPECT_EQ(ModeOf(file), row.mode);
}

INSTANTIATE_TEST_SUITE_P(
    Writers, WriterKeepsMode,
    ::testing::Values(WriterMode{"ServerCfg", "tfc/server.cfg", 0600,
                                 [](install::FileSystem& fs, const std::string& game) {
                                   return config::WriteServerCfg(fs, game, {});
                                 }},
                      WriterMode{"AutoexecCfg", "valve/autoexec.cfg", 0640,
                                 [](install::FileSystem& fs, const std::string& game) {
                                   return config::WriteAutoexecCfg(fs, game, {});
                                 }},
                      WriterMode{"MapCycle", "tfc/mapcycle.txt", 0600,
                                 [](install::FileSystem& fs, const std::string& game) {
                                   return maps::SaveMapCycle(fs, game + "/tfc/mapcycle.txt", {"2fort", "well"});
                                 }},
                      WriterMode{"Motd", "tfc/motd.txt", 0640,
                                 [](install::FileSystem& fs, const std::string& game) {
                                   return maps::SaveMotd(fs, game + "/tfc/motd.txt", "Welcome");
                                 }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ServerFiles, privateServerCfgKeepsItsBackupAndTheListenFilePrivate) {
  ScratchDir dir;
  const fs::path server = dir.Make("tfc/server.cfg", "rcon_password secret\r\n");
  const fs::path listen = dir.Make("tfc/listenserver.cfg", "rcon_password secret\r\n");
  ASSERT_EQ(::chmod(server.c_str(), 0600), 0);
  ASSERT_EQ(::chmod(listen.c_str(), 0644), 0);
  platform::NativeFileSystem disk;
  ASSERT_TRUE(config::WriteServerCfg(disk, dir.Text(), {}));
  EXPECT_EQ(ModeOf(server), 0600u);
  EXPECT_EQ(ModeOf(dir.Path() / "tfc/server.bak"), 0600u);
  EXPECT_EQ(ModeOf(listen), 0600u);
}

// As root: a file whose owner and group the writer cannot give the new file.
TEST(ServerFiles, groupThatCannotBeSetTakesItsPermissionsWithIt) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to hand files to other users";
  constexpr uid_t kUser = 65534, kOther = 12345;
  ScratchDir dir;
  const fs::path bak = dir.Make("tfc/server.bak", "shared with a group");
  ASSERT_EQ(::chown(bak.c_str(), kOther, kOther), 0);
  ASSERT_EQ(::chmod(bak.c_str(), 0660), 0);
  ASSERT_EQ(::chmod((dir.Path() / "tfc").c_str(), 0777), 0);
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::setresgid(kUser, kUser, kUser) != 0 || ::setresuid(kUser, kUser, kUser) != 0) ::_exit(255);
    platform::NativeFileSystem disk;
    const std::string tfc = dir.Text() + "/tfc/";
    ::_exit(disk.WriteFileLike(tfc + "server.cfg", "new", {tfc + "server.bak", {}}) ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ModeOf(dir.Path() / "tfc/server.cfg"), 0600u);
}

class KeptFilesOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    server = dir.Make("hlds/tfc/server.cfg", "rcon_password secret\r\n");
    ASSERT_EQ(::chmod(server.c_str(), 0600), 0);
  }
  std::string Install() const { return (dir.Path() / "hlds").string(); }
  ScratchDir dir;
  fs::path server;
  platform::NativeFileSystem disk;
};

TEST_F(KeptFilesOnDisk, copyOfAPrivateServerCfgIsPrivate_andSoAreItsFolders) {
  const update::KeepResult kept = update::KeepUserFiles(disk, Install(), "2026-12-07_05-30-12");
  ASSERT_TRUE(kept.ok) << kept.message;
  const fs::path backup = kept.kept.backupDir;
  EXPECT_EQ(ModeOf(backup / "tfc/server.cfg"), 0600u);
  for (const fs::path& folder : {backup.parent_path(), backup, backup / "tfc"})
    EXPECT_EQ(ModeOf(folder), 0700u) << folder;
}

TEST_F(KeptFilesOnDisk, fileReplacedWithAnotherModeIsPutBackWithTheUsersMode) {
  const update::KeepResult kept = update::KeepUserFiles(disk, Install(), "2026-12-07_05-30-12");
  ASSERT_TRUE(kept.ok) << kept.message;
  fs::remove(server);
  dir.Make("hlds/tfc/server.cfg", "// stock\n");
  ASSERT_EQ(::chmod(server.c_str(), 0644), 0);
  ASSERT_TRUE(update::RestoreUserFiles(disk, Install(), kept.kept).ok());
  EXPECT_EQ(Slurp(server), "rcon_password secret\r\n");
  EXPECT_EQ(ModeOf(server), 0600u);
}

// A stamp-named link among the backups, leading to another install, is the
// oldest entry: everything behind it survives the pruning.
TEST_F(KeptFilesOnDisk, pruningLeavesALinkToAnotherInstallAndAllBehindItAlone) {
  for (int second = 10; second < 22; ++second)
    ASSERT_TRUE(update::KeepUserFiles(disk, Install(), update::BackupStamp(2026, 12, 7, 5, 30, second)).ok);
  const fs::path other = dir.Make("other/tfc/server.cfg", "their rcon_password\r\n");
  dir.Make("other/tfc/mapcycle.txt", "2fort\r\n");
  const fs::path link = dir.Path() / "hlds/quorvane-backup/2026-12-07_05-29-59";
  fs::create_directory_symlink(dir.Path() / "other", link);
  const std::vector<std::string> problems = update::PruneBackups(disk, Install());
  EXPECT_EQ(problems, std::vector<std::string>{"The old backup " + link.string() +
                                               " is a link to another place; it was left alone."});
  EXPECT_EQ(Slurp(other), "their rcon_password\r\n");
  EXPECT_TRUE(fs::exists(dir.Path() / "other/tfc/mapcycle.txt"));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_FALSE(fs::exists(dir.Path() / "hlds/quorvane-backup/2026-12-07_05-30-11"));
  EXPECT_TRUE(fs::exists(dir.Path() / "hlds/quorvane-backup/2026-12-07_05-30-12/tfc/server.cfg"));
}

// The stand-in SteamCMD puts its stock server.cfg in place as a new file with a mode of its own.
TEST_F(KeptFilesOnDisk, updateKeepsAPrivateServerCfgPrivateInItsBackupAndWhenPutBack) {
  dir.Make("hlds/steamcmd-standin-mode", "ok");
  update::Installer installer(disk, {Install(), QUORVANE_STEAMCMD_STANDIN, platform::BackupStampNow()});
  const update::InstallResult result = platform::RunInstaller(installer);
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_EQ(Slurp(server), "rcon_password secret\r\n");
  EXPECT_EQ(ModeOf(server), 0600u);
  EXPECT_EQ(ModeOf(fs::path(result.backupDir) / "tfc/server.cfg"), 0600u);
  EXPECT_EQ(ModeOf(result.backupDir), 0700u);
}

}  // namespace
}  // namespace quorvane
