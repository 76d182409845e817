#include "platform/file_system.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <set>

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
  const std::pair<const char*, bool> cases[] = {{"TFC\\server.cfg", true}, {"tfc\\link.cfg", true},
                                                {"Tfc\\Maps", false},      {"Tfc\\dangling.cfg", false},
                                                {"Tfc\\fifo.cfg", false},  {"Tfc\\missing.cfg", false}};
  for (const auto& [path, present] : cases) EXPECT_EQ(m_fs.IsPresent(Text(path)), present) << path;
  EXPECT_TRUE(m_fs.IsDirectory(Text("TFC\\MAPS\\")));
  EXPECT_FALSE(m_fs.ReadFile(Text("tfc\\fifo.cfg")));
  EXPECT_FALSE(m_fs.WriteFile(Text("tfc\\fifo.cfg"), "x"));
}

TEST_F(NativeFileSystemTest, everyByteIsKept_rewritingTruncates_andRenameRefusesAnExistingTarget) {
  std::string bytes;
  for (int i = 0; i < 3 * 65536 + 7; ++i) bytes += static_cast<char>(i * 7 % 256);
  ASSERT_TRUE(m_fs.WriteFile(Text("server.cfg"), bytes));
  const install::Read<std::string> back = m_fs.ReadFile(Text("SERVER.CFG"));
  ASSERT_TRUE(back);
  EXPECT_EQ(back.value(), bytes);
  ASSERT_TRUE(m_fs.WriteFile(Text("Server.cfg"), "new"));
  EXPECT_EQ(Slurp(m_dir.Make("server.bak", "old").parent_path() / "server.cfg"), "new");
  EXPECT_EQ(m_fs.Rename(Text("Server.cfg"), Text("Server.bak")).reason, std::strerror(EEXIST));
  EXPECT_EQ(Slurp(m_dir.Path() / "server.bak"), "old");
}

// Each refused write names the system's reason, keeps the previous bytes, and leaves
// nothing behind: no temporary, no directory made up where one was missing.
TEST_F(NativeFileSystemTest, writeIntoAMissingImmutableFullOrOccupiedPlace_failsAndChangesNothing) {
  const fs::path file = m_dir.Make("tfc/motd.txt", "keep"), full = m_dir.Make("full/");
  m_dir.Make("tfc/server.cfg/inside/");
  const test_support::Immutable lockFile(file), lockDir(m_dir.Make("locked/"));
  if (!lockFile.ok() || !lockDir.ok() || ::mount("tmpfs", full.c_str(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "needs root for immutable files and a small tmpfs: " << lockFile.error();
  }
  const std::shared_ptr<void> unmount(nullptr, [&](void*) { ::umount2(full.c_str(), MNT_DETACH); });
  m_dir.Make("full/motd.txt", "keep");
  const auto entries = [this] { return std::set<fs::path>(fs::recursive_directory_iterator(m_dir.Path()), {}); };
  const std::set<fs::path> before = entries();
  const std::pair<const char*, int> cases[] = {{"nowhere\\file.txt", ENOENT},
                                               {"tfc\\motd.txt", EPERM},
                                               {"Locked\\new.txt", EPERM},
                                               {"Full\\motd.txt", ENOSPC},
                                               {"tfc\\server.cfg", EISDIR}};
  for (const auto& [path, error] : cases) {
    EXPECT_EQ(m_fs.WriteFile(Text(path), std::string(256 * 1024, 'x')).reason, std::strerror(error)) << path;
  }
  EXPECT_EQ(entries(), before);
  EXPECT_EQ(Slurp(file), "keep");
  EXPECT_EQ(Slurp(full / "motd.txt"), "keep");
}

TEST_F(NativeFileSystemTest, pathTextHoldingANulReachesNoFile) {
  m_dir.Make("tfc/mapcycle.txt", "keep");
  const std::string cut = Text(std::string("tfc\\mapcycle.txt\0junk", 21));
  EXPECT_FALSE(m_fs.IsPresent(cut));
  EXPECT_FALSE(m_fs.ReadFile(cut));
  EXPECT_EQ(m_fs.WriteFile(cut, "new").reason, std::strerror(ENOENT));
  EXPECT_FALSE(m_fs.Remove(cut));
  EXPECT_EQ(Slurp(m_dir.Path() / "tfc/mapcycle.txt"), "keep");
}

// Server tools often link the configuration files elsewhere: the file at the end of the links changes, the links
// stay; another name of the same file sees the change, as it did when files were rewritten in place.
TEST_F(NativeFileSystemTest, writeThroughLinks_replacesTheFileTheyEndAt_andKeepsTheLinks) {
  const fs::path real = m_dir.Make("real/server.cfg", "old"), tfc = m_dir.Make("Tfc/");
  fs::create_symlink("../real/server.cfg", tfc / "middle.cfg");
  fs::create_symlink("middle.cfg", tfc / "server.cfg");
  fs::create_symlink("../real/new.cfg", tfc / "dangling.cfg");
  fs::create_hard_link(real, m_dir.Path() / "real/copy.cfg");
  ASSERT_TRUE(m_fs.WriteFile(Text("tfc\\server.cfg"), "new"));
  ASSERT_TRUE(m_fs.WriteFile(Text("tfc\\dangling.cfg"), "made"));
  EXPECT_EQ(Slurp(real), "new");
  EXPECT_EQ(Slurp(m_dir.Path() / "real/copy.cfg"), "new");
  EXPECT_EQ(Slurp(m_dir.Path() / "real/new.cfg"), "made");
  EXPECT_EQ(fs::read_symlink(tfc / "server.cfg"), "middle.cfg");
  EXPECT_EQ(fs::read_symlink(tfc / "dangling.cfg"), "../real/new.cfg");
}

// A write killed half-way leaves `.<name>.quorvane-tmp-XXXXXX`; the next write of that file clears its own only.
TEST_F(NativeFileSystemTest, nextWriteRemovesItsOwnStaleTemporaries_andNothingElse) {
  const char* stale[] = {".motd.txt.quorvane-tmp-a1B2c3", ".motd.txt.quorvane-tmp-zzzzzz"};
  const char* kept[] = {".server.cfg.quorvane-tmp-a1B2c3", ".motd.txt.quorvane-tmp-a1B2c3d",
                        "motd.txt.quorvane-tmp-a1B2c3", ".motd.txt.quorvane-tmp-"};
  m_dir.Make("motd.txt", "old");
  for (const char* name : stale) m_dir.Make(name, "half");
  for (const char* name : kept) m_dir.Make(name, "other");
  ASSERT_TRUE(m_fs.WriteFile(Text("MOTD.txt"), "new"));
  for (const char* name : stale) EXPECT_FALSE(fs::exists(m_dir.Path() / name)) << name;
  for (const char* name : kept) EXPECT_EQ(Slurp(m_dir.Path() / name), "other") << name;
  EXPECT_EQ(std::distance(fs::directory_iterator(m_dir.Path()), {}), 1 + std::size(kept));
}

struct Ownership {
  const char* name;
  uid_t owner;   // of the file and its directory before the write
  mode_t mode;   // of the file before the write
  uid_t writer;  // who writes it
  int error;     // what the write reports, 0 for success
};
void PrintTo(const Ownership& o, std::ostream* out) { *out << o.name; }

constexpr uid_t kRoot = 0, kUser = 65534, kOther = 12345;
class KeepOwnership : public ::testing::TestWithParam<Ownership> {};

TEST_P(KeepOwnership, writeKeepsTheFilesOwnerAndMode_orIsRefusedAsAWriteInPlaceWouldBe) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to hand files to other users";
  const Ownership& row = GetParam();
  testing::ScratchDir scratch;
  const fs::path dir = scratch.Make("tfc/"), file = scratch.Make("tfc/motd.txt", "old");
  ASSERT_EQ(::chmod(dir.c_str(), 0777), 0);
  ASSERT_EQ(::chmod(scratch.Path().c_str(), 0755), 0);
  ASSERT_EQ(::chown(file.c_str(), row.owner, row.owner), 0);
  ASSERT_EQ(::chmod(file.c_str(), row.mode), 0);
  // The writer runs in a child of its own, which may give up root for good.
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (row.writer != kRoot && (::setresgid(row.writer, row.writer, row.writer) != 0 ||
                                ::setresuid(row.writer, row.writer, row.writer) != 0)) {
      ::_exit(255);
    }
    const install::IoResult written = NativeFileSystem().WriteFile(scratch.Text() + "\\TFC\\motd.txt", "new");
    ::_exit(written ? 0 : written.reason == std::strerror(row.error) ? 1 : 2);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), row.error == 0 ? 0 : 1);
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, row.owner);
  EXPECT_EQ(st.st_gid, row.owner);
  EXPECT_EQ(st.st_mode & 07777, row.mode);
  EXPECT_EQ(Slurp(file), row.error == 0 ? "new" : "old");
}

INSTANTIATE_TEST_SUITE_P(Owners, KeepOwnership,
                         ::testing::Values(Ownership{"RootWritingAUsersFile", kOther, 0640, kRoot, 0},
                                           Ownership{"UserWritingTheirOwnFile", kUser, 0604, kUser, 0},
                                           Ownership{"UserWritingAFileOthersOwnAndLetThemWrite", kOther, 0666, kUser,
                                                     0},
                                           Ownership{"UserWritingTheirReadOnlyFile", kUser, 0444, kUser, EACCES},
                                           Ownership{"UserWritingAFileOthersOwn", kOther, 0644, kUser, EACCES}),
                         [](const auto& info) { return std::string(info.param.name); });

// The installer's file system takes this machine's text: a folder named outside the code page is
// made, written, listed and emptied under its own name.
struct FolderName {
  const char* name;
  const char* utf8;
  const char* codePage;  // as the game's file system lists it
};
void PrintTo(const FolderName& f, std::ostream* out) { *out << f.name; }

class NativeTextTest : public ::testing::TestWithParam<FolderName> {
 protected:
  std::string Text(const std::string& relative) const { return m_dir.Text() + "/" + relative; }
  testing::ScratchDir m_dir;
  NativeFileSystem m_native{PathText::Native};
};

TEST_P(NativeTextTest, folderIsMadeWrittenListedAndEmptiedUnderItsOwnName) {
  const std::string folder = GetParam().utf8;
  ASSERT_TRUE(m_native.CreateDirectory(Text(folder)));
  ASSERT_TRUE(m_native.CreateDirectory(Text(folder + "/tfc")));
  ASSERT_TRUE(m_native.WriteFile(Text(folder + "/TFC/server.cfg"), "hostname x\n"));
  EXPECT_EQ(Slurp(m_dir.Path() / folder / "tfc/server.cfg"), "hostname x\n");
  EXPECT_EQ(m_native.ListDirectories(m_dir.Text()), std::vector<std::string>{folder});
  ASSERT_TRUE(m_native.Rename(Text(folder + "/tfc/server.cfg"), Text(folder + "/tfc/server.bak")));
  EXPECT_EQ(m_native.ListFiles(Text(folder + "/tfc")), std::vector<std::string>{"server.bak"});
  ASSERT_TRUE(m_native.Remove(Text(folder + "/tfc/server.bak")));
  ASSERT_TRUE(m_native.RemoveDirectory(Text(folder + "/tfc")));
  ASSERT_TRUE(m_native.RemoveDirectory(Text(folder)));
  EXPECT_TRUE(fs::is_empty(m_dir.Path()));
}

TEST_P(NativeTextTest, theGamesFileSystemListsTheSameFolderInTheCodePage) {
  m_dir.Make(std::string(GetParam().utf8) + "/");
  EXPECT_EQ(NativeFileSystem().ListDirectories(m_dir.Text()), std::vector<std::string>{GetParam().codePage});
}

INSTANTIATE_TEST_SUITE_P(Scripts, NativeTextTest,
                         ::testing::Values(FolderName{"latin", "Jos\xC3\xA9", "Jos\xE9"},
                                           FolderName{"cyrillic", "\xD0\xA1\xD0\xB5\xD1\x80\xD0\xB2\xD0\xB5\xD1\x80",
                                                      "??????"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quorvane::platform
