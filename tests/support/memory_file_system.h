#pragma once
// A whole file system in memory for tests of the core layers. Paths are the
// program's own text ("C:\Games\HL\Tfc\server.cfg"): '\' and '/' both
// separate, doubled separators collapse, a trailing one is ignored, and names
// match without regard to ASCII letter case, as on the system the program was
// made for. A rename onto an existing file fails, as it does there.
//
// Any operation can be made to fail on a path (or every path), once, a few
// times or always; a failing write can leave a partial file behind, and a
// capacity makes writes run out of space the way a full disk does.
#include <algorithm>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "install/file_system.h"

namespace quorvane::test_support {

class MemoryFileSystem : public install::FileSystem {
 public:
  enum class Op { IsPresent, IsDirectory, Read, Write, Rename, Remove, CreateDirectory, ListFiles };

  static constexpr int kAlways = -1;

  // The messages the system gives for the usual failures.
  static constexpr const char* kNotFound = "No such file or directory";
  static constexpr const char* kExists = "File exists";
  static constexpr const char* kDenied = "Permission denied";
  static constexpr const char* kNoSpace = "No space left on device";
  static constexpr const char* kIsDirectory = "Is a directory";
  static constexpr const char* kNotDirectory = "Not a directory";

  // --- Setting up -------------------------------------------------------

  // Creates the directory and every missing parent.
  void AddDirectory(std::string_view path) {
    std::vector<std::string> parts = Split(path);
    std::string key;
    for (const std::string& part : parts) {
      key = Join(key, Fold(part));
      auto it = m_entries.find(key);
      if (it == m_entries.end()) m_entries.emplace(key, Entry{part, true, {}, false, false, m_nextSeq++});
    }
  }

  // Creates or replaces a file, with its parent directories.
  void AddFile(std::string_view path, std::string_view bytes) {
    std::vector<std::string> parts = Split(path);
    if (parts.empty()) return;
    std::string parent = ParentText(parts);
    if (!parent.empty()) AddDirectory(parent);
    std::string key = Key(path);
    auto it = m_entries.find(key);
    if (it != m_entries.end()) {
      it->second.isDirectory = false;
      it->second.bytes.assign(bytes);
    } else {
      m_entries.emplace(key, Entry{parts.back(), false, std::string(bytes), false, false, m_nextSeq++});
    }
  }

  // A hidden file exists but is not "present", like a hidden or system file.
  void SetHidden(std::string_view path, bool hidden = true) {
    if (Entry* e = Find(path)) e->hidden = hidden;
  }
  // A read-only file can be read but not written, renamed or removed.
  void SetReadOnly(std::string_view path, bool readOnly = true) {
    if (Entry* e = Find(path)) e->readOnly = readOnly;
  }

  // Makes `op` fail on `path` (empty: on any path) for the next `times` calls;
  // a Rename matches on its source path.
  // A failing Write keeps the first `keepBytes` bytes in the file (created or
  // truncated as a real open would); nullopt leaves the file untouched, as a
  // failed open does.
  void FailOn(Op op, std::string_view path, std::string reason, int times = kAlways,
              std::optional<std::size_t> keepBytes = std::nullopt) {
    m_rules.push_back(Rule{op, path.empty() ? std::string() : Key(path), std::move(reason), times, keepBytes});
  }
  void ClearFailures() { m_rules.clear(); }

  // Total bytes all files may hold; a write beyond it keeps what fits and
  // fails with kNoSpace. nullopt: no limit.
  void SetCapacity(std::optional<std::size_t> bytes) { m_capacity = bytes; }

  // --- Looking at the result ----------------------------------------------

  bool Exists(std::string_view path) const { return m_entries.count(Key(path)) != 0; }
  std::optional<std::string> Bytes(std::string_view path) const {
    auto it = m_entries.find(Key(path));
    if (it == m_entries.end() || it->second.isDirectory) return std::nullopt;
    return it->second.bytes;
  }
  // Every call that reached the file system, as "Op path" lines, in order.
  const std::vector<std::string>& Log() const { return m_log; }
  void ClearLog() { m_log.clear(); }
  std::size_t UsedBytes() const {
    std::size_t used = 0;
    for (const auto& [key, e] : m_entries) used += e.bytes.size();
    return used;
  }

  // --- install::FileSystem ------------------------------------------------

  bool IsPresent(const std::string& path) override {
    Record("IsPresent", path);
    if (Failing(Op::IsPresent, path)) return false;
    const Entry* e = Find(path);
    return e != nullptr && !e->isDirectory && !e->hidden;
  }

  bool IsDirectory(const std::string& path) override {
    Record("IsDirectory", path);
    if (Failing(Op::IsDirectory, path)) return false;
    const Entry* e = Find(path);
    // A drive or other top-level name exists unless a file took its place.
    if (Split(path).size() <= 1) return e == nullptr || e->isDirectory;
    return e != nullptr && e->isDirectory;
  }

  install::IoResult ReadFile(const std::string& path, std::string& bytes) override {
    Record("Read", path);
    if (const Rule* r = Failing(Op::Read, path)) return install::IoResult::Failure(r->reason);
    const Entry* e = Find(path);
    if (e == nullptr) return install::IoResult::Failure(kNotFound);
    if (e->isDirectory) return install::IoResult::Failure(kIsDirectory);
    bytes = e->bytes;
    return install::IoResult::Success();
  }

  install::IoResult WriteFile(const std::string& path, std::string_view bytes) override {
    Record("Write", path);
    Entry* e = Find(path);
    if (e != nullptr && e->isDirectory) return install::IoResult::Failure(kIsDirectory);
    if (e != nullptr && e->readOnly) return install::IoResult::Failure(kDenied);
    if (e == nullptr && !ParentIsDirectory(path)) return install::IoResult::Failure(kNotFound);

    std::optional<std::size_t> keep;
    std::string reason;
    if (const Rule* r = Failing(Op::Write, path)) {
      if (!r->keepBytes) return install::IoResult::Failure(r->reason);
      keep = std::min(*r->keepBytes, bytes.size());
      reason = r->reason;
    }
    if (m_capacity) {
      std::size_t others = UsedBytes() - (e != nullptr ? e->bytes.size() : 0);
      std::size_t room = others >= *m_capacity ? 0 : *m_capacity - others;
      if (bytes.size() > room && (!keep || *keep > room)) {
        keep = room;
        reason = kNoSpace;
      }
    }
    std::string_view stored = keep ? bytes.substr(0, *keep) : bytes;
    if (e == nullptr) {
      m_entries.emplace(Key(path), Entry{Split(path).back(), false, std::string(stored), false, false, m_nextSeq++});
    } else {
      e->bytes.assign(stored);
    }
    if (keep) return install::IoResult::Failure(reason);
    return install::IoResult::Success();
  }

  install::IoResult Rename(const std::string& from, const std::string& to) override {
    Record("Rename", from + " -> " + to);
    if (const Rule* r = Failing(Op::Rename, from)) return install::IoResult::Failure(r->reason);
    auto source = m_entries.find(Key(from));
    if (source == m_entries.end()) return install::IoResult::Failure(kNotFound);
    if (source->second.isDirectory) return install::IoResult::Failure(kIsDirectory);
    if (source->second.readOnly) return install::IoResult::Failure(kDenied);
    if (m_entries.count(Key(to)) != 0) return install::IoResult::Failure(kExists);
    if (!ParentIsDirectory(to)) return install::IoResult::Failure(kNotFound);
    Entry moved = source->second;
    moved.name = Split(to).back();
    m_entries.erase(source);
    m_entries.emplace(Key(to), std::move(moved));
    return install::IoResult::Success();
  }

  install::IoResult Remove(const std::string& path) override {
    Record("Remove", path);
    if (const Rule* r = Failing(Op::Remove, path)) return install::IoResult::Failure(r->reason);
    auto it = m_entries.find(Key(path));
    if (it == m_entries.end()) return install::IoResult::Failure(kNotFound);
    if (it->second.isDirectory) return install::IoResult::Failure(kIsDirectory);
    if (it->second.readOnly) return install::IoResult::Failure(kDenied);
    m_entries.erase(it);
    return install::IoResult::Success();
  }

  install::IoResult CreateDirectory(const std::string& path) override {
    Record("CreateDirectory", path);
    if (const Rule* r = Failing(Op::CreateDirectory, path)) return install::IoResult::Failure(r->reason);
    std::vector<std::string> parts = Split(path);
    if (parts.empty() || m_entries.count(Key(path)) != 0) return install::IoResult::Failure(kExists);
    if (!ParentIsDirectory(path)) return install::IoResult::Failure(kNotFound);
    m_entries.emplace(Key(path), Entry{parts.back(), true, {}, false, false, m_nextSeq++});
    return install::IoResult::Success();
  }

  std::vector<std::string> ListFiles(const std::string& directory) override {
    Record("ListFiles", directory);
    std::vector<std::string> names;
    if (Failing(Op::ListFiles, directory)) return names;
    std::string prefix = Key(directory);
    std::vector<const Entry*> found;
    for (const auto& [key, e] : m_entries) {
      if (e.isDirectory || e.hidden) continue;
      std::size_t cut = key.rfind('\\');
      std::string parent = cut == std::string::npos ? std::string() : key.substr(0, cut);
      if (parent == prefix) found.push_back(&e);
    }
    std::sort(found.begin(), found.end(), [](const Entry* a, const Entry* b) { return a->seq < b->seq; });
    for (const Entry* e : found) names.push_back(e->name);
    return names;
  }

 private:
  struct Entry {
    std::string name;  // the last component as first spelled
    bool isDirectory;
    std::string bytes;
    bool hidden;
    bool readOnly;
    std::size_t seq;  // creation order, the order of a listing
  };
  struct Rule {
    Op op;
    std::string key;  // empty: any path
    std::string reason;
    int remaining;
    std::optional<std::size_t> keepBytes;
  };

  static std::vector<std::string> Split(std::string_view path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
      if (c == '\\' || c == '/') {
        if (!part.empty()) parts.push_back(std::move(part));
        part.clear();
      } else {
        part.push_back(c);
      }
    }
    if (!part.empty()) parts.push_back(std::move(part));
    return parts;
  }
  static std::string Fold(std::string_view s) {
    std::string out(s);
    for (char& c : out)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
  }
  static std::string Join(const std::string& a, const std::string& b) { return a.empty() ? b : a + '\\' + b; }
  static std::string Key(std::string_view path) {
    std::string key;
    for (const std::string& part : Split(path)) key = Join(key, Fold(part));
    return key;
  }
  static std::string ParentText(const std::vector<std::string>& parts) {
    std::string parent;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) parent = Join(parent, parts[i]);
    return parent;
  }

  Entry* Find(std::string_view path) {
    auto it = m_entries.find(Key(path));
    return it == m_entries.end() ? nullptr : &it->second;
  }
  const Entry* Find(std::string_view path) const {
    auto it = m_entries.find(Key(path));
    return it == m_entries.end() ? nullptr : &it->second;
  }

  // The first component (a drive such as "C:", or the first directory of a
  // rooted path) always exists; deeper parents must have been made.
  bool ParentIsDirectory(std::string_view path) const {
    std::vector<std::string> parts = Split(path);
    if (parts.size() <= 1) return true;
    std::string parent = Key(ParentText(parts));
    if (parts.size() == 2 && m_entries.count(parent) == 0) return true;
    auto it = m_entries.find(parent);
    return it != m_entries.end() && it->second.isDirectory;
  }

  const Rule* Failing(Op op, std::string_view path) {
    std::string key = Key(path);
    for (Rule& r : m_rules) {
      if (r.op != op || r.remaining == 0) continue;
      if (!r.key.empty() && r.key != key) continue;
      if (r.remaining > 0) --r.remaining;
      return &r;
    }
    return nullptr;
  }

  void Record(std::string_view op, const std::string& what) { m_log.push_back(std::string(op) + " " + what); }

  std::map<std::string, Entry> m_entries;
  std::vector<Rule> m_rules;
  std::vector<std::string> m_log;
  std::optional<std::size_t> m_capacity;
  std::size_t m_nextSeq = 0;
};

}  // namespace quorvane::test_support
