#pragma once
// Numbers as the form reads them out of a text box or a configuration value.
#include <optional>
#include <string_view>

namespace quorvane::config {

// The number a text begins with: blanks skipped, an optional sign, digits with
// an optional fraction and exponent. 0 when the text does not begin with one.
double LeadingNumber(std::string_view text);

// The value of a text that is a number and nothing else (blanks around it are
// allowed, as a user types them); nullopt for letters, trailing junk or "".
std::optional<double> WholeTextNumber(std::string_view text);

// Round to a whole number, ties to even (0.5 clears a box, 1.5 greys it).
// Values too large for an int give nullopt.
std::optional<int> RoundToInt(double value);

}  // namespace quorvane::config
