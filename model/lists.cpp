#include "model/lists.h"

#include <cstdio>
#include <iomanip>

namespace orvex::model {
namespace {

// Counts past this are checked against the rest of the stream before storage is made;
// below it a wrong count costs at most a small allocation.
constexpr int kUncheckedCount = 4096;

void lineEnd(std::ostream& out) {
  out << '\n';
  out.flush();
}

// Reads a count for elements whose text needs at least minChars characters each
// (digits plus a separator). Returns -1, with the stream failed, for a count that is
// negative or could not fit in the rest of the stream.
int readCount(std::istream& in, int minChars) {
  int n = 0;
  readInt(in, n);
  if (!in) return -1;
  if (n < 0) {
    in.setstate(std::ios::failbit);
    return -1;
  }
  if (n > kUncheckedCount) {
    std::streampos pos = in.tellg();
    if (pos != std::streampos(-1)) {
      in.seekg(0, std::ios::end);
      std::streamoff remaining = in.tellg() - pos;
      in.seekg(pos);
      if (static_cast<long long>(n) * minChars > remaining + 1) {
        in.setstate(std::ios::failbit);
        return -1;
      }
    }
  }
  return n;
}

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
  int n = readCount(in, 2);
  data.reset();
  capacity = count = n < 0 ? 0 : n;
  data.reset(new int[count]());
  for (int i = 0; i < count; ++i) readInt(in, data[i]);
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
  int n = readCount(in, 2);
  resize(n < 0 ? 0 : n);
  for (int i = 0; i < count; ++i) data[i].read(in);
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
  int n = readCount(in, 8);
  resize(n < 0 ? 0 : n);
  for (int i = 0; i < count; ++i) {
    Vec4& v = data[i];
    in >> v.x >> v.y >> v.z >> v.w;
  }
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
  int n = readCount(in, 8);
  if (n >= 0) in >> header;
  // A header that does not parse fails the stream; the vectors then stay zero.
  resize(n < 0 ? 0 : n);
  for (int i = 0; i < count; ++i) {
    Vec4& v = data[i];
    in >> v.x >> v.y >> v.z >> v.w;
  }
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
  int n = readCount(in, 6);
  resize(n < 0 ? 0 : n);
  for (int i = 0; i < count; ++i) {
    Vec3& v = data[i];
    in >> v.x >> v.y >> v.z;
  }
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
