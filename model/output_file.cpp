#include "model/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "model/regular_file.h"

namespace orvex::model {
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

// Writes all of text to fd and closes it; errno is kept from the first failure. A
// delayed write error (a network file system, a quota) shows only at the close.
bool writeAndClose(int fd, const std::string& text) {
  const char* p = text.data();
  size_t left = text.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      const int saved = errno;
      ::close(fd);
      errno = saved;
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return ::close(fd) == 0;
}

// A name beside target, short enough to fit wherever target's name fits. make(name)
// claims it (failing with EEXIST when it is taken, by another thread too); false with
// errno when no name could be claimed.
template <typename Make>
bool claimBeside(const std::string& target, std::string* path, Make make) {
  const std::string dir = directoryOf(target) + "/";
  for (int attempt = 0; attempt < 1000; ++attempt) {
    *path = dir + ".orvex-" + std::to_string(getpid()) + "-" + std::to_string(attempt);
    if (make(*path)) return true;
    if (errno != EEXIST) break;
  }
  path->clear();
  return false;
}

// Keeps the file at path under the free name copy: a hard link, or where the file
// system has none, a copy of its bytes. False with errno (EEXIST when copy is taken).
bool keepCopy(const std::string& path, const std::string& copy) {
  if (::link(path.c_str(), copy.c_str()) == 0) return true;
  if (errno == EEXIST) return false;
  std::string old;
  if (readRegularFile(path, &old) != FileRead::kRead) {
    errno = EIO;
    return false;
  }
  const int fd = ::open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  if (writeAndClose(fd, old)) return true;
  const int saved = errno;
  ::unlink(copy.c_str());
  errno = saved;
  return false;
}

struct Replacement {
  std::string target, temporary, backup;  // backup empty when target did not exist
};

// Puts back the first `renamed` targets as they were before; false when one cannot be.
bool restore(std::vector<Replacement>* all, size_t renamed) {
  bool ok = true;
  for (size_t i = 0; i < renamed; ++i) {
    Replacement& r = (*all)[i];
    r.temporary.clear();
    const bool back = r.backup.empty() ? ::unlink(r.target.c_str()) == 0
                                       : std::rename(r.backup.c_str(), r.target.c_str()) == 0;
    if (back) r.backup.clear();
    ok = ok && back;
  }
  return ok;
}

void removeLeftovers(const std::vector<Replacement>& all) {
  for (const Replacement& r : all) {
    if (!r.temporary.empty()) ::unlink(r.temporary.c_str());
    if (!r.backup.empty()) ::unlink(r.backup.c_str());
  }
}

// The temporaries with their bytes, and copies (hard links where the file system has
// them) of every target but the last, which no later rename can fail after, so that a
// part-way failure can be undone.
bool prepare(const std::vector<OutputFile>& files, std::vector<Replacement>* all,
             std::string* error) {
  for (size_t i = 0; i < files.size(); ++i) {
    all->emplace_back();
    Replacement& r = all->back();
    if (!resolveOutputPath(files[i].path, &r.target, error)) return false;
    auto fail = [&] {
      *error = files[i].path + ": cannot write: " + std::strerror(errno);
      return false;
    };
    int fd = -1;
    auto create = [&fd](const std::string& name) {
      fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      return fd >= 0;
    };
    if (!claimBeside(r.target, &r.temporary, create)) return fail();
    if (!writeAndClose(fd, files[i].bytes)) return fail();
    struct stat st;
    auto keep = [&r](const std::string& name) { return keepCopy(r.target, name); };
    if (i + 1 < files.size() && lstat(r.target.c_str(), &st) == 0 &&
        !claimBeside(r.target, &r.backup, keep)) {
      return fail();
    }
  }
  return true;
}

}  // namespace

bool writeFilesWhole(const std::vector<OutputFile>& files, std::string* error) {
  std::vector<Replacement> all;
  all.reserve(files.size());
  if (!prepare(files, &all, error)) {
    removeLeftovers(all);
    return false;
  }
  for (size_t i = 0; i < all.size(); ++i) {
    if (std::rename(all[i].temporary.c_str(), all[i].target.c_str()) != 0) {
      *error = files[i].path + ": cannot write: " + std::strerror(errno);
      if (!restore(&all, i)) *error += "; the files written before it could not be put back";
      removeLeftovers(all);
      return false;
    }
  }
  for (Replacement& r : all) r.temporary.clear();
  removeLeftovers(all);
  return true;
}

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

}  // namespace orvex::model
