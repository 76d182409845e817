// The reader's grammar, and the snapshot its updates land on.
#include "config/cfg_reader.h"

#include <gtest/gtest.h>

#include "config/field_catalogue.h"
#include "config_data.h"

namespace quorvane::config {
namespace {

// The field's value as the file would write it: a check box's state as a number.
std::string Shown(const FieldValues& values, const std::string& name) {
  if (FieldCatalogue::Find(name)->IsCheckBox()) return std::to_string(values.GetCheck(name));
  return values.GetText(name);
}

TEST(CfgReader, eachLineSetsItsFieldAsTheGrammarSays) {
  // Each row of reader_cases.txt: the field, its value before, the bytes read, its value after.
  for (const auto& [field, before, bytes, after] : test_data::Rows("reader_cases.txt")) {
    SCOPED_TRACE(testing::PrintToString(bytes));
    FieldValues values;
    if (FieldCatalogue::Find(field)->IsCheckBox())
      values.SetCheck(field, std::stoi(before));
    else
      values.SetText(field, before);
    ParseCfgText(bytes).ApplyTo(values);
    EXPECT_EQ(Shown(values, field), after);
  }
}

TEST(CfgReader, fieldsTheFileDoesNotName_keepTheirValues) {
  FieldValues values;
  values.SetText("hostname", "mine");
  values.SetCheck("sv_cheats", 2);
  ParseCfgText("rate \"5000\"\r\n").ApplyTo(values);
  EXPECT_EQ(values.GetText("hostname"), "mine");
  EXPECT_EQ(values.GetCheck("sv_cheats"), 2);
  EXPECT_EQ(values.GetText("rate"), "5000");
}

TEST(FieldValues, namesOutsideTheCatalogue_readEmptyAndTakeNothing) {
  FieldValues values;
  values.SetText("no_such_cvar", "x");
  values.SetCheck("no_such_cvar", 1);
  EXPECT_EQ(values, FieldValues{});
  EXPECT_EQ(values.GetText("no_such_cvar"), "");
}

}  // namespace
}  // namespace quorvane::config
