#include "base/word_lines.h"

#include <algorithm>

namespace orvex::base {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\r' || c == '\t' || c == '\v' || c == '\f'; }

// Appends the blank-separated words of text[from, to) to line, from its word *used on.
void addWords(std::string_view text, size_t from, size_t to, size_t* used, WordLine* line) {
  for (size_t at = from; at < to;) {
    if (isBlank(text[at])) {
      ++at;
      continue;
    }
    size_t last = at;
    while (last < to && !isBlank(text[last])) ++last;
    if (*used == line->words.size()) line->words.emplace_back();
    line->words[(*used)++].assign(text.data() + at, last - at);
    at = last;
  }
}

}  // namespace

bool nextWordLine(std::string_view text, size_t* pos, int* number, WordBreaks breaks,
                  WordLine* line) {
  while (*pos < text.size()) {
    size_t end = text.find('\n', *pos);
    if (end == std::string_view::npos) end = text.size();
    line->number = ++*number;
    const bool commas = breaks == WordBreaks::kBlanksAndCommas &&
                        std::find(text.begin() + *pos, text.begin() + end, ',') != text.begin() + end;
    size_t used = 0;
    for (size_t field = *pos;;) {
      size_t fieldEnd = commas ? std::min(text.find(',', field), end) : end;
      const size_t before = used;
      addWords(text, field, fieldEnd, &used, line);
      // "1,,0": the empty field between two commas is a word of its own, not a gap to close.
      if (commas && used == before) {
        if (used == line->words.size()) line->words.emplace_back();
        line->words[used++].clear();
      }
      if (fieldEnd >= end) break;
      field = fieldEnd + 1;
    }
    line->words.resize(used);
    *pos = end + 1;
    if (used > 0) return true;
  }
  return false;
}

}  // namespace orvex::base
