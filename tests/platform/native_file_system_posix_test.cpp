#include "platform/file_system.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "platform/scratch_dir.h"

namespace quorvane::platform {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDir;
using testing::Slurp;

// chattr +i for the life of the object; root ignores permission bits, not this.
class Immutable {
 public:
  explicit Immutable(const fs::path& p) : m_path(p) { m_ok = Set(true); }
  ~Immutable() {
    if (m_ok) Set(false);
  }
  bool ok() const { return m_ok; }

 private:
  bool Set(bool on) {
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
      flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
      done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
  }
  fs::path m_path;
  bool m_ok = false;
};

class NativeFileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(m_dir.Path().empty()); }
  std::string Text(std::string_view relative) const { return m_dir.Text() + "\\" + std::string(relative); }

  ScratchDir m_dir;
  NativeFileSystem m_fs;
};

TEST_F(NativeFileSystemTest, presenceMeansARegularFile) {
  m_dir.MakeFile("Tfc/server.cfg", "x");
  m_dir.MakeDir("Tfc/maps");
  fs::create_symlink("server.cfg", m_dir.Path() / "Tfc/link.cfg");
  fs::create_symlink("maps", m_dir.Path() / "Tfc/dirlink");
  fs::create_symlink("gone.cfg", m_dir.Path() / "Tfc/dangling.cfg");
  ASSERT_EQ(::mkfifo((m_dir.Path() / "Tfc/fifo.cfg").c_str(), 0600), 0);

  const std::pair<const char*, bool> cases[] = {
      {"TFC\\server.cfg", true}, {"tfc\\link.cfg", true},     {"Tfc\\Maps", false},    {"Tfc\\dirlink", false},
      {"Tfc\\dangling.cfg", false}, {"Tfc\\fifo.cfg", false}, {"Tfc\\missing.cfg", false}, {"Tfc\\server.cfg\\", false},
  };
  for (const auto& [path, present] : cases) EXPECT_EQ(m_fs.IsPresent(Text(path)), present) << path;
  EXPECT_TRUE(m_fs.IsDirectory(Text("TFC\\MAPS\\")));
  EXPECT_TRUE(m_fs.IsDirectory(Text("tfc\\dirlink")));
  EXPECT_FALSE(m_fs.IsDirectory(Text("tfc\\server.cfg")));

  // Neither is read or written as a file; the FIFO must not block.
  std::string bytes;
  EXPECT_EQ(m_fs.ReadFile(Text("tfc\\maps"), bytes).error, std::strerror(EISDIR));
  EXPECT_FALSE(m_fs.ReadFile(Text("tfc\\fifo.cfg"), bytes));
  EXPECT_FALSE(m_fs.WriteFile(Text("tfc\\fifo.cfg"), "x"));
  EXPECT_FALSE(m_fs.WriteFile(Text("tfc\\maps"), "x"));
}

TEST_F(NativeFileSystemTest, writeThenRead_keepsEveryByte) {
  std::string bytes;
  for (int i = 0; i < 3 * 65536 + 7; ++i) bytes += static_cast<char>(i * 7 % 256);
  ASSERT_TRUE(m_fs.WriteFile(Text("data.bin"), bytes));
  EXPECT_EQ(Slurp(m_dir.Path() / "data.bin"), bytes);
  std::string back;
  ASSERT_TRUE(m_fs.ReadFile(Text("DATA.BIN"), back));
  EXPECT_EQ(back, bytes);

  ASSERT_TRUE(m_fs.WriteFile(Text("data.bin"), "short"));  // truncates
  EXPECT_EQ(Slurp(m_dir.Path() / "data.bin"), "short");
}

TEST_F(NativeFileSystemTest, missingPlaces_failWithTheSystemsReason) {
  std::string bytes = "untouched";
  const auto read = m_fs.ReadFile(Text("nowhere\\file.txt"), bytes);
  EXPECT_FALSE(read);
  EXPECT_EQ(read.error, std::strerror(ENOENT));
  EXPECT_EQ(bytes, "untouched");

  const auto write = m_fs.WriteFile(Text("nowhere\\file.txt"), "x");
  EXPECT_FALSE(write);
  EXPECT_EQ(write.error, std::strerror(ENOENT));
  EXPECT_FALSE(m_fs.Remove(Text("nowhere.txt")));
  EXPECT_FALSE(m_fs.Rename(Text("nowhere.txt"), Text("else.txt")));
  EXPECT_FALSE(m_fs.CreateDirectory(Text("a\\b\\c")));
  ASSERT_TRUE(m_fs.CreateDirectory(Text("Tfc\\")));
  EXPECT_EQ(m_fs.CreateDirectory(Text("TFC")).error, std::strerror(EEXIST));
  EXPECT_TRUE(m_fs.ListFiles(Text("nowhere\\")).empty());
}

TEST_F(NativeFileSystemTest, renameNeverReplacesAnExistingFile) {
  m_dir.MakeFile("tfc/server.cfg", "new");
  m_dir.MakeFile("tfc/server.bak", "old");
  const auto blocked = m_fs.Rename(Text("Tfc\\server.cfg"), Text("Tfc\\server.bak"));
  EXPECT_FALSE(blocked);
  EXPECT_EQ(blocked.error, std::strerror(EEXIST));
  EXPECT_EQ(Slurp(m_dir.Path() / "tfc/server.bak"), "old");

  ASSERT_TRUE(m_fs.Remove(Text("Tfc\\server.bak")));
  ASSERT_TRUE(m_fs.Rename(Text("Tfc\\server.cfg"), Text("Tfc\\server.bak")));
  EXPECT_EQ(Slurp(m_dir.Path() / "tfc/server.bak"), "new");
  EXPECT_FALSE(fs::exists(m_dir.Path() / "tfc/server.cfg"));
}

TEST_F(NativeFileSystemTest, listFiles_givesRegularFilesOnly) {
  m_dir.MakeFile("maps/2fort.bsp");
  m_dir.MakeFile("maps/2fort.txt");
  m_dir.MakeFile("maps/.hidden");
  m_dir.MakeFile("maps/\xC3\xA9t\xC3\xA9.bsp");
  m_dir.MakeDir("maps/sub.dir");
  fs::create_symlink("2fort.bsp", m_dir.Path() / "maps/linked.bsp");
  fs::create_symlink("nothing", m_dir.Path() / "maps/dangling.bsp");
  ASSERT_EQ(::mkfifo((m_dir.Path() / "maps/fifo.bsp").c_str(), 0600), 0);

  std::vector<std::string> names = m_fs.ListFiles(Text("MAPS\\"));
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".hidden", "2fort.bsp", "2fort.txt", "linked.bsp", "\xE9t\xE9.bsp"}));
}

TEST_F(NativeFileSystemTest, readOnlyFile_refusesWriteRenameAndRemove) {
  const fs::path file = m_dir.MakeFile("tfc/motd.txt", "keep\r\n");
  Immutable lock(file);
  if (!lock.ok()) GTEST_SKIP() << "this file system cannot make a file immutable (chattr +i)";
  EXPECT_FALSE(m_fs.WriteFile(Text("tfc\\motd.txt"), "lost"));
  EXPECT_FALSE(m_fs.Remove(Text("tfc\\motd.txt")));
  EXPECT_FALSE(m_fs.Rename(Text("tfc\\motd.txt"), Text("tfc\\motd.bak")));
  EXPECT_EQ(Slurp(file), "keep\r\n");
  std::string bytes;
  ASSERT_TRUE(m_fs.ReadFile(Text("tfc\\motd.txt"), bytes));
  EXPECT_EQ(bytes, "keep\r\n");
}

TEST_F(NativeFileSystemTest, readOnlyDirectory_refusesNewFiles) {
  const fs::path dir = m_dir.MakeDir("tfc");
  Immutable lock(dir);
  if (!lock.ok()) GTEST_SKIP() << "this file system cannot make a directory immutable (chattr +i)";
  const auto write = m_fs.WriteFile(Text("Tfc\\mapcycle.txt"), "2fort\r\n");
  EXPECT_FALSE(write);
  EXPECT_FALSE(write.error.empty());
  EXPECT_FALSE(m_fs.CreateDirectory(Text("Tfc\\Maps")));
  EXPECT_FALSE(fs::exists(dir / "mapcycle.txt"));
}

TEST_F(NativeFileSystemTest, fullDisk_isReportedNotHidden) {
  const fs::path mountPoint = m_dir.MakeDir("small");
  if (::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "cannot mount a small tmpfs here: " << std::strerror(errno);
  }
  struct Unmount {
    fs::path p;
    ~Unmount() { ::umount2(p.c_str(), MNT_DETACH); }
  } unmount{mountPoint};

  const auto big = m_fs.WriteFile(Text("small\\big.bin"), std::string(256 * 1024, 'x'));
  EXPECT_FALSE(big);
  EXPECT_EQ(big.error, std::strerror(ENOSPC));
  ASSERT_TRUE(m_fs.Remove(Text("small\\big.bin")));
  EXPECT_TRUE(m_fs.WriteFile(Text("small\\fits.txt"), "2fort\r\n"));
}

}  // namespace
}  // namespace quorvane::platform
