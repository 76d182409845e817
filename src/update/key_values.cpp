#include "update/key_values.h"

#include <algorithm>
#include <charconv>

namespace quorvane::update {
namespace {

enum class TokenKind { Open, Close, Text, End, Broken };

struct Token {
  TokenKind kind = TokenKind::End;
  std::string text;
  bool bracketed = false;  // a bare `[...]` token: a platform condition after a value
};

class Tokens {
 public:
  explicit Tokens(std::string_view text) : m_text(text) {}

  Token Next() {
    SkipSpaceAndComments();
    if (m_at >= m_text.size()) return {TokenKind::End, {}, false};
    const char c = m_text[m_at];
    if (c == '{' || c == '}') {
      ++m_at;
      return {c == '{' ? TokenKind::Open : TokenKind::Close, {}, false};
    }
    if (c == '"') return Quoted();
    return Bare();
  }

 private:
  static bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

  bool CommentAt(std::size_t at) const { return m_text.substr(at, 2) == "//"; }

  void SkipSpaceAndComments() {
    while (m_at < m_text.size()) {
      if (IsSpace(m_text[m_at])) {
        ++m_at;
      } else if (CommentAt(m_at)) {
        const std::size_t end = m_text.find('\n', m_at);
        m_at = end == std::string_view::npos ? m_text.size() : end + 1;
      } else {
        return;
      }
    }
  }

  Token Quoted() {
    std::string text;
    for (++m_at; m_at < m_text.size(); ++m_at) {
      const char c = m_text[m_at];
      if (c == '"') {
        ++m_at;
        return {TokenKind::Text, std::move(text), false};
      }
      if (c == '\\' && m_at + 1 < m_text.size()) {
        const char next = m_text[m_at + 1];
        if (next == '"' || next == '\\') {
          text += next;
          ++m_at;
          continue;
        }
        if (next == 'n' || next == 't') {
          text += next == 'n' ? '\n' : '\t';
          ++m_at;
          continue;
        }
      }
      text += c;
    }
    // No closing quote: the text was cut inside the string.
    return {TokenKind::Broken, {}, false};
  }

  Token Bare() {
    const std::size_t begin = m_at;
    while (m_at < m_text.size()) {
      const char c = m_text[m_at];
      if (IsSpace(c) || c == '"' || c == '{' || c == '}' || CommentAt(m_at)) break;
      ++m_at;
    }
    // A bare token running into the end may have been cut: "12" of "1234".
    if (m_at >= m_text.size()) return {TokenKind::Broken, {}, false};
    std::string text(m_text.substr(begin, m_at - begin));
    const bool bracketed = text.size() >= 2 && text.front() == '[' && text.back() == ']';
    return {TokenKind::Text, std::move(text), bracketed};
  }

  std::string_view m_text;
  std::size_t m_at = 0;
};

bool SameKey(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return std::ranges::equal(a, b, [&](char x, char y) { return lower(x) == lower(y); });
}

std::optional<BuildId> ParseBuild(const KeyValue* entry) {
  if (entry == nullptr || entry->block || entry->value.empty()) return std::nullopt;
  const std::string& text = entry->value;
  BuildId build = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), build);
  if (error != std::errc{} || end != text.data() + text.size() || build == 0) return std::nullopt;
  return build;
}

}  // namespace

KeyValues ReadKeyValues(std::string_view text) {
  KeyValues result;
  if (text.size() > kMaxKeyValuesBytes) {
    text = text.substr(0, kMaxKeyValuesBytes);
    result.complete = false;
  }
  // An editor may have saved the manifest with a UTF-8 byte order mark.
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  Tokens tokens(text);
  // The blocks open around the next entry, outermost first; a block's entries
  // only grow while it is the innermost, so the pointers stay valid.
  std::vector<std::vector<KeyValue>*> open{&result.entries};
  std::optional<std::string> key;
  bool afterValue = false;
  for (;;) {
    Token token = tokens.Next();
    switch (token.kind) {
      case TokenKind::End:
        if (key || open.size() > 1) result.complete = false;
        return result;
      case TokenKind::Broken:
        result.complete = false;
        return result;
      case TokenKind::Open:
        if (!key || static_cast<int>(open.size()) > kMaxKeyValuesDepth) {
          result.complete = false;
          return result;
        }
        open.back()->push_back(KeyValue{std::move(*key), {}, {}, true});
        open.push_back(&open.back()->back().children);
        key.reset();
        afterValue = false;
        break;
      case TokenKind::Close:
        if (key || open.size() == 1) {
          result.complete = false;
          return result;
        }
        open.pop_back();
        afterValue = false;
        break;
      case TokenKind::Text:
        if (key) {
          open.back()->push_back(KeyValue{std::move(*key), std::move(token.text), {}, false});
          key.reset();
          afterValue = true;
        } else if (afterValue && token.bracketed) {
          afterValue = false;  // a condition such as [$WIN32] belongs to the value before it
        } else {
          key = std::move(token.text);
          afterValue = false;
        }
        break;
    }
  }
}

const KeyValue* FindEntry(const std::vector<KeyValue>& entries, std::initializer_list<std::string_view> path) {
  const std::vector<KeyValue>* level = &entries;
  const KeyValue* found = nullptr;
  for (std::string_view key : path) {
    if (level == nullptr) return nullptr;
    const auto it = std::ranges::find_if(*level, [&](const KeyValue& e) { return SameKey(e.key, key); });
    if (it == level->end()) return nullptr;
    found = &*it;
    level = found->block ? &found->children : nullptr;
  }
  return found;
}

std::optional<BuildId> InstalledBuild(std::string_view manifest) {
  const KeyValues read = ReadKeyValues(manifest);
  return ParseBuild(FindEntry(read.entries, {"AppState", "buildid"}));
}

std::optional<BuildId> LatestPublicBuild(std::string_view appInfoOutput) {
  // SteamCMD prints its own lines ("Loading Steam API...OK", "AppID : 90,
  // change number ...") before the block; the block starts at the first line
  // that starts with a quoted key.
  std::size_t at = 0;
  while (at < appInfoOutput.size()) {
    const std::size_t first = appInfoOutput.find_first_not_of(" \t", at);
    if (first != std::string_view::npos && appInfoOutput[first] == '"') {
      at = first;
      break;
    }
    const std::size_t end = appInfoOutput.find('\n', at);
    at = end == std::string_view::npos ? appInfoOutput.size() : end + 1;
  }
  const KeyValues read = ReadKeyValues(appInfoOutput.substr(at));
  return ParseBuild(FindEntry(read.entries, {"90", "depots", "branches", "public", "buildid"}));
}

}  // namespace quorvane::update
