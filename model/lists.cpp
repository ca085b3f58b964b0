#include "model/lists.h"

#include <algorithm>
#include <cstdio>
#include <iomanip>

namespace orvex::model {
namespace {

// Counts up to this get their storage at once, whatever the stream holds; a wrong count
// then costs at most a small allocation.
constexpr int kUncheckedCount = 4096;

void lineEnd(std::ostream& out) {
  out << '\n';
  out.flush();
}

// Reads a count; -1, with the stream failed, for one that is negative or unreadable.
int readCount(std::istream& in) {
  int n = 0;
  readInt(in, n);
  if (!in) return -1;
  if (n < 0) {
    in.setstate(std::ios::failbit);
    return -1;
  }
  return n;
}

// Whether the rest of a seekable stream could hold n elements of at least minChars
// characters each. False when the stream cannot tell.
bool restCouldHold(std::istream& in, int n, int minChars) {
  const std::streampos pos = in.tellg();
  if (pos == std::streampos(-1)) return false;
  in.seekg(0, std::ios::end);
  const std::streamoff remaining = in.tellg() - pos;
  in.seekg(pos);
  return static_cast<long long>(n) * minChars <= remaining + 1;
}

// Replaces *data with n elements read by readOne and returns how many it holds. Storage
// is made once at the exact size when n is small or the stream can hold it; otherwise it
// grows as elements are actually read, so a count that overstates the text costs memory
// only for what is there. A list whose storage grows and whose text ends early keeps the
// elements begun; one made whole keeps all n, the unread ones as made.
template <typename T, typename ReadOne>
int readElements(std::istream& in, int n, int minChars, std::unique_ptr<T[]>* data,
                 ReadOne readOne) {
  if (n < 0) n = 0;
  int size = n > kUncheckedCount && !restCouldHold(in, n, minChars) ? kUncheckedCount : n;
  const bool growing = size < n;
  data->reset();
  data->reset(new T[size]());
  int used = n;
  for (int i = 0; i < n; ++i) {
    if (growing && in.rdstate() != std::ios::goodbit) {
      used = i;
      in.setstate(std::ios::failbit);  // the count was not met, even if at a clean end
      break;
    }
    if (i == size) {
      const int grown = size > n / 2 ? n : size * 2;
      std::unique_ptr<T[]> bigger(new T[grown]());
      std::move(data->get(), data->get() + size, bigger.get());
      *data = std::move(bigger);
      size = grown;
    }
    readOne(in, (*data)[i]);
  }
  if (used < size) {
    std::unique_ptr<T[]> exact(new T[used]());
    std::move(data->get(), data->get() + used, exact.get());
    *data = std::move(exact);
  }
  return used;
}

void readVec4(std::istream& in, Vec4& v) { in >> v.x >> v.y >> v.z >> v.w; }

}  // namespace

void readInt(std::istream& in, int& v) {
  std::ios::fmtflags saved = in.flags();
  in >> std::setbase(0) >> v;
  in.flags(saved);
}

void writeReal(std::ostream& out, double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  out << text;
}

IntList::IntList(int n) : capacity(n), count(n), data(new int[n]()) {}

IntList::IntList(const IntList& other) { *this = other; }

IntList& IntList::operator=(const IntList& other) {
  if (this == &other) return *this;
  data.reset(new int[other.count]);
  capacity = count = other.count;
  for (int i = 0; i < count; ++i) data[i] = other.data[i];
  return *this;
}

int IntList::read(std::istream& in) {
  const int n = readCount(in);
  capacity = count = readElements(in, n, 2, &data, [](std::istream& s, int& v) { readInt(s, v); });
  return 1;
}

int IntList::write(std::ostream& out) const {
  out << count << " ";
  for (int i = 0; i < count; ++i) out << data[i] << " ";
  return 1;
}

int IndexList::read(std::istream& in) {
  IntList::read(in);
  for (int i = 0; i < count; ++i) --data[i];
  return 1;
}

int IndexList::write(std::ostream& out) const {
  out << count << " ";
  for (int i = 0; i < count; ++i) out << data[i] + 1 << " ";
  return 1;
}

void IndexListArrayBase::resize(int n) {
  data.reset();
  data.reset(new IndexList[n]);
  capacity = count = n;
}

int IndexListArrayBase::read(std::istream& in) {
  const int n = readCount(in);
  capacity = count =
      readElements(in, n, 2, &data, [](std::istream& s, IndexList& list) { list.read(s); });
  return 1;
}

int IndexListArrayBase::write(std::ostream& out) const {
  out << count << " ";
  for (int i = 0; i < count; ++i) {
    data[i].write(out);
    out << " ";
  }
  return 1;
}

int IndexListArray::write(std::ostream& out) const {
  out << count;
  lineEnd(out);
  for (int i = 0; i < count; ++i) {
    data[i].write(out);
    lineEnd(out);
  }
  return 1;
}

int IndexListArray::progress(int) { return 0; }

void Vec4List::resize(int n) {
  data.reset();
  data.reset(new Vec4[n]);
  capacity = count = n;
}

int Vec4List::read(std::istream& in) {
  const int n = readCount(in);
  capacity = count = readElements(in, n, 8, &data, readVec4);
  return 1;
}

int Vec4List::write(std::ostream& out) const {
  out << count << " ";
  for (int i = 0; i < count; ++i) {
    for (int k = 0; k < 4; ++k) {
      writeReal(out, data[i][k]);
      out << " ";
    }
  }
  return 1;
}

int Vec4Table::read(std::istream& in) {
  const int n = readCount(in);
  if (n >= 0) in >> header;
  // A header that does not parse fails the stream; the vectors then stay zero.
  capacity = count = readElements(in, n, 8, &data, readVec4);
  return 1;
}

int Vec4Table::write(std::ostream& out) const {
  out << count << " ";
  writeReal(out, header);
  lineEnd(out);
  for (int i = 0; i < count; ++i) {
    for (int k = 0; k < 4; ++k) {
      if (k) out << " ";
      writeReal(out, data[i][k]);
    }
    lineEnd(out);
  }
  return 1;
}

void Vec3List::resize(int n) {
  data.reset();
  data.reset(new Vec3[n]);
  capacity = count = n;
}

int Vec3List::read(std::istream& in) {
  const int n = readCount(in);
  capacity = count =
      readElements(in, n, 6, &data, [](std::istream& s, Vec3& v) { s >> v.x >> v.y >> v.z; });
  return 1;
}

int Vec3List::write(std::ostream& out) const {
  out << count << " ";
  for (int i = 0; i < count; ++i) {
    writeReal(out, data[i].x);
    out << " ";
    writeReal(out, data[i].y);
    out << " ";
    writeReal(out, data[i].z);
    out << " ";
  }
  return 1;
}

}  // namespace orvex::model
