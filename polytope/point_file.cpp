#include "polytope/point_file.h"

#include <algorithm>

#include "base/number_text.h"
#include "base/printable.h"
#include "base/regular_file.h"
#include "base/word_lines.h"
#include "polytope/off4.h"

namespace orvex::polytope {
namespace {

using Line = base::WordLine;

// Fields split at blanks, and at commas where a line has them: "1,,0,0,0" is a row with an
// empty field, not three numbers.
bool nextLine(const std::string& text, size_t* pos, int* number, Line* line) {
  return base::nextWordLine(text, pos, number, base::WordBreaks::kBlanksAndCommas, line);
}

bool wholeNumber(const std::string& word, long* value) {
  const std::optional<long> v = base::wholeInteger(word);
  if (!v || *v < 0) return false;
  *value = *v;
  return true;
}

bool isNumber(const std::string& word) {
  double v = 0.0;
  return base::readReal(word, &v) != base::RealForm::kNotReal;
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
    switch (base::readReal(word, &(*p)[k])) {
      case base::RealForm::kNotReal:
        *problem = word.empty() ? "field " + std::to_string(k + 1) + " is empty"
                                : "'" + base::printable(word) + "' is not a number";
        return false;
      case base::RealForm::kOverflow:
        *problem = "'" + base::printable(word) + "' is too large for a double";
        return false;
      default:  // NaN and the infinities as written: the hull names the point
        break;
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
  if (!base::readInputFile(path, &text, error)) return false;
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
