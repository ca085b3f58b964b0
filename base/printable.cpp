#include "base/printable.h"

#include <cstdio>

namespace orvex::base {
namespace {

// The length of the well-formed UTF-8 sequence at text[i] for a character that prints
// (U+00A0 and up, no surrogate: the C1 controls U+0080..U+009F include a terminal's
// escape), or 0.
size_t printableSequence(const std::string& text, size_t i) {
  const unsigned char lead = static_cast<unsigned char>(text[i]);
  const size_t length = lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc2 ? 2 : 0;
  if (length == 0 || lead > 0xf4 || i + length > text.size()) return 0;
  unsigned long code = lead & (0x7f >> length);
  for (size_t k = 1; k < length; ++k) {
    const unsigned char next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xc0) != 0x80) return 0;
    code = code << 6 | (next & 0x3f);
  }
  const unsigned long least[] = {0, 0, 0xa0, 0x800, 0x10000};
  if (code < least[length] || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) return 0;
  // Line separators and the marks that reorder a line would break it as a line end does.
  if ((code >= 0x2028 && code <= 0x202e) || (code >= 0x2066 && code <= 0x2069)) return 0;
  return length;
}

}  // namespace

std::string printable(const std::string& text, size_t maxBytes) {
  std::string shown;
  size_t i = 0;
  while (i < text.size() && i < maxBytes) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const size_t sequence = c >= 0x80 ? printableSequence(text, i) : 0;
    if (c >= 0x20 && c < 0x7f) {
      shown += static_cast<char>(c);
      ++i;
    } else if (sequence > 0) {
      shown.append(text, i, sequence);
      i += sequence;
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02x", c);
      shown += escape;
      ++i;
    }
  }
  return i < text.size() ? shown + "..." : shown;
}

}  // namespace orvex::base
