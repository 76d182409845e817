#pragma once
// A snapshot of the 79 configuration fields, in catalogue order: what the
// writers take, what the reader's updates land on and what the window shows
// and hands back. Texts are bytes in the single-byte code page; a check box
// holds 0 (clear), 1 (ticked) or 2 (greyed).
#include <array>
#include <bitset>
#include <cstddef>
#include <string>
#include <string_view>

namespace quorvane::config {

inline constexpr std::size_t kFieldCount = 79;

struct ConfigField;

class FieldValues {
 public:
  // Names are looked up as the game does, ignoring case; a name outside the
  // catalogue reads as empty and takes nothing.
  std::string GetText(std::string_view name) const;
  void SetText(std::string_view name, const std::string& value);
  int GetCheck(std::string_view name) const;
  void SetCheck(std::string_view name, int state);

  // By catalogue position.
  const std::string& Text(std::size_t index) const { return m_texts[index]; }
  int Check(std::size_t index) const { return m_checks[index]; }
  void SetText(std::size_t index, std::string value) { m_texts[index] = std::move(value); }
  void SetCheck(std::size_t index, int state) { m_checks[index] = state; }

  bool operator==(const FieldValues&) const = default;

 private:
  std::array<std::string, kFieldCount> m_texts{};
  std::array<int, kFieldCount> m_checks{};
};

// Position of a catalogue row.
std::size_t FieldIndex(const ConfigField& field);

// What one configuration file says: for each field it names, the value it gave
// last. Fields it does not name keep whatever the snapshot had.
class FieldUpdates {
 public:
  void SetText(std::size_t index, std::string value);
  void SetCheck(std::size_t index, int state);
  bool Names(std::size_t index) const { return m_named.test(index); }
  bool empty() const { return m_named.none(); }
  // The snapshot with these updates laid over it.
  void ApplyTo(FieldValues& values) const;

 private:
  FieldValues m_values;
  std::bitset<kFieldCount> m_named;
};

}  // namespace quorvane::config
