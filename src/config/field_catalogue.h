#pragma once
// The 79 configuration fields: one row per console variable, in catalogue order
// (the autoexec fields as autoexec.cfg is written, then the server fields as
// server.cfg is written, then the seven fields that are only ever read).
#include <span>
#include <string_view>
#include <vector>

#include "config/field_values.h"

namespace quorvane::config {

enum class FieldKind { Text, CheckBox };

// The main-window tab that shows the field.
enum class FieldTab { Autoexec = 0, Server = 1 };

// Files that carry a field.
inline constexpr unsigned kFileAutoexec = 1u;
inline constexpr unsigned kFileServer = 2u;
inline constexpr unsigned kFileListen = 4u;

// Resets that set a field.
inline constexpr unsigned kResetAutoexec = 1u;
inline constexpr unsigned kResetServer = 2u;

struct ConfigField {
  std::string_view name;
  FieldKind kind;
  int maxLength;                  // most characters the user may type; 0 = no limit
  unsigned files;                 // kFile* bits
  std::string_view defaultValue;  // a text, or "0"/"1" for a check box
  bool hasDefault;                // false for fields that no operation sets
  unsigned resets;                // kReset* bits
  FieldTab tab;
  std::string_view tooltip;  // empty: the field has none
  std::string_view label;    // caption of the label beside it

  bool IsCheckBox() const { return kind == FieldKind::CheckBox; }
};

class FieldCatalogue {
 public:
  static std::span<const ConfigField> All();
  // Name comparison ignores letter case, as the game itself does.
  static const ConfigField* Find(std::string_view name);
  // Catalogue order, filtered.
  static std::vector<const ConfigField*> InFile(unsigned fileBit);
  static std::vector<const ConfigField*> InReset(unsigned resetBit);
  static std::vector<const ConfigField*> OnTab(FieldTab tab);
};

}  // namespace quorvane::config
