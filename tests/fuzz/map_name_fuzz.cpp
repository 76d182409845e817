// Any bytes as a file name in the maps directory: the map name is the name
// cut at its last dot, and nothing else.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "maps/map_catalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view file(reinterpret_cast<const char*>(data), size);
  const std::string name = quorvane::maps::MapNameOf(file);
  if (!file.starts_with(name)) __builtin_trap();
  const std::string_view extension = file.substr(name.size());
  if (file.find('.') == std::string_view::npos ? !extension.empty()
                                                : !extension.starts_with('.') || extension.find('.', 1) != std::string_view::npos)
    __builtin_trap();
  return 0;
}
