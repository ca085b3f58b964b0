// Reading a whole file that must be a regular one.
#pragma once

#include <cstddef>
#include <limits>
#include <string>

namespace orvex::model {

enum class FileRead {
  kRead,        // *text holds every byte of the file
  kNotRegular,  // it exists but is a directory, FIFO, device or socket: never opened
  kCannotOpen,  // missing, unreadable, or a read error
  kTooLong,     // more than the bytes asked for: nothing past them was read
};

/// Reads the whole file at path (symlinks followed) into *text. Anything but a regular
/// file is refused before it is opened: a directory reads as nothing, and a FIFO or a
/// device could keep the reader waiting or never end. A file longer than maxBytes is
/// kTooLong, read no further. *text is unchanged unless kRead.
FileRead readRegularFile(const std::string& path, std::string* text,
                         size_t maxBytes = std::numeric_limits<size_t>::max());

}  // namespace orvex::model
