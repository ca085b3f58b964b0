#include "model/regular_file.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace orvex::model {

FileRead readRegularFile(const std::string& path, std::string* text) {
  std::error_code ignored;
  const auto status = std::filesystem::status(path, ignored);
  if (!std::filesystem::exists(status)) return FileRead::kCannotOpen;
  if (!std::filesystem::is_regular_file(status)) return FileRead::kNotRegular;
  std::ifstream in(path, std::ios::binary);
  if (!in) return FileRead::kCannotOpen;
  std::ostringstream all;
  all << in.rdbuf();
  if (in.bad()) return FileRead::kCannotOpen;
  *text = all.str();
  return FileRead::kRead;
}

}  // namespace orvex::model
