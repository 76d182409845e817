#include "update/key_values.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace quorvane::update {
namespace {

std::string Sample(const std::string& name) {
  std::ifstream in(QUORVANE_TEST_DATA "/update/" + name, std::ios::binary);
  EXPECT_TRUE(in) << name;
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::optional<std::string> ValueAt(const KeyValues& read, std::initializer_list<std::string_view> path) {
  const KeyValue* entry = FindEntry(read.entries, path);
  if (entry == nullptr) return std::nullopt;
  return entry->value;
}

TEST(KeyValues, manifestSavedWithAByteOrderMarkIsRead) {
  EXPECT_EQ(InstalledBuild("\xEF\xBB\xBF" + Sample("appmanifest_90.acf")), BuildId{8421976});
}

TEST(KeyValues, nestedBlocksAreReadAfterTheKeysBeforeThem) {
  const KeyValues read = ReadKeyValues(Sample("appmanifest_90.acf"));
  EXPECT_TRUE(read.complete);
  EXPECT_EQ(ValueAt(read, {"AppState", "UserConfig", "mod"}), "tfc");
  EXPECT_EQ(ValueAt(read, {"appstate", "INSTALLEDDEPOTS", "91", "size"}), "94502311");
}

TEST(KeyValues, latestBuildIsThePublicBranchsNotTheFirstNorTheHighest) {
  // The beta branch comes first and is newer; the public one is what servers get.
  EXPECT_EQ(LatestPublicBuild(Sample("app_info_print_90.txt")), BuildId{8479102});
}

TEST(KeyValues, escapedQuoteAndBackslashAreReadInsideAString) {
  const std::string text = Sample("app_info_print_90.txt");
  const KeyValues block = ReadKeyValues(text.substr(text.find("\"90\"\n{")));
  EXPECT_TRUE(block.complete);
  EXPECT_EQ(ValueAt(block, {"90", "depots", "branches", "beta", "description"}), "Beta \"next\" build \\ testing");
}

TEST(KeyValues, emptyAnswerCouldNotBeChecked) {
  EXPECT_EQ(LatestPublicBuild(Sample("app_info_print_90_empty.txt")), std::nullopt);
}

TEST(KeyValues, answerCutInsideThePublicBuildidGivesNoBuild) {
  const std::string text = Sample("app_info_print_90_truncated.txt");
  EXPECT_EQ(LatestPublicBuild(text), std::nullopt);
  const KeyValues read = ReadKeyValues(text.substr(text.find("\"90\"\n{")));
  EXPECT_FALSE(read.complete);
  EXPECT_EQ(ValueAt(read, {"90", "depots", "branches", "beta", "buildid"}), "8533017");
}

struct PublicBuildRow {
  const char* name;
  const char* output;
  std::optional<BuildId> build;
};

void PrintTo(const PublicBuildRow& row, std::ostream* os) { *os << row.name; }

constexpr auto RowName = [](const auto& info) { return std::string(info.param.name); };

class PublicBuild : public testing::TestWithParam<PublicBuildRow> {};

TEST_P(PublicBuild, isReadOnlyFromAUsableAnswer) { EXPECT_EQ(LatestPublicBuild(GetParam().output), GetParam().build); }

INSTANTIATE_TEST_SUITE_P(
    KeyValues, PublicBuild,
    testing::Values(
        PublicBuildRow{"onlyChatter", "Loading Steam API...OK\nAppID : 90, change number : 0/0\n", std::nullopt},
        PublicBuildRow{"zeroBuildid", R"("90" { "depots" { "branches" { "public" { "buildid" "0" } } } })",
                       std::nullopt},
        PublicBuildRow{"wordForBuildid", R"("90" { "depots" { "branches" { "public" { "buildid" "12a" } } } })",
                       std::nullopt},
        PublicBuildRow{"buildidOutsideTheBranches", R"("90" { "depots" { "buildid" "99" "branches" { } } })",
                       std::nullopt},
        PublicBuildRow{"bareTokensAndComments",
                       "// app info\n\"90\" { depots { branches { public { buildid 77 // now\n } } } }\n", BuildId{77}},
        PublicBuildRow{"bareBuildidCutShort", "\"90\" { depots { branches { public { buildid 77", std::nullopt},
        PublicBuildRow{"conditionAfterAValue",
                       R"("90" { "depots" { "branches" { "public" { "x" "1" [$WIN32] "buildid" "5" } } } })",
                       BuildId{5}},
        PublicBuildRow{"chatterAfterTheBlock",
                       "\"90\" { \"depots\" { \"branches\" { \"public\" { \"buildid\" \"6\" } } } }\nUnloading\n",
                       BuildId{6}}),
    RowName);

struct FaultRow {
  const char* name;
  std::string text;
  std::optional<std::string> kept;  // the value of "a" read before the fault
};

void PrintTo(const FaultRow& row, std::ostream* os) { *os << row.name; }

class Faults : public testing::TestWithParam<FaultRow> {};

TEST_P(Faults, keepWhatCameBeforeAndSaySoIncomplete) {
  const KeyValues read = ReadKeyValues(GetParam().text);
  EXPECT_FALSE(read.complete);
  EXPECT_EQ(ValueAt(read, {"a"}), GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(
    KeyValues, Faults,
    testing::Values(FaultRow{"keyWithoutValue", R"("a" "1" "b")", "1"},
                    FaultRow{"unclosedBlock", R"("a" "1" "b" { "c" "2")", "1"},
                    FaultRow{"closeWithoutOpen", R"("a" "1" } "b" "2")", "1"},
                    FaultRow{"blockWithoutKey", R"("a" "1" { "b" "2" })", "1"},
                    FaultRow{"unclosedString", "\"a\" \"1\" \"b\" \"2", "1"},
                    FaultRow{"tooDeep",
                             "\"a\" \"1\" " +
                                 [] {
                                   std::string nested;
                                   for (int i = 0; i <= kMaxKeyValuesDepth; ++i) nested += "\"k\" { ";
                                   return nested;
                                 }(),
                             "1"},
                    FaultRow{"tooLong", "\"a\" \"1\" \"b\" \"" + std::string(kMaxKeyValuesBytes, 'x') + "\"", "1"}),
    RowName);

}  // namespace
}  // namespace quorvane::update
