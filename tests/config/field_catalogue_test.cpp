#include "config/field_catalogue.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace quorvane::config {
namespace {

TEST(FieldCatalogue, holds79FieldsOfWhich42TextAnd37CheckBoxes) {
  auto all = FieldCatalogue::All();
  ASSERT_EQ(all.size(), 79u);
  int text = 0;
  std::set<std::string_view> names;
  for (const ConfigField& f : all) {
    text += f.kind == FieldKind::Text;
    names.insert(f.name);
  }
  EXPECT_EQ(text, 42);
  EXPECT_EQ(names.size(), 79u) << "names must be unique";
}

TEST(FieldCatalogue, findIgnoresLetterCase) {
  struct Case { const char* asked; const char* found; };
  for (Case c : {Case{"Decalfrequency", "decalfrequency"}, Case{"SV_GRAVITY", "sv_gravity"},
                 Case{"hostname", "hostname"}, Case{"map", nullptr}, Case{"", nullptr},
                 Case{"hostnam", nullptr}, Case{"hostname ", nullptr}}) {
    const ConfigField* f = FieldCatalogue::Find(c.asked);
    if (c.found == nullptr) {
      EXPECT_EQ(f, nullptr) << c.asked;
    } else {
      ASSERT_NE(f, nullptr) << c.asked;
      EXPECT_EQ(f->name, c.found);
    }
  }
}

TEST(FieldCatalogue, filtersGiveTheFileAndResetGroups) {
  EXPECT_EQ(FieldCatalogue::InFile(kFileAutoexec).size(), 26u);
  EXPECT_EQ(FieldCatalogue::InFile(kFileServer).size(), 47u);
  EXPECT_EQ(FieldCatalogue::InFile(kFileListen).size(), 44u);
  EXPECT_EQ(FieldCatalogue::InReset(kResetAutoexec).size(), 25u);
  EXPECT_EQ(FieldCatalogue::InReset(kResetServer).size(), 46u);
  EXPECT_EQ(FieldCatalogue::OnTab(FieldTab::Autoexec).size(), 26u);
  EXPECT_EQ(FieldCatalogue::OnTab(FieldTab::Server).size(), 53u);
}

TEST(FieldCatalogue, fieldsWithRulesOfTheirOwn) {
  EXPECT_EQ(FieldCatalogue::Find("gl_texturemode")->defaultValue, "gl_texturemode");
  EXPECT_EQ(FieldCatalogue::Find("gl_keeptjunction")->label, "gl_keeptjunctions:");
  EXPECT_EQ(FieldCatalogue::Find("port")->maxLength, 5);
  EXPECT_FALSE(FieldCatalogue::Find("port")->hasDefault);
  EXPECT_EQ(FieldCatalogue::Find("cl_himodels")->resets, 0u);
  EXPECT_TRUE(FieldCatalogue::Find("cl_himodels")->hasDefault);
  EXPECT_EQ(FieldCatalogue::Find("sv_cheats")->resets, kResetAutoexec | kResetServer);
  EXPECT_EQ(FieldCatalogue::Find("tfc_spam_limit")->files, 0u);
}

}  // namespace
}  // namespace quorvane::config
