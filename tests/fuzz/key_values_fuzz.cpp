// Any bytes as a KeyValues text or SteamCMD's app info answer: the reader ends,
// never nests deeper than its bound, reads the same entries from the text with
// anything appended when it called the text complete, and a build it reports
// is never zero.
#include <cstdint>
#include <string>
#include <string_view>

#include "update/key_values.h"

namespace {

int Depth(const std::vector<quorvane::update::KeyValue>& entries) {
  int deepest = 0;
  for (const auto& entry : entries) {
    if (entry.block) deepest = std::max(deepest, 1 + Depth(entry.children));
  }
  return deepest;
}

bool Same(const std::vector<quorvane::update::KeyValue>& a, const std::vector<quorvane::update::KeyValue>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].key != b[i].key || a[i].value != b[i].value || a[i].block != b[i].block) return false;
    if (!Same(a[i].children, b[i].children)) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const quorvane::update::KeyValues read = quorvane::update::ReadKeyValues(text);
  if (Depth(read.entries) > quorvane::update::kMaxKeyValuesDepth) __builtin_trap();
  if (read.complete) {
    // More entries after a complete text leave the first ones as they were.
    const quorvane::update::KeyValues longer = quorvane::update::ReadKeyValues(std::string(text) + "\n\"z\" \"1\"\n");
    if (longer.entries.size() < read.entries.size()) __builtin_trap();
    std::vector<quorvane::update::KeyValue> head(longer.entries.begin(),
                                                 longer.entries.begin() + static_cast<long>(read.entries.size()));
    if (!Same(head, read.entries)) __builtin_trap();
  }
  for (const auto build : {quorvane::update::InstalledBuild(text), quorvane::update::LatestPublicBuild(text)}) {
    if (build && *build == 0) __builtin_trap();
  }
  return 0;
}
