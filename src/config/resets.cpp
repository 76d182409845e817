#include "config/resets.h"

#include <vector>

#include "config/field_catalogue.h"
#include "config/number_text.h"

namespace quorvane::config {
namespace {

void SetToDefault(FieldValues& fields, const ConfigField& field) {
  if (field.kind == FieldKind::CheckBox)
    fields.SetCheck(field.name, field.defaultValue == "1" ? 1 : 0);
  else
    fields.SetText(field.name, std::string(field.defaultValue));
}

// The server group in the order its reset sets it: sv_cheats, which the
// catalogue keeps among the autoexec fields, goes where server.cfg has it.
std::vector<const ConfigField*> ServerResetOrder() {
  std::vector<const ConfigField*> order;
  const ConfigField* cheats = FieldCatalogue::Find("sv_cheats");
  for (const ConfigField* f : FieldCatalogue::InReset(kResetServer)) {
    if (f == cheats) continue;
    order.push_back(f);
    if (f->name == "sv_bounce") order.push_back(cheats);
  }
  return order;
}

}  // namespace

void ResetAutoexecFields(FieldValues& fields) {
  for (const ConfigField* f : FieldCatalogue::InReset(kResetAutoexec)) SetToDefault(fields, *f);
}

void ResetServerFields(FieldValues& fields) {
  for (const ConfigField* f : ServerResetOrder()) SetToDefault(fields, *f);
}

void ApplyAutoexecDefaults(FieldValues& fields) {
  for (const ConfigField* f : FieldCatalogue::InFile(kFileAutoexec))
    if (f->hasDefault) SetToDefault(fields, *f);
}

void ApplyServerDefaults(FieldValues& fields) { ResetServerFields(fields); }

void FixUpServerFields(FieldValues& fields) {
  if (fields.GetText("port").empty()) fields.SetText("port", "27016");
  std::optional<double> teamplay = WholeTextNumber(fields.GetText("mp_teamplay"));
  if (!teamplay || *teamplay == 0.0 || *teamplay == 1.0) fields.SetText("mp_teamplay", "21");
}

}  // namespace quorvane::config
