#include "base/number_text.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

// Without a floating-point from_chars in the standard library (the browser build's),
// fast_float's, which reads the same numbers to the same doubles, where strtod there works
// in software long doubles.
#if !defined(__cpp_lib_to_chars) && defined(ORVEX_FAST_FLOAT)
#include <fast_float/fast_float.h>
#endif

namespace orvex::base {

std::optional<long> wholeInteger(std::string_view token, int base) {
  if (token.empty()) return std::nullopt;
  // Most tokens are a few decimal digits, which read the same in base 0 and 10 when the
  // first is not 0 (an octal lead) and fit any long; they are read here without a copy.
  if ((base == 0 || base == 10) && token.size() <= 9 && token[0] >= '1' && token[0] <= '9') {
    long v = 0;
    bool digits = true;
    for (char c : token) {
      digits = digits && c >= '0' && c <= '9';
      v = 10 * v + (c - '0');
    }
    if (digits) return v;
  }
  const std::string text(token);  // strtol needs the NUL its token may lack
  errno = 0;
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, base);
  if (end != text.c_str() + text.size() || errno == ERANGE) return std::nullopt;
  return v;
}

std::optional<double> plainReal(std::string_view token) {
#if defined(__cpp_lib_to_chars)
  double v = 0.0;
  const char* last = token.data() + token.size();
  const std::from_chars_result read = std::from_chars(token.data(), last, v);
  // from_chars also takes "inf" and "nan", which are no plain decimal.
  if (read.ec == std::errc() && read.ptr == last && std::isfinite(v)) return v;
#elif defined(ORVEX_FAST_FLOAT)
  double v = 0.0;
  const char* last = token.data() + token.size();
  const fast_float::from_chars_result read = fast_float::from_chars(token.data(), last, v);
  if (read.ec == std::errc() && read.ptr == last && std::isfinite(v)) return v;
#else
  (void)token;  // without either, every real is left to strtod
#endif
  return std::nullopt;
}

RealForm readReal(std::string_view token, double* value) {
  if (const std::optional<double> quick = plainReal(token)) {
    *value = *quick;
    return RealForm::kFinite;
  }
  const std::string text(token);  // strtod needs the NUL its token may lack
  errno = 0;
  char* end = nullptr;
  *value = std::strtod(text.c_str(), &end);
  if (text.empty() || end != text.c_str() + text.size()) return RealForm::kNotReal;
  if (std::isfinite(*value)) return RealForm::kFinite;
  return errno == ERANGE ? RealForm::kOverflow : RealForm::kNonFinite;
}

std::optional<double> wholeReal(std::string_view token) {
  double v = 0.0;
  if (readReal(token, &v) != RealForm::kFinite) return std::nullopt;
  return v;
}

}  // namespace orvex::base
