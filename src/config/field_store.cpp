#include "config/field_store.h"

namespace quorvane::config {

std::string MemoryFieldStore::GetText(std::string_view name) const {
  auto it = m_texts.find(name);
  return it == m_texts.end() ? std::string() : it->second;
}

void MemoryFieldStore::SetText(std::string_view name, const std::string& value) {
  m_texts.insert_or_assign(std::string(name), value);
}

int MemoryFieldStore::GetCheck(std::string_view name) const {
  auto it = m_checks.find(name);
  return it == m_checks.end() ? 0 : it->second;
}

void MemoryFieldStore::SetCheck(std::string_view name, int state) {
  m_checks.insert_or_assign(std::string(name), state);
}

}  // namespace quorvane::config
