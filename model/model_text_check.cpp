#include "model/model_text_check.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "base/number_text.h"
#include "base/printable.h"


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

std::string quoted(const std::string& token) { return "'" + base::printable(token) + "'"; }

// An integer as strtol with base 0 reads it, filling the whole token: the stream reader
// stops at a NUL inside one and takes what follows as garbage.
bool parseInt(const std::string& token, long* v) {
  const std::optional<long> r = base::wholeInteger(token, 0);
  if (!r || *r < INT_MIN || *r > INT_MAX) return false;
  *v = *r;
  return true;
}

// A finite real in plain decimal or exponent form, filling the whole token. Hex, nan
// and inf are refused because the model reader does not take them. *plain is cleared
// when the token is not a plain decimal (a leading '+', a value out of range).
bool parseReal(const std::string& token, double* v, bool* plain) {
  // A loop, not find_first_not_of, which searches the set for every character.
  auto numeric = [](char c) {
    return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E';
  };
  if (token.empty() || !std::all_of(token.begin(), token.end(), numeric)) return false;
  if (const std::optional<double> quick = base::plainReal(token)) {
    *v = *quick;
    return true;
  }
  const std::optional<double> r = base::wholeReal(token);
  if (!r) return false;
  *v = *r;
#if !defined(__EMSCRIPTEN__)
  *plain = false;
#endif
  // The browser's stream reader (libc++), unlike the native one, fails at a value out of
  // range (1e-400, a subnormal) and then reads no more, so there the values read here are
  // always the ones kept.
  return true;
}

// The text of a name given as text or as a function that makes it.
std::string text(const char* what) { return what; }
template <typename Make>
std::string text(const Make& make) {
  return make();
}

class Checker {
 public:
  Checker(const std::string& text, std::string* error) : scan_(text), error_(error) {}

  // `article` goes before what where a sentence needs one: "the file ends before the
  // vertex count", but "(vertex count)". what may be a function giving the text, made
  // only for a message.
  template <typename What>
  bool integer(const What& what, long* v, const char* article = "") {
    if (!scan_.next(&token_))
      return fail(std::string("the file ends before ") + article + text(what));
    if (!parseInt(token_, v)) {
      return fail(quoted(token_) + " on line " + std::to_string(scan_.line()) +
                  " is not an integer (" + text(what) + ")");
    }
    return true;
  }

  bool real(const std::string& what, double* v) {
    if (!scan_.next(&token_)) return fail("the file ends before " + what);
    if (!parseReal(token_, v, &plain_)) {
      return fail(quoted(token_) + " on line " + std::to_string(scan_.line()) +
                  " is not a number (" + what + ")");
    }
    return true;
  }

  // A count of items that each take at least `numbers` numbers.
  template <typename What>
  bool count(const What& what, int numbers, long* n) {
    if (!integer(what, n, "the ")) return false;
    if (*n < 0) return fail("negative " + text(what) + " " + std::to_string(*n));
    // Each number takes at least one character and a separator.
    if (*n > 0 && static_cast<double>(*n) * numbers * 2 > scan_.remaining() + 1.0) {
      return fail("the " + text(what) + " " + std::to_string(*n) +
                  " is larger than the rest of the file could hold");
    }
    return true;
  }

  bool word(std::string* w) { return scan_.next(w); }
  bool atEnd() const { return scan_.remaining() == 0; }
  // Whether every real so far was read by from_chars.
  bool plain() const { return plain_; }

  bool fail(const std::string& message) {
    *error_ = message;
    return false;
  }

 private:
  Scanner scan_;
  std::string* error_;
  std::string token_;  // kept, so its storage is reused for every token
  bool plain_ = true;
};

// Makes table hold n vectors and the header, as Vec4Table::read leaves it.
void startTable(Vec4Table* table, long n, double header) {
  if (!table) return;
  table->resize(static_cast<int>(n));
  table->header = header;
}

// Reads `n` vectors of four reals; `items` names them ("vertices", "normals"). When
// into is given, vector i goes to (*into)[i].
bool vectors(Checker* check, long n, const char* items, bool refuseZero, bool refuseFirstZero,
             Vec4Table* into) {
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
    if (into) (*into)[static_cast<int>(i)] = Vec4(c[0], c[1], c[2], c[3]);
  }
  return true;
}

}  // namespace

bool checkVertexText(const std::string& text, int* vertexCount, std::string* error,
                     CheckedVertices* read) {
  Checker check(text, error);
  long n = 0;
  double header = 0.0;
  if (!check.count("vertex count", 4, &n)) return false;
  if (n == 0) return check.fail("no vertices");
  if (!check.real("the header number after the vertex count", &header)) return false;
  startTable(read ? read->vertices : nullptr, n, header);
  if (!vectors(&check, n, "vertices", false, true, read ? read->vertices : nullptr)) return false;
  std::string word;
  if (!check.word(&word)) {
    return check.fail("the normals file name is missing after the vertices");
  }
  // A path cannot hold a NUL: opening would silently use the name cut short there.
  if (word.find('\0') != std::string::npos) {
    return check.fail("the normals file name " + quoted(word) + " holds a NUL byte");
  }
  *vertexCount = static_cast<int>(n);
  if (read) {
    read->plain = check.plain();
    read->word = std::move(word);
  }
  return true;
}

bool checkPolygonText(const std::string& text, int vertexCount, std::string* error,
                      IndexListArray* polygons) {
  Checker check(text, error);
  long p = 0;
  if (!check.count("polygon count", 4, &p)) return false;
  if (polygons) polygons->resize(static_cast<int>(p));
  for (long k = 0; k < p; ++k) {
    long m = 0;
    auto countName = [k] { return "vertex count of polygon " + std::to_string(k); };
    if (!check.count(countName, 1, &m)) return false;
    if (m < 3) {
      return check.fail("polygon " + std::to_string(k) + " has " + std::to_string(m) +
                        " vertices; a polygon needs at least 3");
    }
    if (polygons) (*polygons)[static_cast<int>(k)] = IndexList(static_cast<int>(m));
    for (long i = 0; i < m; ++i) {
      long v = 0;
      auto number = [i, k] {
        return "vertex " + std::to_string(i) + " of polygon " + std::to_string(k);
      };
      if (!check.integer(number, &v)) return false;
      if (v < 1 || v > vertexCount) {
        return check.fail(number() + " is " + std::to_string(v) +
                          ", but vertices are numbered 1 to " + std::to_string(vertexCount));
      }
      if (polygons) (*polygons)[static_cast<int>(k)][static_cast<int>(i)] = static_cast<int>(v - 1);
    }
  }
  return true;
}

bool checkNormalsText(const std::string& text, std::string* error, Vec4Table* normals,
                      bool* plain) {
  Checker check(text, error);
  long c = 0;
  double header = 0.0;
  if (!check.count("cell count", 4, &c)) return false;
  if (!check.real("the header number after the cell count", &header)) return false;
  startTable(normals, c, header);
  if (!vectors(&check, c, "normals", true, false, normals)) return false;
  if (plain) *plain = check.plain();
  return true;
}

}  // namespace orvex::model
