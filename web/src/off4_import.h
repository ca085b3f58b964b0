// Opening a 4OFF file in the explorer: parsed, checked and made into the three model
// files the loader reads, in memory, exactly as orvex-gen import would write them.
#pragma once

#include <string>
#include <vector>

#include "polytope/model_writer.h"

namespace orvex::web {

/// Reads the 4OFF file at path and makes it model name's files, as if in dir. False with
/// one line naming the problem.
bool importOff4(const std::string& path, const std::string& dir, const std::string& name,
                std::vector<model::OutputFile>* files, std::string* error);

}  // namespace orvex::web
