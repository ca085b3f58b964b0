#include "tools/orvex-gen/point_file.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "model/printable.h"
#include "tools/orvex-gen/off4.h"

namespace orvex::gen {
namespace {

struct Line {
  int number;
  std::vector<std::string> words;
};

// The file's non-blank lines split at spaces, tabs and commas; between two commas an
// empty field ("1,,0,0,0") is a word of its own, not a gap to close up.
std::vector<Line> splitLines(const std::string& text) {
  std::vector<Line> lines;
  std::istringstream in(text);
  std::string raw;
  for (int number = 1; std::getline(in, raw); ++number) {
    for (char& c : raw) {
      if (c == '\r' || c == '\t') c = ' ';
    }
    Line line{number, {}};
    const bool commas = raw.find(',') != std::string::npos;
    std::istringstream fields(raw + ",");
    for (std::string field; std::getline(fields, field, ',');) {
      std::istringstream words(field);
      const size_t before = line.words.size();
      for (std::string w; words >> w;) line.words.push_back(w);
      if (commas && line.words.size() == before) line.words.push_back("");
    }
    if (!line.words.empty()) lines.push_back(std::move(line));
  }
  return lines;
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
    char* end = nullptr;
    errno = 0;
    (*p)[k] = std::strtod(word.c_str(), &end);
    if (word.empty()) {
      *problem = "field " + std::to_string(k + 1) + " is empty";
      return false;
    }
    if (*end != '\0') {
      *problem = "'" + model::printable(word) + "' is not a number";
      return false;
    }
    // A number too small for a normal double (1e-310) is still that number.
    if (errno == ERANGE && std::fabs((*p)[k]) == HUGE_VAL) {
      *problem = "'" + model::printable(word) + "' is too large for a double";
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
  std::istringstream probe(text);
  std::string first;
  probe >> first;
  if (first == "4OFF") {
    Off4 off;
    if (!parseOff4(text, path, &off, error)) return false;
    *points = off.vertices;
    return true;
  }
  const std::vector<Line> lines = splitLines(text);
  size_t start = 0;
  long stated = -1;
  if (!findRows(lines, path, &start, &stated, error)) return false;
  std::vector<model::Vec4> result;
  for (size_t i = start; i < lines.size(); ++i) {
    const std::string where = path + ": line " + std::to_string(lines[i].number) + ": ";
    if (stated >= 0 && static_cast<long>(result.size()) == stated) {
      *error = where + "more rows than the " + std::to_string(stated) + " the count line states";
      return false;
    }
    model::Vec4 p;
    std::string problem;
    if (!parseRow(lines[i], &p, &problem)) {
      *error = where + problem;
      return false;
    }
    result.push_back(p);
  }
  if (stated >= 0 && static_cast<long>(result.size()) != stated) {
    const int last = lines.empty() ? 1 : lines.back().number;
    *error = path + ": line " + std::to_string(last) + ": the file ends after " +
             std::to_string(result.size()) + " rows, but the count line states " +
             std::to_string(stated);
    return false;
  }
  *points = std::move(result);
  return true;
}

}  // namespace orvex::gen
