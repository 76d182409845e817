#include "config/field_values.h"

#include "config/field_catalogue.h"

namespace quorvane::config {

std::size_t FieldIndex(const ConfigField& field) {
  return static_cast<std::size_t>(&field - FieldCatalogue::All().data());
}

std::string FieldValues::GetText(std::string_view name) const {
  const ConfigField* field = FieldCatalogue::Find(name);
  if (field == nullptr) return {};
  // A check box read as text gives its state, as the window's own box does.
  if (field->IsCheckBox()) return std::to_string(m_checks[FieldIndex(*field)]);
  return m_texts[FieldIndex(*field)];
}

void FieldValues::SetText(std::string_view name, const std::string& value) {
  const ConfigField* field = FieldCatalogue::Find(name);
  if (field != nullptr && !field->IsCheckBox()) m_texts[FieldIndex(*field)] = value;
}

int FieldValues::GetCheck(std::string_view name) const {
  const ConfigField* field = FieldCatalogue::Find(name);
  if (field == nullptr || !field->IsCheckBox()) return 0;
  return m_checks[FieldIndex(*field)];
}

void FieldValues::SetCheck(std::string_view name, int state) {
  const ConfigField* field = FieldCatalogue::Find(name);
  if (field != nullptr && field->IsCheckBox()) m_checks[FieldIndex(*field)] = state;
}

void FieldUpdates::SetText(std::size_t index, std::string value) {
  m_values.SetText(index, std::move(value));
  m_named.set(index);
}

void FieldUpdates::SetCheck(std::size_t index, int state) {
  m_values.SetCheck(index, state);
  m_named.set(index);
}

void FieldUpdates::ApplyTo(FieldValues& values) const {
  const auto all = FieldCatalogue::All();
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    if (!m_named.test(i)) continue;
    if (all[i].IsCheckBox())
      values.SetCheck(i, m_values.Check(i));
    else
      values.SetText(i, m_values.Text(i));
  }
}

}  // namespace quorvane::config
