#include "supervise/lock_key.h"

#include <cstdint>

namespace quorvane::supervise {

namespace {

constexpr std::size_t kMaxTail = 32;

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool KeptInName(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
}

// 64-bit FNV-1a: stable across builds and systems, unlike std::hash.
std::uint64_t Fnv1a(std::string_view text) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (char c : text) {
    hash ^= static_cast<unsigned char>(AsciiLower(IsSeparator(c) ? '/' : c));
    hash *= 0x100000001b3ull;
  }
  return hash;
}

}  // namespace

std::string LockFileName(std::string_view serverFolder) {
  while (serverFolder.size() > 1 && IsSeparator(serverFolder.back())) serverFolder.remove_suffix(1);
  std::size_t start = serverFolder.size();
  while (start > 0 && !IsSeparator(serverFolder[start - 1])) --start;
  std::string tail;
  for (char c : serverFolder.substr(start, kMaxTail)) tail += KeptInName(c) ? AsciiLower(c) : '_';

  std::string hash(16, '0');
  std::uint64_t value = Fnv1a(serverFolder);
  for (auto digit = hash.rbegin(); digit != hash.rend(); ++digit, value >>= 4) *digit = "0123456789abcdef"[value & 15];
  return "quorvane-" + hash + (tail.empty() ? "" : "-" + tail) + ".lock";
}

}  // namespace quorvane::supervise
