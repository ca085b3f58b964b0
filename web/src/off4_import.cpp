#include "web/src/off4_import.h"

#include "polytope/off4.h"

namespace orvex::web {

bool importOff4(const std::string& path, const std::string& dir, const std::string& name,
                std::vector<model::OutputFile>* files, std::string* error) {
  polytope::Off4 off;
  if (!polytope::readOff4File(path, &off, error)) return false;
  polytope::Polytope polytope;
  if (!polytope::polytopeFromOff4(off, path, &polytope, error)) return false;
  return polytope::modelFiles(dir, name, std::move(polytope), polytope::WriteOptions{}, files,
                              error);
}

}  // namespace orvex::web
