#include "model/printable.h"

#include <cstdio>

namespace orvex::model {

std::string printable(const std::string& text, size_t maxBytes) {
  std::string shown;
  for (size_t i = 0; i < text.size() && i < maxBytes; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c < 0x7f) {
      shown += static_cast<char>(c);
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02x", c);
      shown += escape;
    }
  }
  return text.size() > maxBytes ? shown + "..." : shown;
}

}  // namespace orvex::model
