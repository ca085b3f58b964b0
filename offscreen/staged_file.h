// A file written whole or not at all: a temporary beside the target, renamed over it
// once complete, removed if anything fails first or a signal ends the process.
#pragma once

#include <string>

#include "model/file_batch.h"

namespace orvex::offscreen {

class StagedFile {
 public:
  StagedFile() = default;
  ~StagedFile();
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  /// Makes the temporary for path (resolved as resolveOutputPath does). False with
  /// *error one line naming path.
  bool open(const std::string& path, std::string* error);
  /// The temporary's name, to write to by name or through fd().
  const std::string& temporaryPath() const { return temporary_; }
  int fd() const { return fd_; }
  /// Gives up the descriptor: the caller (a library that closes it) now owns it.
  int releaseFd();
  /// Closes, and renames the file into place (model::FileBatch).
  bool commit(std::string* error);

 private:
  std::string path_, temporary_;
  model::FileBatch batch_;
  int fd_ = -1;
};

}  // namespace orvex::offscreen
