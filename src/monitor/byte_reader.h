#pragma once
// Reads little-endian fields and NUL-ended strings from one datagram without
// ever stepping past its end: a read that does not fit fails and sticks.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

namespace quorvane::monitor {

using Bytes = std::span<const std::uint8_t>;

class ByteReader {
 public:
  explicit ByteReader(Bytes data) : m_data(data) {}

  bool Ok() const { return m_ok; }
  std::size_t Left() const { return m_ok ? m_data.size() - m_pos : 0; }
  bool AtEnd() const { return m_pos == m_data.size(); }

  std::uint8_t U8() { return static_cast<std::uint8_t>(Unsigned(1)); }
  std::uint16_t U16() { return static_cast<std::uint16_t>(Unsigned(2)); }
  std::uint32_t U32() { return static_cast<std::uint32_t>(Unsigned(4)); }
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  std::uint64_t U64() { return Unsigned(8); }
  float F32() {
    const std::uint32_t bits = U32();
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
  }
  // Up to the next NUL, which is consumed; no NUL before the end is a failure.
  std::string Str() {
    if (!m_ok) return {};
    for (std::size_t i = m_pos; i < m_data.size(); ++i) {
      if (m_data[i] == 0) {
        std::string s(reinterpret_cast<const char*>(m_data.data() + m_pos), i - m_pos);
        m_pos = i + 1;
        return s;
      }
    }
    m_ok = false;
    return {};
  }

 private:
  std::uint64_t Unsigned(std::size_t n) {
    if (!m_ok || m_data.size() - m_pos < n) {
      m_ok = false;
      return 0;
    }
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < n; ++i) v |= static_cast<std::uint64_t>(m_data[m_pos + i]) << (8 * i);
    m_pos += n;
    return v;
  }

  Bytes m_data;
  std::size_t m_pos = 0;
  bool m_ok = true;
};

}  // namespace quorvane::monitor
