#include "base/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

namespace orvex::base {

namespace {

// Opens path for reading if it is a regular file of at most maxBytes; -1 with the reason.
int openRegular(const std::string& path, size_t maxBytes, FileRead* refusal, off_t* size) {
  struct stat st;
  *refusal = FileRead::kCannotOpen;
  if (::stat(path.c_str(), &st) != 0) return -1;
  *refusal = FileRead::kNotRegular;
  if (!S_ISREG(st.st_mode)) return -1;
  *refusal = FileRead::kTooLong;
  if (static_cast<unsigned long long>(st.st_size) > maxBytes) return -1;
  *refusal = FileRead::kCannotOpen;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  // Swapped for a FIFO between the stat and the open: never read.
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    *refusal = FileRead::kNotRegular;
    return -1;
  }
  *size = st.st_size;
  return fd;
}

// Reads fd to its end or past `most` bytes, and closes it.
FileRead readUpTo(int fd, size_t most, off_t size, std::string* text) {
  std::string all;
  all.reserve(std::min(static_cast<size_t>(size), most));
  char buffer[65536];
  FileRead result = FileRead::kRead;
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) result = FileRead::kCannotOpen;
    if (n <= 0) break;
    // A file that grew past the limit since its size was read.
    if (static_cast<size_t>(n) > most - all.size()) {
      result = FileRead::kTooLong;
      all.append(buffer, most - all.size());
      break;
    }
    all.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  *text = std::move(all);
  return result;
}

}  // namespace

FileRead readRegularFile(const std::string& path, std::string* text, size_t maxBytes) {
  FileRead refusal;
  off_t size = 0;
  const int fd = openRegular(path, maxBytes, &refusal, &size);
  if (fd < 0) return refusal;
  std::string all;
  const FileRead read = readUpTo(fd, maxBytes, size, &all);
  if (read == FileRead::kRead) *text = std::move(all);
  return read;
}

FileRead readFileStart(const std::string& path, size_t bytes, std::string* text) {
  FileRead refusal;
  off_t size = 0;
  const int fd = openRegular(path, std::numeric_limits<size_t>::max(), &refusal, &size);
  if (fd < 0) return refusal;
  std::string start;
  if (readUpTo(fd, bytes, size, &start) == FileRead::kCannotOpen) return FileRead::kCannotOpen;
  if (start.compare(0, 3, "\xef\xbb\xbf") == 0) start.erase(0, 3);
  *text = std::move(start);
  return FileRead::kRead;
}

FileRead readTextFile(const std::string& path, std::string* text, size_t maxBytes) {
  const FileRead read = readRegularFile(path, text, maxBytes);
  if (read == FileRead::kRead && text->compare(0, 3, "\xef\xbb\xbf") == 0) text->erase(0, 3);
  return read;
}

std::string sizeLimitText(size_t maxBytes) {
  if (maxBytes % (size_t{1} << 20) == 0) return std::to_string(maxBytes >> 20) + " MiB";
  return std::to_string(maxBytes) + " bytes";
}

bool readInputFile(const std::string& path, std::string* text, std::string* error) {
  switch (readTextFile(path, text)) {
    case FileRead::kRead:
      return true;
    case FileRead::kNotRegular:
      *error = "Cannot open " + path + ": not a regular file";
      return false;
    case FileRead::kTooLong:
      *error = path + ": larger than " + sizeLimitText(kMaxInputBytes) +
               ", the most an input file may hold; not read";
      return false;
    case FileRead::kCannotOpen:
      break;
  }
  *error = "Cannot open " + path;
  return false;
}

}  // namespace orvex::base
