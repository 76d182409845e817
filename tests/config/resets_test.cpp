#include "config/resets.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "config/field_catalogue.h"
#include "config/field_store.h"

namespace quorvane::config {
namespace {

TEST(Resets, eachResetSetsItsOwnFieldsToTheirDefaultsAndLeavesTheRest) {
  struct Case {
    void (*reset)(FieldStore&);
    std::size_t count;
    std::vector<const char*> untouched;
  };
  for (const Case& c : {Case{ResetAutoexecFields, 25, {"cl_himodels", "hostname", "port"}},
                        Case{ResetServerFields, 46, {"port", "tfc_spam_limit", "sv_maxspectators", "brightness"}}}) {
    MemoryFieldStore fields;
    for (const ConfigField& f : FieldCatalogue::All()) {
      fields.SetText(f.name, "junk");
      fields.SetCheck(f.name, 2);
    }
    c.reset(fields);
    std::set<std::string_view> changed;
    for (const ConfigField& f : FieldCatalogue::All()) {
      const std::string value = f.IsCheckBox() ? std::to_string(fields.GetCheck(f.name)) : fields.GetText(f.name);
      if (value == (f.IsCheckBox() ? "2" : "junk")) continue;
      changed.insert(f.name);
      EXPECT_EQ(value, f.IsCheckBox() && f.defaultValue != "1" ? "0" : f.defaultValue) << f.name;
    }
    EXPECT_EQ(changed.size(), c.count);
    for (const char* name : c.untouched) EXPECT_EQ(changed.count(name), 0u) << name;
    EXPECT_EQ(fields.GetCheck("sv_cheats"), 0);
  }
}

TEST(Resets, fixUpRepairsAnEmptyPortAndATeamplayOfOneOrNoNumber) {
  struct Case {
    const char *port, *teamplay, *portAfter, *teamplayAfter;
  };
  for (const Case& c : {Case{"", "21", "27016", "21"}, Case{"27015", "321", "27015", "321"}, Case{" ", "", " ", "21"},
                        Case{"1", "abc", "1", "21"}, Case{"1", "0", "1", "21"}, Case{"1", "1", "1", "21"},
                        Case{"1", "1.0", "1", "21"}, Case{"1", " 1 ", "1", "21"}, Case{"1", "12ab", "1", "21"},
                        Case{"1", " 21", "1", " 21"}, Case{"1", "2", "1", "2"}, Case{"1", "0.5", "1", "0.5"}}) {
    MemoryFieldStore fields;
    fields.SetText("port", c.port);
    fields.SetText("mp_teamplay", c.teamplay);
    FixUpServerFields(fields);
    EXPECT_EQ(fields.GetText("port"), c.portAfter);
    EXPECT_EQ(fields.GetText("mp_teamplay"), c.teamplayAfter) << '"' << c.teamplay << '"';
  }
}

}  // namespace
}  // namespace quorvane::config
