// Any bytes as a configuration file: the reader must not crash or hang, a
// check box only ever takes 0, 1 or 2, a text never holds a line end, and
// whatever the reader put into the fields comes back through the writers.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "config/cfg_reader.h"
#include "config/cfg_writer.h"
#include "config/field_catalogue.h"

using namespace quorvane::config;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  MemoryFieldStore first, second;
  ApplyCfgText(std::string_view(reinterpret_cast<const char*>(data), size), first);
  ApplyCfgText(ServerCfgText(first), second);
  ApplyCfgText(AutoexecCfgText(first), second);
  for (const ConfigField& f : FieldCatalogue::All()) {
    const bool written = (f.files & (kFileServer | kFileAutoexec)) != 0 && f.name != "exec";
    if (f.IsCheckBox() && (first.GetCheck(f.name) < 0 || first.GetCheck(f.name) > 2)) __builtin_trap();
    if (!f.IsCheckBox() && first.GetText(f.name).find_first_of("\r\n") != std::string::npos) __builtin_trap();
    if (written && (first.GetCheck(f.name) != second.GetCheck(f.name) || first.GetText(f.name) != second.GetText(f.name)))
      __builtin_trap();
  }
  return 0;
}
