// Opening a 4OFF file in the explorer: parsed, checked and written as the three model
// files the loader reads, all in the page's in-memory file system.
#pragma once

#include <string>

namespace orvex::web {

/// Reads the 4OFF file at path and writes it as model name into dir. False with one line
/// naming the problem.
bool importOff4(const std::string& path, const std::string& dir, const std::string& name,
                std::string* error);

}  // namespace orvex::web
