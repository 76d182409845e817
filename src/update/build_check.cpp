#include "update/build_check.h"

#include "update/key_values.h"

namespace quorvane::update {

std::vector<std::string> AppInfoArguments() {
  return {"+login", "anonymous", "+app_info_update", "1", "+app_info_print", "90", "+quit"};
}

std::string ManifestPath(const std::string& serverDir, System system) {
  const char separator = system == System::Windows ? '\\' : '/';
  std::string path = serverDir;
  if (!path.empty() && path.back() != separator && path.back() != '/') path += separator;
  return path + "steamapps" + separator + "appmanifest_90.acf";
}

namespace {

// SteamCMD's whole output, or why there is none.
std::optional<std::string> RunSteamCmd(const BuildCheckRun& run, std::string& reason) {
  if (!run.steamCmd) {
    reason = HowToGetSteamCmd(run.system);
    return std::nullopt;
  }
  if (const install::IoResult started = run.child->Start(*run.steamCmd, AppInfoArguments(), {}); !started) {
    reason = "SteamCMD (" + *run.steamCmd + ") could not be started: " + started.reason;
    return std::nullopt;
  }
  const auto deadline = run.now() + run.limit;
  std::string output;
  while (run.child->Read(output, 200) != ChildRun::ReadStatus::Closed) {
    const bool cancelled = run.cancelled && run.cancelled();
    if (cancelled || run.now() >= deadline) {
      run.child->Cancel(3000);
      reason = cancelled ? "The check was cancelled." : "SteamCMD gave no answer in time.";
      return std::nullopt;
    }
  }
  run.child->Wait();
  return output;
}

std::string BuildText(const std::optional<BuildId>& build) {
  return build ? std::to_string(*build) : std::string("unknown");
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (const unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      static const char kHex[] = "0123456789abcdef";
      out += "\\u00";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + '"';
}

}  // namespace

BuildCheckResult CheckServerBuild(const BuildCheckRun& run) {
  BuildCheckResult result;
  const std::string manifestPath = ManifestPath(run.serverDir, run.system);
  std::optional<BuildId> installed;
  if (install::Read<std::string> manifest = run.files->ReadFile(manifestPath); !manifest) {
    result.reason = manifestPath + " could not be read: " + manifest.reason();
  } else if (installed = InstalledBuild(manifest.value()); !installed) {
    result.reason = manifestPath + " names no installed build.";
  }
  std::optional<BuildId> latest;
  if (result.reason.empty()) {
    if (const std::optional<std::string> output = RunSteamCmd(run, result.reason)) {
      latest = LatestPublicBuild(*output);
      if (!latest) result.reason = "SteamCMD's answer named no public build.";
    }
  }
  result.check = CompareBuilds(installed, latest);
  if (result.check.state == UpdateState::CouldNotCheck && result.reason.empty())
    result.reason = "SteamCMD named build " + BuildText(latest) + ", older than the installed one.";
  return result;
}

std::string BuildCheckText(const BuildCheckResult& result) {
  const UpdateCheck& check = result.check;
  std::string text =
      "Installed build: " + BuildText(check.installed) + "\nLatest build: " + BuildText(check.latest) + '\n';
  switch (check.state) {
    case UpdateState::UpToDate:
      return text + "The server is up to date.\n";
    case UpdateState::UpdateAvailable:
      return text + UpdateNotice(check) + '\n';
    case UpdateState::CouldNotCheck:
      break;
  }
  return text + "Could not check for an update: " + result.reason + '\n';
}

std::string BuildCheckJson(const BuildCheckResult& result) {
  const UpdateCheck& check = result.check;
  const auto number = [](const std::optional<BuildId>& build) {
    return build ? std::to_string(*build) : std::string("null");
  };
  const char* state = check.state == UpdateState::UpToDate          ? "up to date"
                      : check.state == UpdateState::UpdateAvailable ? "update available"
                                                                    : "could not check";
  std::string json = "{\"installed\": " + number(check.installed) + ", \"latest\": " + number(check.latest) +
                     ", \"state\": \"" + state + '"';
  if (!result.reason.empty()) json += ", \"reason\": " + JsonString(result.reason);
  return json + "}\n";
}

}  // namespace quorvane::update
