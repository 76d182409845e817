#pragma once
// The window's fields as the core sees them: each configuration field by its
// name, a text box's text (bytes in the single-byte code page) or a check
// box's state (0 clear, 1 ticked, 2 greyed).
#include <map>
#include <string>
#include <string_view>

namespace quorvane::config {

class FieldStore {
 public:
  virtual ~FieldStore() = default;
  virtual std::string GetText(std::string_view name) const = 0;
  virtual void SetText(std::string_view name, const std::string& value) = 0;
  virtual int GetCheck(std::string_view name) const = 0;
  virtual void SetCheck(std::string_view name, int state) = 0;
};

// Fields held in memory: used where no window exists (tests, benchmarks, tools).
class MemoryFieldStore : public FieldStore {
 public:
  std::string GetText(std::string_view name) const override;
  void SetText(std::string_view name, const std::string& value) override;
  int GetCheck(std::string_view name) const override;
  void SetCheck(std::string_view name, int state) override;

 private:
  std::map<std::string, std::string, std::less<>> m_texts;
  std::map<std::string, int, std::less<>> m_checks;
};

}  // namespace quorvane::config
