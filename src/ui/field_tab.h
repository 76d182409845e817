#pragma once
// One of the main window's two configuration tabs: its fields in columns over
// its background picture, and its row of buttons under them.
#include <QWidget>
#include <string>
#include <string_view>
#include <unordered_map>

#include "config/field_catalogue.h"
#include "config/field_values.h"

class QLabel;

namespace quorvane::ui {

class CheckField;
class MainForm;
class TextField;

class FieldTab : public QWidget {
  Q_OBJECT
 public:
  // The buttons carry out `form`'s operations. The field labels are numbered
  // on across the tabs (lblLabels_N), so each tab is told where it starts.
  FieldTab(config::FieldTab tab, MainForm& form, int firstLabel);

  int FieldCount() const { return static_cast<int>(m_textFields.size() + m_checkFields.size()); }
  QLabel* Background() const { return m_background; }
  QWidget* Field(const std::string& name) const;

  // This tab's fields into the snapshot; the other tab's stay as they are.
  void CollectValues(config::FieldValues& values) const;
  // A field that already shows its value is left alone, so the user's cursor
  // and undo history there stay.
  void ShowValues(const config::FieldValues& values);

 private:
  QWidget* MakeControl(const config::ConfigField& field);

  config::FieldTab m_tab;
  QLabel* m_background = nullptr;
  std::unordered_map<std::string, TextField*> m_textFields;
  std::unordered_map<std::string, CheckField*> m_checkFields;
};

}  // namespace quorvane::ui
