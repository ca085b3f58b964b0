// Numbers read from whole tokens: a word of a file, a field of an option. Every reader
// of orvex's own formats and options goes through these, so "1e999", "0x10", "+1" and
// "5abc" mean the same wherever they are written.
#pragma once

#include <optional>
#include <string_view>

namespace orvex::base {

/// The whole token read as strtol reads it in the given base (10; 0 takes C's 0x and 0
/// prefixes). Nothing for an empty token, one with anything after the number (a NUL
/// included) or a value beyond long's range.
std::optional<long> wholeInteger(std::string_view token, int base = 10);

/// The whole token as a plain decimal: optional sign, digits, point, exponent, no leading
/// '+' or blank, nothing out of a double's range. Read by from_chars where the library has
/// it, to the double strtod gives; nothing for anything else, which wholeReal still reads.
std::optional<double> plainReal(std::string_view token);

/// What a whole token is as strtod reads it.
enum class RealForm {
  kFinite,     // a finite number, underflow included
  kNonFinite,  // NaN or an infinity written as such ("nan", "-inf")
  kOverflow,   // a number too large for a double ("1e999")
  kNotReal,    // empty, or anything after the number
};

/// Reads the whole token as strtod does into *value (its value whatever the form) and
/// says what it is. Plain decimals are read by plainReal, to the same double.
RealForm readReal(std::string_view token, double* value);

/// The whole token read as strtod reads it, finite: nothing for an empty token, one with
/// anything after the number, or one that overflows or is NaN or an infinity. A value
/// too small for a normal double (1e-310) is the nearest there is, not a failure.
std::optional<double> wholeReal(std::string_view token);

}  // namespace orvex::base
