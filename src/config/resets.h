#pragma once
#include "config/field_values.h"

namespace quorvane::config {

// Put the catalogue defaults into the fields (the question is the window's).
void ResetAutoexecFields(FieldValues& fields);  // 25 fields, cl_himodels untouched
void ResetServerFields(FieldValues& fields);    // 46 fields, port and load-only untouched
// The workspace load's defaults when a file is missing.
void ApplyAutoexecDefaults(FieldValues& fields);  // the 26 autoexec fields, cl_himodels on
void ApplyServerDefaults(FieldValues& fields);    // the same 46 as ResetServerFields
// port "27016" when empty; mp_teamplay "21" when empty, not a number, 0 or 1.
void FixUpServerFields(FieldValues& fields);

}  // namespace quorvane::config
