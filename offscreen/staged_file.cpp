#include "offscreen/staged_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace orvex::offscreen {

StagedFile::~StagedFile() {
  if (fd_ >= 0) close(fd_);
}

bool StagedFile::open(const std::string& path, std::string* error) {
  path_ = path;
  return batch_.stageOpen(path, &fd_, &temporary_, error);
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
  return batch_.commit(error);
}

}  // namespace orvex::offscreen
