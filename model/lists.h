// The list family: every model structure is one of these, and each reads and writes
// a whitespace-separated text form (a count, then the elements).
//
// Reading never reports failure by its result (it returns 1); a short or malformed
// text leaves the stream in its failed state and the list holding whatever was read.
// A negative count leaves the list empty and the stream failed. Storage never exceeds
// what the text can fill by much: a count over 4096 that the stream cannot be seen to
// hold grows the storage as elements are read, and if the text ends first the list
// keeps the elements begun. Any other count keeps all its elements, unread ones zero.
#pragma once

#include <istream>
#include <memory>
#include <ostream>

#include "model/vec.h"

namespace orvex::model {

/// Integers; text form "n e0 e1 ...", integers read as strtol with base 0 reads them.
class IntList {
 public:
  IntList() = default;
  /// Storage for n ints, all 0; capacity and count n.
  explicit IntList(int n);
  IntList(const IntList& other);
  IntList& operator=(const IntList& other);
  IntList(IntList&&) noexcept = default;
  IntList& operator=(IntList&&) noexcept = default;
  virtual ~IntList() = default;

  virtual int read(std::istream& in);
  virtual int write(std::ostream& out) const;

  int& operator[](int i) { return data[i]; }
  int operator[](int i) const { return data[i]; }

  int capacity = 0;
  int count = 0;
  std::unique_ptr<int[]> data;
};

/// 0-based vertex or polygon numbers, written and read 1-based.
class IndexList : public IntList {
 public:
  using IntList::IntList;
  int read(std::istream& in) override;
  int write(std::ostream& out) const override;
};

/// A list of IndexLists, all on one line in its text form.
class IndexListArrayBase {
 public:
  IndexListArrayBase() = default;
  IndexListArrayBase(const IndexListArrayBase&) = delete;
  IndexListArrayBase& operator=(const IndexListArrayBase&) = delete;
  virtual ~IndexListArrayBase() = default;

  virtual int read(std::istream& in);
  virtual int write(std::ostream& out) const;

  /// Replaces the content with n empty entries.
  void resize(int n);

  IndexList& operator[](int i) { return data[i]; }
  const IndexList& operator[](int i) const { return data[i]; }

  int capacity = 0;
  int count = 0;
  std::unique_ptr<IndexList[]> data;
};

/// The list of lists used for polygons and cell incidence: one entry per line.
class IndexListArray : public IndexListArrayBase {
 public:
  int write(std::ostream& out) const override;
  /// Asked by the incidence derivations with the whole percentage done (0..99);
  /// nonzero stops them. This one never stops.
  virtual int progress(int percent);
};

/// Four-vectors, all on one line in the text form.
class Vec4List {
 public:
  Vec4List() = default;
  Vec4List(const Vec4List&) = delete;
  Vec4List& operator=(const Vec4List&) = delete;
  virtual ~Vec4List() = default;

  virtual int read(std::istream& in);
  virtual int write(std::ostream& out) const;

  /// Replaces the content with n zero vectors.
  void resize(int n);

  Vec4& operator[](int i) { return data[i]; }
  const Vec4& operator[](int i) const { return data[i]; }

  int capacity = 0;
  int count = 0;
  std::unique_ptr<Vec4[]> data;
};

/// Four-vectors with a header real after the count, one vector per line.
class Vec4Table : public Vec4List {
 public:
  int read(std::istream& in) override;
  int write(std::ostream& out) const override;

  double header = 0.0;
};

/// Three-vectors, all on one line in the text form.
class Vec3List {
 public:
  Vec3List() = default;
  Vec3List(const Vec3List&) = delete;
  Vec3List& operator=(const Vec3List&) = delete;
  virtual ~Vec3List() = default;

  virtual int read(std::istream& in);
  virtual int write(std::ostream& out) const;

  /// Replaces the content with n zero vectors.
  void resize(int n);

  Vec3& operator[](int i) { return data[i]; }
  const Vec3& operator[](int i) const { return data[i]; }

  int capacity = 0;
  int count = 0;
  std::unique_ptr<Vec3[]> data;
};

/// Reads one integer as strtol with base 0 would (0x.. hex, 0.. octal). On failure the
/// stream fails and v is unspecified.
void readInt(std::istream& in, int& v);
/// Writes a real as printf's %g with precision 6.
void writeReal(std::ostream& out, double v);

}  // namespace orvex::model
