// Where Quorvane.ini lives on POSIX systems, and the native route that
// reaches it under a home the code page cannot spell.
#include "platform/settings_place.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <memory>

#include "install/settings_file.h"
#include "platform/scratch_dir.h"
#include "support/real_faults.h"

namespace quorvane::platform {
namespace {

namespace fs = std::filesystem;

// A folder the running user cannot write to while this lives: root ignores
// permission bits but not the immutable attribute. ok() is false when that
// cannot be arranged here.
class Unwritable {
 public:
  explicit Unwritable(const std::filesystem::path& dir) : m_dir(dir) {
    if (::geteuid() == 0)
      m_lock = std::make_unique<test_support::Immutable>(dir);
    else
      fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
  }
  ~Unwritable() {
    m_lock.reset();
    fs::permissions(m_dir, fs::perms::owner_all);
  }
  bool ok() const { return !m_lock || m_lock->ok(); }

 private:
  fs::path m_dir;
  std::unique_ptr<test_support::Immutable> m_lock;
};

enum class Expect { Beside, ConfigHome, HomeConfig };

struct ChoiceCase {
  const char* name;
  bool fileBeside;         // Quorvane.ini lies beside the program already
  bool otherOwner;         // the program's folder belongs to someone else
  const char* configHome;  // relative to the scratch directory; "" for unset, "!" for a relative value
  Expect expect;
};

class SettingsChoice : public ::testing::TestWithParam<ChoiceCase> {
 protected:
  testing::ScratchDir m_dir;
};

TEST_P(SettingsChoice, picksThePlaceOfTheFirstRuleThatHolds) {
  const ChoiceCase& c = GetParam();
  const fs::path program = m_dir.Make("program/");
  if (c.fileBeside) m_dir.Make("program/Quorvane.ini", "C:\\HL\r\n");
  std::string configHome;
  if (std::strcmp(c.configHome, "!") == 0)
    configHome = "relative/config";
  else if (*c.configHome)
    configHome = (m_dir.Path() / c.configHome).string();
  const unsigned me = ::geteuid();
  const SettingsSurroundings around{program, configHome, (m_dir.Path() / "home").string(), c.otherOwner ? me + 1 : me};
  const fs::path expected[] = {program / "Quorvane.ini", m_dir.Path() / c.configHome / "quorvane/Quorvane.ini",
                               m_dir.Path() / "home/.config/quorvane/Quorvane.ini"};
  EXPECT_EQ(ChooseSettingsFile(around), expected[static_cast<int>(c.expect)]);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SettingsChoice,
    ::testing::Values(ChoiceCase{"ownFolder_keepsItBesideTheProgram", false, false, "cfg", Expect::Beside},
                      ChoiceCase{"fileAlreadyBeside_winsInAnotherUsersFolder", true, true, "cfg", Expect::Beside},
                      ChoiceCase{"anotherUsersFolder_usesTheConfigHome", false, true, "cfg", Expect::ConfigHome},
                      ChoiceCase{"noConfigHome_usesDotConfigInTheHome", false, true, "", Expect::HomeConfig},
                      ChoiceCase{"relativeConfigHome_isIgnored", false, true, "!", Expect::HomeConfig}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsChoiceTest, ownFolderTheUserCannotWriteTo_usesTheConfigHome) {
  testing::ScratchDir dir;
  const fs::path program = dir.Make("program/");
  const Unwritable lock(program);
  if (!lock.ok()) GTEST_SKIP() << "cannot make a folder unwritable for root here";
  const SettingsSurroundings around{program, (dir.Path() / "cfg").string(), "/nonexistent", ::geteuid()};
  EXPECT_EQ(ChooseSettingsFile(around), dir.Path() / "cfg/quorvane/Quorvane.ini");
}

TEST(SettingsChoiceTest, programInTheSystemTree_isInstalledEvenForItsOwnerRoot) {
  const SettingsSurroundings around{"/usr/bin", "", "/root", 0};
  EXPECT_EQ(ChooseSettingsFile(around), fs::path("/root/.config/quorvane/Quorvane.ini"));
}

TEST(SettingsChoiceTest, thisTestProgramsOwnBuildFolder_keepsItBesideTheProgram) {
  NativeFileSystem files;
  const std::string text = SettingsFilePath(files);
  EXPECT_TRUE(text.ends_with("/Quorvane.ini")) << text;
  EXPECT_TRUE(fs::is_regular_file(fs::path(text).parent_path() / "platform_tests")) << text;
}

class SettingsRouteTest : public ::testing::Test {
 protected:
  // A home the code page cannot spell: Ł has no Windows-1252 byte.
  fs::path Home() const { return m_dir.Path() / "\xC5\x81ukasz"; }
  fs::path File() const { return Home() / ".config/quorvane/Quorvane.ini"; }
  std::string RouteToFile() {
    const std::string text = "/home/?ukasz/.config/quorvane/Quorvane.ini";
    m_files.Route(text, File());
    return text;
  }
  testing::ScratchDir m_dir;
  NativeFileSystem m_files;
};

TEST_F(SettingsRouteTest, firstSave_makesPrivateDirectoriesAndReadsBack) {
  m_dir.Make("\xC5\x81ukasz/");
  const std::string text = RouteToFile();
  EXPECT_FALSE(m_files.IsPresent(text));
  ASSERT_TRUE(install::SaveServerLocation(m_files, text, "C:\\Sierra\\Half-Life\\"));
  EXPECT_EQ(testing::Slurp(File()), "C:\\Sierra\\Half-Life\\\r\n");
  EXPECT_EQ(install::ReadServerLocation(m_files, text), "C:\\Sierra\\Half-Life\\");
  for (const fs::path& dir : {Home() / ".config", Home() / ".config/quorvane"}) {
    EXPECT_EQ(fs::status(dir).permissions(), fs::perms::owner_all) << dir;
  }
}

TEST_F(SettingsRouteTest, unwritableHome_failsNamingTheDirectoryAndWritesNothing) {
  const fs::path home = m_dir.Make("\xC5\x81ukasz/");
  const std::string text = RouteToFile();
  const Unwritable lock(home);
  if (!lock.ok()) GTEST_SKIP() << "cannot make a folder unwritable for root here";
  const install::IoResult saved = install::SaveServerLocation(m_files, text, "C:\\HL");
  EXPECT_FALSE(saved.ok);
  EXPECT_NE(saved.reason.find("cannot create the directory " + m_dir.Text()), std::string::npos) << saved.reason;
  EXPECT_NE(saved.reason.find(std::strerror(::geteuid() == 0 ? EPERM : EACCES)), std::string::npos) << saved.reason;
  EXPECT_FALSE(fs::exists(Home() / ".config"));
}

struct HistoryPlace {
  const char* name;
  std::string dataHome, home, expected;
};

class PlayerHistoryPlace : public ::testing::TestWithParam<HistoryPlace> {};

TEST_P(PlayerHistoryPlace, keepsTheHistoryInTheUsersDataDirectory) {
  EXPECT_EQ(ChoosePlayerHistoryFile(GetParam().dataHome, GetParam().home), fs::path(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Places, PlayerHistoryPlace,
    ::testing::Values(HistoryPlace{"dataHomeSet", "/d", "/h", "/d/quorvane/players.sqlite3"},
                      HistoryPlace{"dataHomeUnset", "", "/h", "/h/.local/share/quorvane/players.sqlite3"},
                      HistoryPlace{"relativeDataHomeIgnored", "d", "/h", "/h/.local/share/quorvane/players.sqlite3"},
                      HistoryPlace{"noPlaceAtAll", "", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quorvane::platform
