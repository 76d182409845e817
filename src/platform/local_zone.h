#pragma once
// The machine's own time zone, as its clock shows the time: what the restart
// schedule's daily times are read in.
#include "supervise/schedule.h"

namespace quorvane::platform {

class LocalZone : public supervise::TimeZone {
 public:
  supervise::LocalTime ToLocal(supervise::WallTime utc) const override;
};

}  // namespace quorvane::platform
