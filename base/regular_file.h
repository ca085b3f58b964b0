// Reading a whole file that must be a regular one, and no larger than its readers allow.
#pragma once

#include <cstddef>
#include <limits>
#include <string>

namespace orvex::base {

enum class FileRead {
  kRead,        // *text holds every byte of the file
  kNotRegular,  // it exists but is a directory, FIFO, device or socket: never opened
  kCannotOpen,  // missing, unreadable, or a read error
  kTooLong,     // more than the bytes asked for: refused before reading
};

/// Reads the whole file at path (symlinks followed) into *text. Anything but a regular
/// file is refused before it is opened: a directory reads as nothing, and a FIFO or a
/// device could keep the reader waiting or never end. A file of more than maxBytes is
/// kTooLong, judged by its size before a byte is read (and by what is read, should it
/// grow meanwhile); one of exactly maxBytes is read. *text is unchanged unless kRead.
FileRead readRegularFile(const std::string& path, std::string* text,
                         size_t maxBytes = std::numeric_limits<size_t>::max());

/// The most bytes a model file, points file, 4OFF file or library table may hold: 256 MiB,
/// over twice the largest model the generator makes (a 1000 x 1000 duoprism's vertex
/// file) and a bound on the memory reading one takes.
constexpr size_t kMaxInputBytes = size_t{256} << 20;

/// readRegularFile for a text file, up to maxBytes, without a leading UTF-8 byte-order
/// mark, which some editors write first and which no number or word begins with.
FileRead readTextFile(const std::string& path, std::string* text, size_t maxBytes = kMaxInputBytes);

/// The first bytes of the file at path (all of it if shorter), without a byte-order mark,
/// refused as readRegularFile refuses; for judging a file before it is read whole.
FileRead readFileStart(const std::string& path, size_t bytes, std::string* text);

/// A byte limit as messages say it: "256 MiB" for kMaxInputBytes, else "N bytes".
std::string sizeLimitText(size_t maxBytes);

/// readTextFile of an input file (kMaxInputBytes at most), with the message for each
/// failure: "Cannot open <path>" when it cannot be read, "Cannot open <path>: not a
/// regular file" for a directory, pipe or device (never opened), or "<path>: larger
/// than 256 MiB, ...".
bool readInputFile(const std::string& path, std::string* text, std::string* error);

}  // namespace orvex::base
