#include "base/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/regular_file.h"

namespace orvex::base {
namespace {

// Linux gives up on a path after 40 links; so does this.
constexpr int kMaxLinks = 40;

const char* kindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a directory";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}

std::string directoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

bool resolveOutputPath(const std::string& path, std::string* target, std::string* error) {
  std::string current = path;
  for (int links = 0; links <= kMaxLinks; ++links) {
    struct stat st;
    if (lstat(current.c_str(), &st) != 0) {
      // A new name (possibly what a dangling link points to) is made by the write; any
      // other trouble is left for the write to report with its own reason.
      *target = current;
      return true;
    }
    if (S_ISREG(st.st_mode)) {
      *target = current;
      return true;
    }
    if (!S_ISLNK(st.st_mode)) {
      *error = path + (current == path ? "" : " (through its link, " + current + ")") + " is " +
               kindOf(st.st_mode) + ", not a regular file; refusing to replace it";
      return false;
    }
    std::vector<char> link(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
    const ssize_t n = readlink(current.c_str(), link.data(), link.size());
    if (n < 0 || static_cast<size_t>(n) >= link.size()) {
      *error = path + ": cannot read the symlink " + current + ": " +
               (n < 0 ? std::strerror(errno) : "it changed while read");
      return false;
    }
    const std::string next(link.data(), static_cast<size_t>(n));
    current = next[0] == '/' ? next : directoryOf(current) + "/" + next;
  }
  *error = path + ": too many levels of symlinks";
  return false;
}

bool sameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

}  // namespace orvex::base
