#include "config/resets.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/field_catalogue.h"
#include "config/field_store.h"

namespace quorvane::config {
namespace {

// Remembers the order in which fields are set.
class RecordingStore : public MemoryFieldStore {
 public:
  void SetText(std::string_view name, const std::string& value) override {
    m_order.emplace_back(name);
    MemoryFieldStore::SetText(name, value);
  }
  void SetCheck(std::string_view name, int state) override {
    m_order.emplace_back(name);
    MemoryFieldStore::SetCheck(name, state);
  }
  std::vector<std::string> m_order;
};

void FillWithJunk(FieldStore& fields) {
  for (const ConfigField& f : FieldCatalogue::All()) {
    fields.SetText(f.name, "junk");
    fields.SetCheck(f.name, 2);
  }
}

bool HoldsDefault(const FieldStore& fields, const ConfigField& f) {
  if (f.IsCheckBox()) return fields.GetCheck(f.name) == (f.defaultValue == "1" ? 1 : 0);
  return fields.GetText(f.name) == f.defaultValue;
}

TEST(Resets, autoexecResetSetsItsGroupAndLeavesHiModelsAndServerFields) {
  RecordingStore fields;
  FillWithJunk(fields);
  fields.m_order.clear();
  ResetAutoexecFields(fields);
  EXPECT_EQ(fields.m_order.size(), 25u);
  for (const ConfigField& f : FieldCatalogue::All()) {
    bool reset = (f.resets & kResetAutoexec) != 0;
    EXPECT_EQ(HoldsDefault(fields, f), reset) << f.name;
  }
  EXPECT_EQ(fields.GetCheck("cl_himodels"), 2);
  EXPECT_EQ(fields.GetText("gl_texturemode"), "gl_texturemode");
  EXPECT_EQ(fields.GetCheck("sv_cheats"), 0);
}

TEST(Resets, serverResetSetsFortySixFieldsWithSvCheatsInFileOrder) {
  RecordingStore fields;
  FillWithJunk(fields);
  fields.m_order.clear();
  ResetServerFields(fields);
  ASSERT_EQ(fields.m_order.size(), 46u);
  auto at = std::find(fields.m_order.begin(), fields.m_order.end(), "sv_cheats");
  ASSERT_NE(at, fields.m_order.end());
  EXPECT_EQ(*(at - 1), "sv_bounce");
  EXPECT_EQ(*(at + 1), "sv_clipmode");

  for (const char* kept : {"port", "sv_maxspectators", "sv_spectator_password", "sv_spectatormaxspeed",
                           "tfc_clanbattle_prematch", "tfc_spam_limit", "tfc_spam_penalty1", "tfc_spam_penalty2",
                           "brightness", "maxplayers"})
    EXPECT_EQ(fields.GetText(kept), "junk") << kept;
  EXPECT_EQ(fields.GetText("exec"), "listip.cfg");
  EXPECT_EQ(fields.GetText("hostname"), "TFC Battle");
  EXPECT_EQ(fields.GetText("mp_teamplay"), "21");
  for (const char* empty : {"cmdline", "rcon_password", "sv_password"}) EXPECT_EQ(fields.GetText(empty), "") << empty;
  EXPECT_EQ(fields.GetCheck("sv_cheats"), 0);
  EXPECT_EQ(fields.GetCheck("deathmatch"), 1);
}

TEST(Resets, startDefaultsTurnHiModelsOnAndServerDefaultsMatchTheReset) {
  MemoryFieldStore fields;
  FillWithJunk(fields);
  ApplyAutoexecDefaults(fields);
  EXPECT_EQ(fields.GetCheck("cl_himodels"), 1);
  EXPECT_EQ(fields.GetText("rate"), "3500");

  RecordingStore a;
  RecordingStore b;
  ApplyServerDefaults(a);
  ResetServerFields(b);
  EXPECT_EQ(a.m_order, b.m_order);
}

struct FixUpCase {
  const char* port;
  const char* teamplay;
  const char* portAfter;
  const char* teamplayAfter;
};
void PrintTo(const FixUpCase& c, std::ostream* os) { *os << c.port << '|' << c.teamplay; }


class FixUp : public ::testing::TestWithParam<FixUpCase> {};

TEST_P(FixUp, repairsPortAndTeamplay) {
  MemoryFieldStore fields;
  fields.SetText("port", GetParam().port);
  fields.SetText("mp_teamplay", GetParam().teamplay);
  FixUpServerFields(fields);
  EXPECT_EQ(fields.GetText("port"), GetParam().portAfter);
  EXPECT_EQ(fields.GetText("mp_teamplay"), GetParam().teamplayAfter) << '"' << GetParam().teamplay << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Values, FixUp,
    ::testing::Values(FixUpCase{"", "21", "27016", "21"}, FixUpCase{"27015", "321", "27015", "321"},
                      FixUpCase{" ", "", " ", "21"}, FixUpCase{"1", "abc", "1", "21"},
                      FixUpCase{"1", "0", "1", "21"}, FixUpCase{"1", "1", "1", "21"},
                      FixUpCase{"1", "1.0", "1", "21"}, FixUpCase{"1", " 1 ", "1", "21"},
                      FixUpCase{"1", "-0", "1", "21"}, FixUpCase{"1", "12ab", "1", "21"},
                      FixUpCase{"1", " 21", "1", " 21"}, FixUpCase{"1", "21.0", "1", "21.0"},
                      FixUpCase{"1", "2", "1", "2"}, FixUpCase{"1", "0.5", "1", "0.5"}));

}  // namespace
}  // namespace quorvane::config
