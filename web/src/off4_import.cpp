#include "web/src/off4_import.h"

#include "tools/orvex-gen/model_writer.h"
#include "tools/orvex-gen/off4.h"

namespace orvex::web {

bool importOff4(const std::string& path, const std::string& dir, const std::string& name,
                std::string* error) {
  gen::Off4 off;
  if (!gen::readOff4File(path, &off, error)) return false;
  gen::Polytope polytope;
  if (!gen::polytopeFromOff4(off, path, &polytope, error)) return false;
  return gen::writeModel(dir, name, polytope, error);
}

}  // namespace orvex::web
