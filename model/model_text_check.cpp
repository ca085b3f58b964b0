#include "model/model_text_check.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "model/printable.h"

namespace orvex::model {
namespace {

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Walks the whitespace-separated tokens of a model file, keeping the line number for
// messages.
class Scanner {
 public:
  explicit Scanner(const std::string& text) : text_(text) {}

  // The next token, or false at the end of the text.
  bool next(std::string* token) {
    while (pos_ < text_.size() && isSpace(text_[pos_])) {
      if (text_[pos_] == '\n') ++line_;
      ++pos_;
    }
    if (pos_ >= text_.size()) return false;
    size_t start = pos_;
    while (pos_ < text_.size() && !isSpace(text_[pos_])) ++pos_;
    token->assign(text_, start, pos_ - start);
    return true;
  }

  size_t remaining() const { return text_.size() - pos_; }
  int line() const { return line_; }

 private:
  const std::string& text_;
  size_t pos_ = 0;
  int line_ = 1;
};

std::string quoted(const std::string& token) { return "'" + printable(token) + "'"; }

// An integer as strtol with base 0 reads it, filling the whole token.
bool parseInt(const std::string& token, long* v) {
  if (token.empty()) return false;
  errno = 0;
  char* end = nullptr;
  long r = std::strtol(token.c_str(), &end, 0);
  // The whole token, not up to a NUL inside it: the stream reader stops at the NUL and
  // takes what follows as garbage.
  if (end != token.c_str() + token.size() || errno == ERANGE || r < INT_MIN || r > INT_MAX) {
    return false;
  }
  *v = r;
  return true;
}

// A finite real in plain decimal or exponent form, filling the whole token. Hex, nan
// and inf are refused because the model reader does not take them.
bool parseReal(const std::string& token, double* v) {
  if (token.empty() || token.find_first_not_of("0123456789+-.eE") != std::string::npos) {
    return false;
  }
  char* end = nullptr;
  double r = std::strtod(token.c_str(), &end);
  if (end != token.c_str() + token.size() || !std::isfinite(r)) return false;
  *v = r;
  return true;
}

class Checker {
 public:
  Checker(const std::string& text, std::string* error) : scan_(text), error_(error) {}

  // `article` goes before what where a sentence needs one: "the file ends before the
  // vertex count", but "(vertex count)".
  bool integer(const std::string& what, long* v, const char* article = "") {
    std::string token;
    if (!scan_.next(&token)) return fail(std::string("the file ends before ") + article + what);
    if (!parseInt(token, v)) {
      return fail(quoted(token) + " on line " + std::to_string(scan_.line()) +
                  " is not an integer (" + what + ")");
    }
    return true;
  }

  bool real(const std::string& what, double* v) {
    std::string token;
    if (!scan_.next(&token)) return fail("the file ends before " + what);
    if (!parseReal(token, v)) {
      return fail(quoted(token) + " on line " + std::to_string(scan_.line()) +
                  " is not a number (" + what + ")");
    }
    return true;
  }

  // A count of items that each take at least `numbers` numbers.
  bool count(const std::string& what, int numbers, long* n) {
    if (!integer(what, n, "the ")) return false;
    if (*n < 0) return fail("negative " + what + " " + std::to_string(*n));
    // Each number takes at least one character and a separator.
    if (*n > 0 && static_cast<double>(*n) * numbers * 2 > scan_.remaining() + 1.0) {
      return fail("the " + what + " " + std::to_string(*n) +
                  " is larger than the rest of the file could hold");
    }
    return true;
  }

  bool word(std::string* w) { return scan_.next(w); }
  bool atEnd() const { return scan_.remaining() == 0; }

  bool fail(const std::string& message) {
    *error_ = message;
    return false;
  }

 private:
  Scanner scan_;
  std::string* error_;
};

// Reads `n` vectors of four reals; `items` names them ("vertices", "normals").
bool vectors(Checker* check, long n, const char* items, bool refuseZero, bool refuseFirstZero) {
  for (long i = 0; i < n; ++i) {
    double c[4];
    for (int k = 0; k < 4; ++k) {
      if (!check->real("a coordinate", &c[k])) {
        if (!check->atEnd()) return false;
        return check->fail("expected " + std::to_string(n) + " " + items +
                           ", but the file ends after " + std::to_string(i));
      }
    }
    bool zero = c[0] == 0.0 && c[1] == 0.0 && c[2] == 0.0 && c[3] == 0.0;
    if (zero && (refuseZero || (refuseFirstZero && i == 0))) {
      return check->fail(refuseZero ? std::string("cell ") + std::to_string(i) +
                                          " has a zero-length normal"
                                    : std::string("vertex 0 is at the origin"));
    }
  }
  return true;
}

}  // namespace

bool checkVertexText(const std::string& text, int* vertexCount, std::string* error) {
  Checker check(text, error);
  long n = 0;
  double header = 0.0;
  if (!check.count("vertex count", 4, &n)) return false;
  if (n == 0) return check.fail("no vertices");
  if (!check.real("the header number after the vertex count", &header)) return false;
  if (!vectors(&check, n, "vertices", false, true)) return false;
  std::string word;
  if (!check.word(&word)) {
    return check.fail("the normals file name is missing after the vertices");
  }
  // A path cannot hold a NUL: opening would silently use the name cut short there.
  if (word.find('\0') != std::string::npos) {
    return check.fail("the normals file name " + quoted(word) + " holds a NUL byte");
  }
  *vertexCount = static_cast<int>(n);
  return true;
}

bool checkPolygonText(const std::string& text, int vertexCount, std::string* error) {
  Checker check(text, error);
  long p = 0;
  if (!check.count("polygon count", 4, &p)) return false;
  for (long k = 0; k < p; ++k) {
    long m = 0;
    if (!check.count("vertex count of polygon " + std::to_string(k), 1, &m)) return false;
    if (m < 3) {
      return check.fail("polygon " + std::to_string(k) + " has " + std::to_string(m) +
                        " vertices; a polygon needs at least 3");
    }
    for (long i = 0; i < m; ++i) {
      long v = 0;
      std::string number = "vertex " + std::to_string(i) + " of polygon " + std::to_string(k);
      if (!check.integer(number, &v)) return false;
      if (v < 1 || v > vertexCount) {
        return check.fail(number + " is " + std::to_string(v) + ", but vertices are numbered 1 to " +
                          std::to_string(vertexCount));
      }
    }
  }
  return true;
}

bool checkNormalsText(const std::string& text, std::string* error) {
  Checker check(text, error);
  long c = 0;
  double header = 0.0;
  if (!check.count("cell count", 4, &c)) return false;
  if (!check.real("the header number after the cell count", &header)) return false;
  return vectors(&check, c, "normals", true, false);
}

}  // namespace orvex::model
