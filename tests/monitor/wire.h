#pragma once
// Writes test datagrams field by field, as the layouts describe them.
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "monitor/query.h"

namespace quorvane::monitor::test {

class Wire {
 public:
  Wire& Head() { return U32(0xFFFFFFFFu); }
  Wire& U8(unsigned v) {
    m_bytes.push_back(static_cast<std::uint8_t>(v));
    return *this;
  }
  Wire& U16(unsigned v) { return U8(v & 0xFF).U8(v >> 8); }
  Wire& U32(std::uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
  Wire& U64(std::uint64_t v) { return U32(static_cast<std::uint32_t>(v)).U32(static_cast<std::uint32_t>(v >> 32)); }
  Wire& Text(const std::string& s) {
    m_bytes.insert(m_bytes.end(), s.begin(), s.end());
    return *this;
  }
  Wire& Str(const std::string& s) { return Text(s).U8(0); }
  operator Packet() const { return m_bytes; }  // NOLINT: a wire is its bytes

 private:
  Packet m_bytes;
};

// The common 'I' reply of a TFC server, without extra data.
inline Wire CurrentInfo() {
  Wire w = Wire().Head().U8('I').U8(48).Str("Friday").Str("2fort").Str("tfc").Str("Team Fortress");
  return w.U16(20).U8(5).U8(16).U8(1).U8('d').U8('l').U8(0).U8(1).Str("1.1.2.7/Stdio");
}

// The datagram less its last `drop` bytes.
inline Packet Cut(Packet p, std::size_t drop) {
  p.resize(p.size() - drop);
  return p;
}

// The name of a table row: the first member of its tuple.
inline constexpr auto RowName = [](const auto& info) { return std::string(std::get<0>(info.param)); };

}  // namespace quorvane::monitor::test
