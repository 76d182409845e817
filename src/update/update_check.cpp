#include "update/update_check.h"

namespace quorvane::update {

UpdateCheck CompareBuilds(std::optional<BuildId> installed, std::optional<BuildId> latest) {
  UpdateCheck check{UpdateState::CouldNotCheck, installed, latest};
  if (installed && latest) {
    if (*latest == *installed) check.state = UpdateState::UpToDate;
    if (*latest > *installed) check.state = UpdateState::UpdateAvailable;
  }
  return check;
}

std::string UpdateNotice(const UpdateCheck& check) {
  if (check.state != UpdateState::UpdateAvailable) return {};
  return "An update of the server is available (build " + std::to_string(*check.latest) + ", installed " +
         std::to_string(*check.installed) + ").";
}

bool CheckDue(std::optional<WallTime> lastCheck, WallTime now, bool steamCmdRunning) {
  if (steamCmdRunning) return false;
  if (!lastCheck || *lastCheck > now) return true;
  return now - *lastCheck >= kCheckEvery;
}

int CheckUpdateExitCode(UpdateState state) {
  switch (state) {
    case UpdateState::UpToDate:
      return kExitUpToDate;
    case UpdateState::UpdateAvailable:
      return kExitUpdateAvailable;
    case UpdateState::CouldNotCheck:
      break;
  }
  return kExitCouldNotCheck;
}

}  // namespace quorvane::update
