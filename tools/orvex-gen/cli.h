// The orvex-gen command line: parses the arguments, runs one subcommand, prints.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace orvex::gen {

/// The usage text printed by --help.
std::string usageText();

/// Runs the command line args (without the program name) with defaultDataDir as the
/// data directory unless -d is given. Reports go to out; a failure prints one line
/// "orvex-gen: <problem>" to err. Returns the exit status: 0, or 1 on any failure.
int runCommandLine(const std::vector<std::string>& args, const std::string& defaultDataDir,
                   std::ostream& out, std::ostream& err);

}  // namespace orvex::gen
