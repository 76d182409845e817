#pragma once
// A file system in memory for tests of the core layers. Paths are the
// program's own text ("C:\Games\HL\Tfc\server.cfg"): '\' and '/' both
// separate, doubled or trailing separators are ignored, names match without
// regard to ASCII letter case, a top-level name (a drive) always exists, and a
// rename onto an existing file fails, as on the system the program was made for.
// FailOn makes an operation fail on a path (empty: any path) for the next
// `times` calls (-1: always); a failing write can keep its first `keepBytes`
// bytes, as a full disk does (nullopt: the file is left untouched, as by a failed open).
// Files and directories carry a mode as a POSIX system would give them under
// umask 022. Directories are listed newest first, as real disks may list them
// in any order: code that needs an order must sort.
#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "install/file_system.h"

namespace quorvane::test_support {

class MemoryFileSystem : public install::FileSystem {
 public:
  enum class Op { Read, Write, Rename, Remove };
  static constexpr const char *kNotFound = "No such file or directory", *kExists = "File exists",
                              *kIsDirectory = "Is a directory";
  static constexpr const char *kDenied = "Permission denied", *kNoSpace = "No space left on device";
  static constexpr unsigned kFileMode = 0644, kDirectoryMode = 0755;

  // Creates the directory and every missing parent.
  void AddDirectory(std::string_view path) {
    std::string spelled;
    for (const std::string& part : Split(path))
      m_entries.try_emplace(Key(spelled.append("\\").append(part)), Entry{part, true, {}, kDirectoryMode, ++m_made});
  }
  // Creates or replaces a file, with its parent directories.
  void AddFile(std::string_view path, std::string_view bytes, unsigned mode = kFileMode) {
    AddDirectory(Parent(path));
    m_entries[Key(path)] = Entry{Split(path).back(), false, std::string(bytes), mode, ++m_made};
  }
  // A directory that is a link to somewhere else: listed as a directory, told apart only by IsLink.
  void AddLink(std::string_view path) {
    AddDirectory(path);
    m_links.push_back(Key(path));
  }
  void FailOn(Op op, std::string_view path, std::string reason, int times = -1,
              std::optional<std::size_t> keepBytes = std::nullopt) {
    m_rules.push_back(Rule{op, path.empty() ? std::string() : Key(path), std::move(reason), times, keepBytes});
  }
  bool Exists(std::string_view path) const { return m_entries.count(Key(path)) != 0; }
  std::optional<unsigned> Mode(std::string_view path) const {
    return Exists(path) ? std::optional(m_entries.at(Key(path)).mode) : std::nullopt;
  }
  std::optional<std::string> Bytes(std::string_view path) const {
    return Exists(path) && !m_entries.at(Key(path)).isDirectory ? std::optional(m_entries.at(Key(path)).bytes)
                                                                : std::nullopt;
  }

  bool IsPresent(const std::string& path) override { return Exists(path) && !m_entries.at(Key(path)).isDirectory; }
  bool IsDirectory(const std::string& path) override {
    return Exists(path) ? m_entries.at(Key(path)).isDirectory : Split(path).size() <= 1;
  }
  install::Read<std::string> ReadFile(const std::string& path) override {
    if (auto failure = Check(Op::Read, path)) return *failure;
    return m_entries.at(Key(path)).bytes;
  }
  install::IoResult WriteFile(const std::string& path, std::string_view bytes) override {
    return WriteFileLike(path, bytes, {});
  }
  install::IoResult WriteFileLike(const std::string& path, std::string_view bytes,
                                  const install::ModeSource& source) override {
    if (Exists(path) ? IsDirectory(path) : !IsDirectory(Parent(path)))
      return Fail(Exists(path) ? kIsDirectory : kNotFound);
    const Rule* r = Failing(Op::Write, path);
    if (r != nullptr && !r->keepBytes) return Fail(r->reason);
    Entry& entry =
        m_entries.try_emplace(Key(path), Entry{Split(path).back(), false, {}, kFileMode, ++m_made}).first->second;
    if (IsPresent(source.like)) entry.mode = m_entries.at(Key(source.like)).mode;
    if (IsPresent(source.noMoreOpenThan)) entry.mode &= 0700 | m_entries.at(Key(source.noMoreOpenThan)).mode;
    entry.bytes.assign(bytes.substr(0, r != nullptr ? *r->keepBytes : bytes.size()));
    return r != nullptr ? Fail(r->reason) : install::IoResult{};
  }
  install::IoResult Rename(const std::string& from, const std::string& to) override {
    if (auto failure = Check(Op::Rename, from)) return *failure;
    if (Exists(to) || !IsDirectory(Parent(to))) return Fail(Exists(to) ? kExists : kNotFound);
    Entry& moved = m_entries[Key(to)] = m_entries.extract(Key(from)).mapped();
    moved.name = Split(to).back();
    return {};
  }
  install::IoResult Remove(const std::string& path) override {
    if (auto failure = Check(Op::Remove, path)) return *failure;
    m_entries.erase(Key(path));
    return {};
  }
  install::IoResult CreateDirectory(const std::string& path) override {
    if (Split(path).empty() || Exists(path) || !IsDirectory(Parent(path)))
      return Fail(Exists(path) ? kExists : kNotFound);
    AddDirectory(path);
    return {};
  }
  install::IoResult CreatePrivateDirectory(const std::string& path) override {
    install::IoResult made = CreateDirectory(path);
    if (made) m_entries.at(Key(path)).mode = 0700;
    return made;
  }
  bool IsLink(const std::string& path) override {
    return std::find(m_links.begin(), m_links.end(), Key(path)) != m_links.end();
  }
  std::vector<std::string> ListFiles(const std::string& directory) override { return Names(directory, false); }
  std::vector<std::string> ListDirectories(const std::string& directory) override { return Names(directory, true); }
  install::IoResult RemoveDirectory(const std::string& path) override {
    if (!Exists(path) || !IsDirectory(path)) return Fail(Exists(path) ? "Not a directory" : kNotFound);
    for (const auto& entry : m_entries)
      if (Parent(entry.first) == Key(path)) return Fail("Directory not empty");
    m_entries.erase(Key(path));
    return {};
  }

 private:
  // The name is the last component as spelled when the entry was made; an empty rule key matches any path.
  struct Entry {
    std::string name;
    bool isDirectory;
    std::string bytes;
    unsigned mode;
    int made;  // when it was made: the listing's order
  };
  struct Rule {
    Op op;
    std::string key;
    std::string reason;
    int remaining;
    std::optional<std::size_t> keepBytes;
  };

  static install::IoResult Fail(std::string why) { return install::IoResult::Failure(std::move(why)); }
  // The failure of an operation on an existing file, if any.
  std::optional<install::IoResult> Check(Op op, const std::string& path) {
    if (const Rule* r = Failing(op, path)) return Fail(r->reason);
    if (!IsPresent(path)) return Fail(Exists(path) ? kIsDirectory : kNotFound);
    return std::nullopt;
  }
  static std::vector<std::string> Split(std::string_view path) {
    std::vector<std::string> parts(1);
    for (char c : path)
      if (c != '\\' && c != '/')
        parts.back().push_back(c);
      else if (!parts.back().empty())
        parts.emplace_back();
    if (parts.back().empty()) parts.pop_back();
    return parts;
  }
  // The path in its normal form with letters folded: the entry's key.
  static std::string Key(std::string_view path) {
    std::string key;
    for (const std::string& part : Split(path)) key.append(key.empty() ? 0 : 1, '\\').append(part);
    for (char& c : key) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c | 0x20) : c;
    return key;
  }
  // The path less its last component and any separators after it.
  static std::string Parent(std::string_view path) {
    path = path.substr(0, path.find_last_not_of("\\/") + 1);
    return std::string(path.substr(0, path.find_last_of("\\/") == path.npos ? 0 : path.find_last_of("\\/")));
  }
  // The names of the directory's files or subdirectories, as spelled when they were made, newest first.
  std::vector<std::string> Names(const std::string& directory, bool directories) const {
    std::vector<const Entry*> found;
    for (const auto& [key, e] : m_entries)
      if (e.isDirectory == directories && Parent(key) == Key(directory)) found.push_back(&e);
    std::sort(found.begin(), found.end(), [](const Entry* a, const Entry* b) { return a->made > b->made; });
    std::vector<std::string> names;
    for (const Entry* e : found) names.push_back(e->name);
    return names;
  }
  const Rule* Failing(Op op, std::string_view path) {
    for (Rule& r : m_rules)
      if (r.op == op && r.remaining != 0 && (r.key.empty() || r.key == Key(path))) {
        r.remaining -= r.remaining > 0 ? 1 : 0;
        return &r;
      }
    return nullptr;
  }

  std::map<std::string, Entry> m_entries;
  std::vector<std::string> m_links;
  std::vector<Rule> m_rules;
  int m_made = 0;
};

}  // namespace quorvane::test_support
