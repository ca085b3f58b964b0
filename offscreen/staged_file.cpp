#include "offscreen/staged_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "offscreen/output_file.h"

namespace orvex::offscreen {

StagedFile::~StagedFile() {
  if (fd_ >= 0) close(fd_);
  if (!committed_ && !temporary_.empty()) std::remove(temporary_.c_str());
}

bool StagedFile::open(const std::string& path, std::string* error) {
  path_ = path;
  if (!resolveOutputPath(path, &target_, error)) return false;
  // Beside the target, so the rename cannot cross file systems.
  const size_t slash = target_.rfind('/');
  std::string temporary =
      (slash == std::string::npos ? "" : target_.substr(0, slash + 1)) + ".orvex-render-XXXXXX";
  fd_ = mkstemp(temporary.data());
  if (fd_ < 0) {
    *error = path + ": cannot create a temporary file beside it: " + std::strerror(errno);
    return false;
  }
  temporary_ = temporary;
  return true;
}

int StagedFile::releaseFd() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

bool StagedFile::commit(std::string* error) {
  if (fd_ >= 0 && close(fd_) != 0) {
    fd_ = -1;
    *error = path_ + ": cannot write: " + std::strerror(errno);
    return false;
  }
  fd_ = -1;
  // mkstemp makes the file 0600; a picture is for everyone who may read the directory.
  const mode_t mask = umask(0);
  umask(mask);
  chmod(temporary_.c_str(), 0666 & ~mask);
  if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
    *error = path_ + ": cannot write: " + std::strerror(errno);
    return false;
  }
  committed_ = true;
  return true;
}

}  // namespace orvex::offscreen
