#include "polytope/json.h"

#include <cmath>
#include <cstdio>

namespace orvex::polytope {

std::string jsonQuoted(const std::string& text) {
  std::string q = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      q += '\\';
      q += static_cast<char>(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      q += escaped;
    } else {
      q += static_cast<char>(c);
    }
  }
  return q + "\"";
}

std::string jsonNumber(double v) {
  if (!std::isfinite(v)) return "null";
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", v);
  return text;
}

}  // namespace orvex::polytope
