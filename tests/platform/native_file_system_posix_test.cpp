#include "platform/file_system.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/scratch_dir.h"

namespace quorvane::platform {
namespace {

namespace fs = std::filesystem;
using testing::Slurp;

// chattr +i or -i; root ignores permission bits, not this.
bool Chattr(const char* change, const fs::path& p) {
  return std::system(("chattr " + std::string(change) + " '" + p.string() + "' 2>/dev/null").c_str()) == 0;
}

class NativeFileSystemTest : public ::testing::Test {
 protected:
  std::string Text(const std::string& relative) const { return m_dir.Text() + "\\" + relative; }
  testing::ScratchDir m_dir;
  NativeFileSystem m_fs;
};

TEST_F(NativeFileSystemTest, presenceMeansARegularFile_andAFifoIsNeverOpened) {
  m_dir.MakeFile("Tfc/server.cfg", "x");
  m_dir.MakeDir("Tfc/maps");
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

TEST_F(NativeFileSystemTest, writeThenRead_keepsEveryByte_andRewritingTruncates) {
  std::string bytes, back;
  for (int i = 0; i < 3 * 65536 + 7; ++i) bytes += static_cast<char>(i * 7 % 256);
  ASSERT_TRUE(m_fs.WriteFile(Text("data.bin"), bytes));
  ASSERT_TRUE(m_fs.ReadFile(Text("DATA.BIN"), back));
  EXPECT_EQ(back, bytes);
  ASSERT_TRUE(m_fs.WriteFile(Text("data.bin"), "short"));
  EXPECT_EQ(Slurp(m_dir.Path() / "data.bin"), "short");
}

TEST_F(NativeFileSystemTest, renameRefusesAnExistingTarget) {
  m_dir.MakeFile("tfc/server.cfg", "new");
  m_dir.MakeFile("tfc/server.bak", "old");
  EXPECT_EQ(m_fs.Rename(Text("Tfc\\server.cfg"), Text("Tfc\\server.bak")).error, std::strerror(EEXIST));
  EXPECT_EQ(Slurp(m_dir.Path() / "tfc/server.bak"), "old");
  ASSERT_TRUE(m_fs.Remove(Text("Tfc\\server.bak")));
  EXPECT_TRUE(m_fs.Rename(Text("Tfc\\server.cfg"), Text("Tfc\\server.bak")));
}

TEST_F(NativeFileSystemTest, writeIntoMissingOrImmutablePlaces_failsAndChangesNothing) {
  EXPECT_EQ(m_fs.WriteFile(Text("nowhere\\file.txt"), "x").error, std::strerror(ENOENT));
  const fs::path file = m_dir.MakeFile("tfc/motd.txt", "keep");
  const fs::path dir = m_dir.MakeDir("locked");
  if (!Chattr("+i", file) || !Chattr("+i", dir)) GTEST_SKIP() << "no chattr +i on this file system";
  const install::IoResult results[] = {m_fs.WriteFile(Text("tfc\\motd.txt"), "lost"),
                                       m_fs.Rename(Text("tfc\\motd.txt"), Text("tfc\\motd.bak")),
                                       m_fs.WriteFile(Text("Locked\\new.txt"), "x")};
  Chattr("-i", file);
  Chattr("-i", dir);
  for (const install::IoResult& r : results) EXPECT_EQ(r.error, std::strerror(EPERM));
  EXPECT_EQ(Slurp(file), "keep");
  EXPECT_FALSE(fs::exists(dir / "new.txt"));
}

TEST_F(NativeFileSystemTest, fullDisk_failsTheWrite) {
  const fs::path small = m_dir.MakeDir("small");
  if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k") != 0) GTEST_SKIP() << "cannot mount a tmpfs here";
  const install::IoResult big = m_fs.WriteFile(Text("small\\big.bin"), std::string(256 * 1024, 'x'));
  ::umount2(small.c_str(), MNT_DETACH);
  EXPECT_EQ(big.error, std::strerror(ENOSPC));
}

}  // namespace
}  // namespace quorvane::platform
