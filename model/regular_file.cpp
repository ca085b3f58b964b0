#include "model/regular_file.h"

#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <utility>

namespace orvex::model {

FileRead readRegularFile(const std::string& path, std::string* text, size_t maxBytes) {
  std::error_code ignored;
  const auto status = std::filesystem::status(path, ignored);
  if (!std::filesystem::exists(status)) return FileRead::kCannotOpen;
  if (!std::filesystem::is_regular_file(status)) return FileRead::kNotRegular;
  std::ifstream in(path, std::ios::binary);
  if (!in) return FileRead::kCannotOpen;
  if (maxBytes == std::numeric_limits<size_t>::max()) {
    std::ostringstream all;
    all << in.rdbuf();
    if (in.bad()) return FileRead::kCannotOpen;
    *text = all.str();
    return FileRead::kRead;
  }
  // One byte more than allowed tells a file that is too long from one that fits exactly.
  std::string bounded(maxBytes + 1, '\0');
  in.read(&bounded[0], static_cast<std::streamsize>(bounded.size()));
  if (in.bad()) return FileRead::kCannotOpen;
  bounded.resize(static_cast<size_t>(in.gcount()));
  if (bounded.size() > maxBytes) return FileRead::kTooLong;
  *text = std::move(bounded);
  return FileRead::kRead;
}

}  // namespace orvex::model
