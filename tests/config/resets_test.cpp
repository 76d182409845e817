// The resets, the defaults of a missing file and the fix-ups of the server fields.
#include "config/resets.h"

#include <gtest/gtest.h>

#include <set>

#include "config/field_catalogue.h"
#include "config_data.h"

namespace quorvane::config {
namespace {

struct ResetCase {
  const char* name;
  void (*reset)(FieldValues&);
  std::size_t changed;
  std::vector<const char*> untouched;
};

TEST(Resets, eachResetSetsItsOwnFieldsToTheirDefaultsAndLeavesTheRest) {
  const ResetCase cases[] = {
      {"autoexec reset", ResetAutoexecFields, 25, {"cl_himodels", "hostname", "port"}},
      {"autoexec defaults, cl_himodels on", ApplyAutoexecDefaults, 26, {"hostname", "port"}},
      {"server reset", ResetServerFields, 46, {"port", "tfc_spam_limit", "sv_maxspectators", "brightness"}},
  };
  for (const ResetCase& c : cases) {
    SCOPED_TRACE(c.name);
    FieldValues values;
    const auto all = FieldCatalogue::All();
    for (std::size_t i = 0; i < all.size(); ++i) {
      values.SetText(i, "junk");
      values.SetCheck(i, 2);
    }
    c.reset(values);
    std::set<std::string_view> changed;
    for (std::size_t i = 0; i < all.size(); ++i) {
      const ConfigField& f = all[i];
      if (f.IsCheckBox() && values.Check(i) != 2) {
        changed.insert(f.name);
        EXPECT_EQ(values.Check(i), f.defaultValue == "1" ? 1 : 0) << f.name;
      } else if (!f.IsCheckBox() && values.Text(i) != "junk") {
        changed.insert(f.name);
        EXPECT_EQ(values.Text(i), f.defaultValue) << f.name;
      }
    }
    EXPECT_EQ(changed.size(), c.changed);
    for (const char* name : c.untouched) EXPECT_EQ(changed.count(name), 0u) << name;
  }
}

TEST(Resets, fixUpRepairsAnEmptyPortAndATeamplayOfOneOrNoNumber) {
  // Each row of fix_up_cases.txt: port and mp_teamplay, then both after the fix-up.
  for (const auto& [port, teamplay, portAfter, teamplayAfter] : test_data::Rows("fix_up_cases.txt")) {
    SCOPED_TRACE(port + '|' + teamplay);
    FieldValues fields;
    fields.SetText("port", port);
    fields.SetText("mp_teamplay", teamplay);
    FixUpServerFields(fields);
    EXPECT_EQ(fields.GetText("port"), portAfter);
    EXPECT_EQ(fields.GetText("mp_teamplay"), teamplayAfter);
  }
}

}  // namespace
}  // namespace quorvane::config
