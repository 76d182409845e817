#pragma once
// A small, forgiving reader of SteamCMD's KeyValues text: `"key" "value"`
// pairs and `"key" { ... }` blocks, quoted or bare tokens, `//` comments.
// Whatever the bytes, it reads what it can and says whether that was all.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane::update {

struct KeyValue {
  std::string key;
  std::string value;               // a pair's value; empty for a block
  std::vector<KeyValue> children;  // a block's entries
  bool block = false;
};

struct KeyValues {
  std::vector<KeyValue> entries;
  // False when the text was cut short, malformed, nested too deep or too
  // long: `entries` then hold what came before the fault.
  bool complete = true;
};

// Blocks nest at most this deep; deeper text is not read.
inline constexpr int kMaxKeyValuesDepth = 32;
// Text beyond this many bytes is not read.
inline constexpr std::size_t kMaxKeyValuesBytes = 4 * 1024 * 1024;

[[nodiscard]] KeyValues ReadKeyValues(std::string_view text);

// The entry reached by following `path` through nested blocks, keys compared
// without regard to case; the first entry of a key wins. Null when absent.
const KeyValue* FindEntry(const std::vector<KeyValue>& entries, std::initializer_list<std::string_view> path);

using BuildId = std::uint64_t;

// The installed build: "AppState" -> "buildid" of an app manifest. None when
// absent, empty, zero or not a number.
[[nodiscard]] std::optional<BuildId> InstalledBuild(std::string_view manifest);

// The latest public build from SteamCMD's `app_info_print 90` output: the
// `public` branch's buildid, whatever SteamCMD printed before the block.
// None when the answer holds no usable public buildid.
[[nodiscard]] std::optional<BuildId> LatestPublicBuild(std::string_view appInfoOutput);

}  // namespace quorvane::update
