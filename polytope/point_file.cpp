#include "polytope/point_file.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "base/printable.h"
#include "polytope/off4.h"

namespace orvex::polytope {
namespace {

struct Line {
  int number;
  std::vector<std::string> words;
};

// The next non-blank line of text from *pos, split at spaces, tabs and commas, where an
// empty field between two commas ("1,,0,0,0") is a word of its own, not a gap to close up;
// false at the end. *number counts the lines read. One line at a time, so a large file
// costs no more than its text.
bool nextLine(const std::string& text, size_t* pos, int* number, Line* line) {
  auto blank = [](char c) {
    return c == ' ' || c == '\r' || c == '\t' || c == '\v' || c == '\f';
  };
  while (*pos < text.size()) {
    size_t end = text.find('\n', *pos);
    if (end == std::string::npos) end = text.size();
    line->number = ++*number;
    const bool commas = std::find(text.begin() + *pos, text.begin() + end, ',') != text.begin() + end;
    size_t used = 0;
    for (size_t field = *pos;;) {
      size_t fieldEnd = commas ? text.find(',', field) : end;
      if (fieldEnd == std::string::npos || fieldEnd > end) fieldEnd = end;
      const size_t before = used;
      for (size_t at = field; at < fieldEnd;) {
        if (blank(text[at])) {
          ++at;
          continue;
        }
        size_t last = at;
        while (last < fieldEnd && !blank(text[last])) ++last;
        if (used == line->words.size()) line->words.emplace_back();
        line->words[used++].assign(text, at, last - at);
        at = last;
      }
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

bool wholeNumber(const std::string& word, long* value) {
  char* end = nullptr;
  errno = 0;
  *value = std::strtol(word.c_str(), &end, 10);
  return !word.empty() && *end == '\0' && errno != ERANGE && *value >= 0;
}

bool isNumber(const std::string& word) {
  char* end = nullptr;
  std::strtod(word.c_str(), &end);
  return !word.empty() && *end == '\0';
}

// A row of four numbers, or false with the problem.
bool parseRow(const Line& line, model::Vec4* p, std::string* problem) {
  if (line.words.size() != 4) {
    *problem = "expected a row of four numbers, found " + std::to_string(line.words.size()) +
               (line.words.size() == 1 ? " word" : " words");
    return false;
  }
  for (int k = 0; k < 4; ++k) {
    const std::string& word = line.words[k];
    // from_chars reads a decimal to the double strtod gives, several times faster; all
    // else (a leading '+', hex, a value out of range) is left to strtod.
    const char* last = word.data() + word.size();
    const std::from_chars_result quick = std::from_chars(word.data(), last, (*p)[k]);
    if (quick.ec == std::errc() && quick.ptr == last) continue;
    char* end = nullptr;
    errno = 0;
    (*p)[k] = std::strtod(word.c_str(), &end);
    if (word.empty()) {
      *problem = "field " + std::to_string(k + 1) + " is empty";
      return false;
    }
    if (*end != '\0') {
      *problem = "'" + base::printable(word) + "' is not a number";
      return false;
    }
    // A number too small for a normal double (1e-310) is still that number.
    if (errno == ERANGE && std::fabs((*p)[k]) == HUGE_VAL) {
      *problem = "'" + base::printable(word) + "' is too large for a double";
      return false;
    }
  }
  return true;
}

// Where the rows start and how many the file says there are (-1: no count).
bool findRows(const std::vector<Line>& lines, const std::string& path, size_t* first, long* stated,
              std::string* error) {
  *first = 0;
  *stated = -1;
  if (lines.empty()) return true;
  long value = 0;
  const Line& head = lines[0];
  if (wholeNumber(head.words[0], &value) && (head.words.size() == 1 || lines.size() > 1)) {
    long count = 0;
    // qhull's form: the dimension (perhaps with a comment after it), then the count alone.
    if (lines.size() > 1 && lines[1].words.size() == 1 && wholeNumber(lines[1].words[0], &count)) {
      if (value != 4) {
        *error = path + ": line " + std::to_string(head.number) + ": the points have " +
                 std::to_string(value) + " coordinates; a hull needs 4";
        return false;
      }
      *first = 2;
      *stated = count;
      return true;
    }
    if (head.words.size() == 1) {
      *first = 1;
      *stated = value;
      return true;
    }
  }
  // A first line with a word that is not a number is a header; one of numbers with an
  // empty field among them is a row, refused as such.
  bool numbers = true;
  for (const std::string& w : head.words) numbers = numbers && (w.empty() || isNumber(w));
  if (!numbers) *first = 1;
  return true;
}

}  // namespace

bool readPointsFile(const std::string& path, std::vector<model::Vec4>* points, std::string* error) {
  std::string text;
  if (!readInputFile(path, &text, error)) return false;
  // The first word, without a stream's copy of the whole text.
  const char* const kSpace = " \t\n\v\f\r";
  const size_t begin = text.find_first_not_of(kSpace);
  const std::string first =
      begin == std::string::npos ? "" : text.substr(begin, text.find_first_of(kSpace, begin) - begin);
  if (first == "4OFF") {
    Off4 off;
    if (!parseOff4(text, path, &off, error)) return false;
    *points = off.vertices;
    return true;
  }
  // The first two lines decide the form; the rows are then read one line at a time.
  size_t pos = 0;
  int number = 0;
  std::vector<Line> lines;
  Line line;
  while (lines.size() < 2 && nextLine(text, &pos, &number, &line)) lines.push_back(line);
  size_t start = 0;
  long stated = -1;
  if (!findRows(lines, path, &start, &stated, error)) return false;
  std::vector<model::Vec4> result;
  if (stated > 0) result.reserve(std::min<size_t>(stated, text.size() / 8 + 1));
  int lastNumber = lines.empty() ? 1 : lines.back().number;
  for (size_t i = start;; ++i) {
    const Line* row = nullptr;
    if (i < lines.size()) {
      row = &lines[i];
    } else if (nextLine(text, &pos, &number, &line)) {
      row = &line;
    } else {
      break;
    }
    lastNumber = row->number;
    if (stated >= 0 && static_cast<long>(result.size()) == stated) {
      *error = path + ": line " + std::to_string(row->number) + ": more rows than the " +
               std::to_string(stated) + " the count line states";
      return false;
    }
    model::Vec4 p;
    std::string problem;
    if (!parseRow(*row, &p, &problem)) {
      *error = path + ": line " + std::to_string(row->number) + ": " + problem;
      return false;
    }
    result.push_back(p);
  }
  if (stated >= 0 && static_cast<long>(result.size()) != stated) {
    const int last = lastNumber;
    *error = path + ": line " + std::to_string(last) + ": the file ends after " +
             std::to_string(result.size()) + " rows, but the count line states " +
             std::to_string(stated);
    return false;
  }
  *points = std::move(result);
  return true;
}

}  // namespace orvex::polytope
