// Where the shipped models are when no DataDir is configured.
#pragma once

#include <string>

namespace orvex::model {

/// "<directory of the running executable>/../share/orvex/models", normalised: the models installed
/// beside it, in an installed tree and in a build tree alike. Falls back to the
/// compiled-in install location when the executable's path cannot be read.
std::string defaultDataDir();

}  // namespace orvex::model
