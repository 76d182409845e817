// Any bytes as a file name in the maps directory: the map name is the name
// cut at its last dot, and nothing else.
#include <cstdint>
#include <string>
#include <string_view>

#include "maps/map_catalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view file(reinterpret_cast<const char*>(data), size);
  if (quorvane::maps::MapNameOf(file) != file.substr(0, file.rfind('.'))) __builtin_trap();
  return 0;
}
