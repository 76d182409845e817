// Any bytes as a configuration file: the reader must not crash or hang, a
// check box only ever takes 0, 1 or 2, and whatever the reader put into the
// fields comes back unchanged through the writers and a second read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "config/cfg_reader.h"
#include "config/cfg_writer.h"
#include "config/field_catalogue.h"
#include "config/field_store.h"

namespace {

using namespace quorvane::config;

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  MemoryFieldStore first;
  ApplyCfgText(bytes, first);

  for (const ConfigField& field : FieldCatalogue::All()) {
    if (field.IsCheckBox()) {
      const int state = first.GetCheck(field.name);
      Require(state >= 0 && state <= 2);
    } else {
      // Values end at the line end.
      const std::string text = first.GetText(field.name);
      Require(text.find_first_of("\r\n") == std::string::npos);
    }
  }

  MemoryFieldStore second;
  ApplyCfgText(ServerCfgText(first), second);
  ApplyCfgText(AutoexecCfgText(first), second);
  for (unsigned file : {kFileServer, kFileAutoexec}) {
    for (const ConfigField* field : FieldCatalogue::InFile(file)) {
      if (field->name == "exec") continue;  // written as a constant
      if (field->IsCheckBox())
        Require(first.GetCheck(field->name) == second.GetCheck(field->name));
      else
        Require(first.GetText(field->name) == second.GetText(field->name));
    }
  }
  return 0;
}
