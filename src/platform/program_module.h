#pragma once
// Libraries of the program's own that it loads only when something first needs
// them, so that what they link (the sound system, the network stack) stays
// out of the start-up. They lie in lib/quorvane/modules beside the program's
// bin directory: /usr/lib/quorvane/modules when installed, the same under the
// build directory in a build. (A directory of their own below lib/quorvane:
// they are no libraries for the system's loader cache.)
// Linux only: the Windows build calls its system directly.
#include <string>

namespace quorvane::platform {

inline constexpr const char* kAudioModuleFile = "quorvane_audio.so";
inline constexpr const char* kNetworkModuleFile = "quorvane_network.so";
// The network module's one entry: makes a DatagramLink (udp_link.h).
inline constexpr const char* kNetworkModuleEntry = "quorvane_make_udp_link";

struct [[nodiscard]] ModuleEntry {
  void* address = nullptr;
  std::string problem;  // names the file and the reason when there is no address
  explicit operator bool() const { return address != nullptr; }
};

// Where the module named `fileName` is looked for.
std::string ModulePath(const std::string& fileName);

// Loads the module (it stays loaded for the rest of the run) and finds `symbol` in it.
ModuleEntry LoadModuleEntry(const std::string& fileName, const char* symbol);

}  // namespace quorvane::platform
