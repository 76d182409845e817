#include "app/installing_folders.h"

#include <algorithm>

#include "install/text_case.h"

namespace quorvane::app {

namespace {

// `inner` is `outer` or lies below it; both are keys.
bool Within(std::string_view inner, std::string_view outer) {
  if (!inner.starts_with(outer)) return false;
  return inner.size() == outer.size() || outer.ends_with('/') || inner[outer.size()] == '/';
}

}  // namespace

InstallingFolders::InstallingFolders(Resolve resolve) : m_resolve(std::move(resolve)) {}

// One separator, none at the end but the root's, letters folded: two spellings
// the look-up resolves differently only by case are still taken as one place.
std::string InstallingFolders::Key(std::string_view folder) const {
  std::string place = m_resolve ? m_resolve(folder) : std::string(folder);
  std::replace(place.begin(), place.end(), '\\', '/');
  std::string key;
  for (const char c : place) {
    if (c == '/' && key.ends_with('/')) continue;
    key.push_back(c);
  }
  while (key.size() > 1 && key.ends_with('/')) key.pop_back();
  return install::Folded(key);
}

void InstallingFolders::Add(std::string_view folder) { m_busy.push_back({std::string(folder), Key(folder)}); }

void InstallingFolders::Remove(std::string_view folder) {
  const auto found = std::find_if(m_busy.begin(), m_busy.end(), [folder](const Busy& b) { return b.text == folder; });
  if (found != m_busy.end()) m_busy.erase(found);
}

bool InstallingFolders::Touches(std::string_view folder) const {
  if (m_busy.empty()) return false;
  const std::string key = Key(folder);
  return std::any_of(m_busy.begin(), m_busy.end(),
                     [&key](const Busy& busy) { return Within(key, busy.key) || Within(busy.key, key); });
}

}  // namespace quorvane::app
