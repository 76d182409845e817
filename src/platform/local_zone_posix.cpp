#include <ctime>

#include "platform/local_zone.h"

namespace quorvane::platform {

supervise::LocalTime LocalZone::ToLocal(supervise::WallTime utc) const {
  const std::time_t t = static_cast<std::time_t>(utc.time_since_epoch().count());
  std::tm local{};
  // The zone may change while the program runs (the user moves, TZ is set anew).
  tzset();
  if (localtime_r(&t, &local) == nullptr) return supervise::CivilTime(utc);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

}  // namespace quorvane::platform
