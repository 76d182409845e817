// Any bytes as a configuration file: the reader must not crash or hang, a
// check box only ever takes 0, 1 or 2, a text never holds a line end, and
// whatever the reader put into the fields comes back through the writers.
#include <cstdint>
#include <string_view>

#include "config/cfg_reader.h"
#include "config/cfg_writer.h"
#include "config/field_catalogue.h"

using namespace quorvane::config;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FieldValues first;
  ParseCfgText(std::string_view(reinterpret_cast<const char*>(data), size)).ApplyTo(first);
  FieldValues second;
  ParseCfgText(ServerCfgText(first) + AutoexecCfgText(first)).ApplyTo(second);
  for (const ConfigField& f : FieldCatalogue::All()) {
    const int box = first.GetCheck(f.name);
    if (f.IsCheckBox() ? box < 0 || box > 2 : first.GetText(f.name).find_first_of("\r\n") != std::string::npos)
      __builtin_trap();
    const bool same = box == second.GetCheck(f.name) && first.GetText(f.name) == second.GetText(f.name);
    if ((f.files & (kFileServer | kFileAutoexec)) != 0 && f.name != "exec" && !same) __builtin_trap();
  }
  return 0;
}
