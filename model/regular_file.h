// Reading a whole file that must be a regular one.
#pragma once

#include <string>

namespace orvex::model {

enum class FileRead {
  kRead,        // *text holds every byte of the file
  kNotRegular,  // it exists but is a directory, FIFO, device or socket: never opened
  kCannotOpen,  // missing, unreadable, or a read error
};

/// Reads the whole file at path (symlinks followed) into *text. Anything but a regular
/// file is refused before it is opened: a directory reads as nothing, and a FIFO or a
/// device could keep the reader waiting or never end. *text is unchanged unless kRead.
FileRead readRegularFile(const std::string& path, std::string* text);

}  // namespace orvex::model
