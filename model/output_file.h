// Writing the files a tool makes: whole or not at all, through symlinks to the file they
// name, over a regular file or to a new name, never over anything else.
#pragma once

#include <string>
#include <vector>

namespace orvex::model {

/// The file a picture for path goes to: path itself, or for a symlink the name it
/// finally points to (relative links taken from their own directory). False with
/// *error one line naming path when that exists and is not a regular file (a device
/// such as /dev/null, a directory, a FIFO, a socket), or the links loop.
bool resolveOutputPath(const std::string& path, std::string* target, std::string* error);

/// True when a and b both exist and are the same file (hard links included).
bool sameFile(const std::string& a, const std::string& b);

struct OutputFile {
  std::string path;  // as given; a symlink is followed to the file it names
  std::string bytes;
};

/// Writes every file whole, or changes none of them. Each goes to a temporary beside the
/// file it replaces (resolveOutputPath), checked through the last write and the close,
/// and the temporaries are renamed into place in order only once all are complete. When
/// a rename fails part-way the files already renamed are put back as they were (kept
/// through hard links, or copies, made before the first rename). False with *error one line
/// "<path>: cannot write: <reason>" (or resolveOutputPath's refusal); no temporary or
/// backup is left behind.
bool writeFilesWhole(const std::vector<OutputFile>& files, std::string* error);

}  // namespace orvex::model
