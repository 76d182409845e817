#include "config/number_text.h"

#include <cmath>
#include <limits>

namespace quorvane::config {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Scans a number at the start of `text` (after blanks). Returns the number of
// bytes consumed, 0 when no digit was found; `value` receives the number.
std::size_t ScanNumber(std::string_view text, double& value) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  double mantissa = 0.0;
  int digits = 0;
  int fractionDigits = 0;
  while (i < text.size() && IsDigit(text[i])) {
    mantissa = mantissa * 10.0 + (text[i] - '0');
    ++digits;
    ++i;
  }
  if (i < text.size() && text[i] == '.') {
    std::size_t j = i + 1;
    while (j < text.size() && IsDigit(text[j])) {
      mantissa = mantissa * 10.0 + (text[j] - '0');
      ++fractionDigits;
      ++j;
    }
    if (digits + fractionDigits > 0) i = j;
  }
  if (digits + fractionDigits == 0) {
    value = 0.0;
    return 0;
  }
  int exponent = 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    bool negativeExponent = false;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
      negativeExponent = text[j] == '-';
      ++j;
    }
    if (j < text.size() && IsDigit(text[j])) {
      while (j < text.size() && IsDigit(text[j])) {
        if (exponent < 10000) exponent = exponent * 10 + (text[j] - '0');
        ++j;
      }
      if (negativeExponent) exponent = -exponent;
      i = j;
    }
  }
  value = mantissa * std::pow(10.0, exponent - fractionDigits);
  if (negative) value = -value;
  return i;
}

}  // namespace

double LeadingNumber(std::string_view text) {
  double value = 0.0;
  ScanNumber(text, value);
  return value;
}

std::optional<double> WholeTextNumber(std::string_view text) {
  double value = 0.0;
  std::size_t used = ScanNumber(text, value);
  if (used == 0) return std::nullopt;
  while (used < text.size() && IsBlank(text[used])) ++used;
  if (used != text.size()) return std::nullopt;
  return value;
}

std::optional<int> RoundToInt(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  double whole = std::floor(value);
  double rest = value - whole;
  if (rest > 0.5 || (rest == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
  if (whole < static_cast<double>(std::numeric_limits<int>::min()) ||
      whole > static_cast<double>(std::numeric_limits<int>::max()))
    return std::nullopt;
  return static_cast<int>(whole);
}

}  // namespace quorvane::config
