#include "platform/local_zone.h"
#include "platform/win32_api.h"

namespace quorvane::platform {

// Through the system's own rules for that date, so a time in summer reads as summer time in winter too.
supervise::LocalTime LocalZone::ToLocal(supervise::WallTime utc) const {
  const supervise::LocalTime civil = supervise::CivilTime(utc);
  SYSTEMTIME universal{};
  universal.wYear = static_cast<WORD>(civil.year);
  universal.wMonth = static_cast<WORD>(civil.month);
  universal.wDay = static_cast<WORD>(civil.day);
  universal.wHour = static_cast<WORD>(civil.hour);
  universal.wMinute = static_cast<WORD>(civil.minute);
  universal.wSecond = static_cast<WORD>(civil.second);
  SYSTEMTIME local{};
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) return civil;
  return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

}  // namespace quorvane::platform
