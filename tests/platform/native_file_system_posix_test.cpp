#include "platform/file_system.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <cstring>

#include "platform/scratch_dir.h"
#include "support/real_faults.h"

namespace quorvane::platform {
namespace {

namespace fs = std::filesystem;
using testing::Slurp;

class NativeFileSystemTest : public ::testing::Test {
 protected:
  std::string Text(const std::string& relative) const { return m_dir.Text() + "\\" + relative; }
  testing::ScratchDir m_dir;
  NativeFileSystem m_fs;
};

TEST_F(NativeFileSystemTest, presenceMeansARegularFile_andAFifoIsNeverOpened) {
  m_dir.Make("Tfc/server.cfg", "x");
  m_dir.Make("Tfc/maps/");
  fs::create_symlink("server.cfg", m_dir.Path() / "Tfc/link.cfg");
  fs::create_symlink("gone.cfg", m_dir.Path() / "Tfc/dangling.cfg");
  ASSERT_EQ(::mkfifo((m_dir.Path() / "Tfc/fifo.cfg").c_str(), 0600), 0);
  const std::pair<const char*, bool> cases[] = {{"TFC\\server.cfg", true},    {"tfc\\link.cfg", true},
                                                {"Tfc\\Maps", false},         {"Tfc\\dangling.cfg", false},
                                                {"Tfc\\fifo.cfg", false},     {"Tfc\\missing.cfg", false}};
  for (const auto& [path, present] : cases) EXPECT_EQ(m_fs.IsPresent(Text(path)), present) << path;
  EXPECT_TRUE(m_fs.IsDirectory(Text("TFC\\MAPS\\")));
  std::string bytes;
  EXPECT_FALSE(m_fs.ReadFile(Text("tfc\\fifo.cfg"), bytes));
  EXPECT_FALSE(m_fs.WriteFile(Text("tfc\\fifo.cfg"), "x"));
}

TEST_F(NativeFileSystemTest, everyByteIsKept_rewritingTruncates_andRenameRefusesAnExistingTarget) {
  std::string bytes, back;
  for (int i = 0; i < 3 * 65536 + 7; ++i) bytes += static_cast<char>(i * 7 % 256);
  ASSERT_TRUE(m_fs.WriteFile(Text("server.cfg"), bytes));
  ASSERT_TRUE(m_fs.ReadFile(Text("SERVER.CFG"), back));
  EXPECT_EQ(back, bytes);
  ASSERT_TRUE(m_fs.WriteFile(Text("Server.cfg"), "new"));
  EXPECT_EQ(Slurp(m_dir.Make("server.bak", "old").parent_path() / "server.cfg"), "new");
  EXPECT_EQ(m_fs.Rename(Text("Server.cfg"), Text("Server.bak")).error, std::strerror(EEXIST));
  EXPECT_EQ(Slurp(m_dir.Path() / "server.bak"), "old");
}

TEST_F(NativeFileSystemTest, writeIntoAMissingImmutableOrFullPlace_failsAndChangesNothing) {
  const fs::path file = m_dir.Make("tfc/motd.txt", "keep"), full = m_dir.Make("full/");
  const test_support::Immutable lockFile(file), lockDir(m_dir.Make("locked/"));
  if (!lockFile.ok() || !lockDir.ok() || ::mount("tmpfs", full.c_str(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "needs root for immutable files and a small tmpfs: " << lockFile.error();
  }
  const std::pair<const char*, int> cases[] = {
      {"nowhere\\file.txt", ENOENT}, {"tfc\\motd.txt", EPERM}, {"Locked\\new.txt", EPERM}, {"Full\\big.bin", ENOSPC}};
  for (const auto& [path, error] : cases) {
    EXPECT_EQ(m_fs.WriteFile(Text(path), std::string(256 * 1024, 'x')).error, std::strerror(error)) << path;
  }
  ::umount2(full.c_str(), MNT_DETACH);
  EXPECT_EQ(Slurp(file), "keep");
}

}  // namespace
}  // namespace quorvane::platform
