// Where the files a tool makes go: through symlinks to the file they name, over a regular
// file or to a new name, never over anything else; written whole by FileBatch.
#pragma once

#include <string>
#include <vector>

#include "model/file_batch.h"

namespace orvex::base {

/// The file a picture for path goes to: path itself, or for a symlink the name it
/// finally points to (relative links taken from their own directory). False with
/// *error one line naming path when that exists and is not a regular file (a device
/// such as /dev/null, a directory, a FIFO, a socket), or the links loop.
bool resolveOutputPath(const std::string& path, std::string* target, std::string* error);

/// True when a and b both exist and are the same file (hard links included).
bool sameFile(const std::string& a, const std::string& b);

}  // namespace orvex::base
