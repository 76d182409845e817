// Any bytes as a file name in the maps directory: the map name is the name
// cut at its last dot, and nothing else.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "maps/map_catalogue.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view fileName(reinterpret_cast<const char*>(data), size);
  const std::string name = quorvane::maps::MapNameOf(fileName);
  Require(fileName.starts_with(name));
  const std::string_view extension = fileName.substr(name.size());
  if (fileName.find('.') == std::string_view::npos) {
    Require(extension.empty());
  } else {
    Require(extension.starts_with('.'));
    Require(extension.find('.', 1) == std::string_view::npos);
  }
  return 0;
}
