#include "platform/program_module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>

namespace quorvane::platform {
namespace {

std::filesystem::path ProgramFile() {
  std::string buffer(4096, '\0');
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return {};
    if (static_cast<std::size_t>(n) < buffer.size()) return buffer.substr(0, static_cast<std::size_t>(n));
    buffer.resize(buffer.size() * 2);  // truncated: try again with more room
  }
}

}  // namespace

std::string ModulePath(const std::string& fileName) {
  return (ProgramFile().parent_path().parent_path() / "lib" / "quorvane" / "modules" / fileName).string();
}

ModuleEntry LoadModuleEntry(const std::string& fileName, const char* symbol) {
  const std::string path = ModulePath(fileName);
  // Never closed: what it made lives as long as the program.
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = ::dlerror();
    return {nullptr, "The program's part " + path + " cannot be loaded: " + (why ? why : "unknown reason")};
  }
  void* address = ::dlsym(handle, symbol);
  if (!address) return {nullptr, "The program's part " + path + " lacks its entry " + symbol};
  return {address, {}};
}

}  // namespace quorvane::platform
