#include "platform/path_resolver.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "install/text_case.h"
#include "platform/codepage.h"

namespace quorvane::platform {
namespace {

namespace fs = std::filesystem;

// A name holding a NUL names nothing: the system would read it cut short.
bool Exists(const std::string& native) {
  if (native.find('\0') != std::string::npos) return false;
  struct stat st {};
  return ::lstat(native.c_str(), &st) == 0;
}

// How one kind of path text is matched against the names on disk.
struct TextRules {
  bool native;  // UTF-8 as it stands; else the code page

  // The code page's letters fold; in UTF-8 only ASCII letters may, since the
  // code page's upper-case bytes are UTF-8 lead bytes there.
  std::string LowerCase(std::string_view text) const {
    std::string lower(text);
    for (char& c : lower) {
      const auto byte = static_cast<unsigned char>(c);
      if (!native || byte < 0x80) c = static_cast<char>(install::FoldCase(byte));
    }
    return lower;
  }
  bool IsLowerCase(std::string_view text) const { return LowerCase(text) == text; }
  // A name on disk in this text.
  std::string FromDisk(std::string_view name) const { return native ? std::string(name) : Utf8ToAnsi(name); }
  std::string ToDisk(std::string_view text) const { return native ? std::string(text) : AnsiToUtf8(text); }
};

// The entry of `directory` whose name equals `wanted` without regard to case.
// A file system that tells case apart may hold several (`Tfc` and `tfc`); the
// choice must not depend on how the request spells the name, or a presence
// test, a read and a write of one path could reach different files. So the
// all-lower-case name wins, as the game itself names its folders, else the
// first in byte order.
bool FindNoCase(const TextRules& rules, const std::string& directory, std::string_view wanted, std::string& found) {
  DIR* dir = ::opendir(directory.empty() ? "." : directory.c_str());
  if (!dir) return false;
  bool any = false;
  bool foundLower = false;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    const std::string text = rules.FromDisk(name);
    if (rules.LowerCase(text) != rules.LowerCase(wanted)) continue;
    const bool lower = rules.IsLowerCase(text);
    if (!any || (lower && !foundLower) || (lower == foundLower && name < found)) {
      found = name;
      foundLower = lower;
    }
    any = true;
  }
  ::closedir(dir);
  return any;
}

std::vector<std::string_view> SplitComponents(std::string_view text) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '\\' || text[i] == '/') {
      if (i > start) parts.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string Join(const std::string& base, std::string_view name) {
  std::string out;
  out.reserve(base.size() + 1 + name.size());
  out.append(base);
  if (!out.empty() && out.back() != '/') out.push_back('/');
  out.append(name.data(), name.size());
  return out;
}

}  // namespace

fs::path DefaultWinePrefix() {
  if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix) return prefix;
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    const passwd* pw = ::getpwuid(::getuid());
    home = pw ? pw->pw_dir : nullptr;
  }
  return fs::path(home ? home : "/") / ".wine";
}

fs::path ResolvePath(std::string_view pathText) { return ResolvePath(pathText, DefaultWinePrefix()); }

namespace {

fs::path Resolve(const TextRules& rules, std::string_view pathText, const fs::path& winePrefix) {
  std::string base;  // native; empty means the current directory
  std::string_view rest = pathText;
  const bool hasDrive =
      rest.size() >= 2 && rest[1] == ':' && ((rest[0] >= 'A' && rest[0] <= 'Z') || (rest[0] >= 'a' && rest[0] <= 'z'));
  if (hasDrive) {
    const char letter = static_cast<char>(install::FoldCase(static_cast<unsigned char>(rest[0])));
    const fs::path mapped = winePrefix / "dosdevices" / std::string{letter, ':'};
    std::error_code ec;
    base = fs::is_directory(mapped, ec) ? mapped.string() : "/";
    rest.remove_prefix(2);
  } else if (!rest.empty() && IsSeparator(rest.front())) {
    base = "/";
  }
  const bool trailingSeparator = !rest.empty() && IsSeparator(rest.back());

  bool matching = true;
  for (std::string_view part : SplitComponents(rest)) {
    const std::string native = rules.ToDisk(part);
    if (matching && part != "." && part != "..") {
      // The all-lower-case entry wins whenever it is there, so no listing is needed for it.
      std::string lower = Join(base, rules.ToDisk(rules.LowerCase(part)));
      if (Exists(lower)) {
        base = std::move(lower);
        continue;
      }
      std::string found;
      if (part.find('\0') == std::string_view::npos && FindNoCase(rules, base, part, found)) {
        base = Join(base, found);
        continue;
      }
      // A directory that may be entered but not listed still holds the name as written.
      std::string candidate = Join(base, native);
      if (Exists(candidate)) {
        base = std::move(candidate);
        continue;
      }
      matching = false;
    }
    base = Join(base, native);
  }
  if (base.empty()) return fs::path(".");
  if (trailingSeparator && base.back() != '/') base += '/';
  return fs::path(base);
}

}  // namespace

fs::path ResolvePath(std::string_view pathText, const fs::path& winePrefix) {
  return Resolve(TextRules{false}, pathText, winePrefix);
}

fs::path ResolveNativePath(std::string_view utf8) { return Resolve(TextRules{true}, utf8, DefaultWinePrefix()); }

}  // namespace quorvane::platform
