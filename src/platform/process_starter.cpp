#include "platform/process_starter.h"

namespace quorvane::platform {

std::vector<std::string> SplitParameters(std::string_view parameters) {
  std::vector<std::string> words;
  std::string word;
  for (const char c : parameters) {
    if (c == ' ' || c == '\t') {
      if (!word.empty()) words.push_back(std::move(word));
      word.clear();
    } else {
      word.push_back(c);
    }
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

}  // namespace quorvane::platform
