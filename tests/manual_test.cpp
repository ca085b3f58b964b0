// Each program's --help and its manual page list the same options, and orvex-gen's the
// same subcommands, so that an option added to one and not the other is caught.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "tests/run_program.h"
#include "tests/temp_dir.h"

namespace orvex {
namespace {

using testing::readText;
using testing::runProgram;
using testing::TempDir;

// "-x" or "--word" starting a word: after white space, "[", "|", "(" or ",", so that
// hyphenated words ("orvex-gen", "4-3-3") and negative numbers are not taken.
std::set<std::string> optionsIn(const std::string& text) {
  static const std::regex option(R"((^|[\s\[|(,])(--?[A-Za-z][A-Za-z0-9-]*))");
  std::set<std::string> found;
  for (std::sregex_iterator it(text.begin(), text.end(), option), end; it != end; ++it) {
    found.insert((*it)[2]);
  }
  return found;
}

// The subcommands of --help: the first word of each line indented by exactly two spaces
// in the block after "subcommands:".
std::set<std::string> helpSubcommands(const std::string& help) {
  std::set<std::string> found;
  std::istringstream lines(help);
  bool inBlock = false;
  for (std::string line; std::getline(lines, line);) {
    if (line == "subcommands:") {
      inBlock = true;
    } else if (line.empty()) {
      inBlock = false;
    } else if (inBlock && line.size() > 2 && line.compare(0, 2, "  ") == 0 && line[2] != ' ') {
      found.insert(line.substr(2, line.find(' ', 2) - 2));
    }
  }
  return found;
}

// A roff line as text: "\-" a hyphen, font changes and the request name dropped.
std::string plainRoff(std::string line) {
  line = std::regex_replace(line, std::regex(R"(\\-)"), "-");
  line = std::regex_replace(line, std::regex(R"(\\f[BIRP]|\\c|")"), "");
  if (!line.empty() && line[0] == '.') line.erase(0, std::min(line.find(' '), line.size()));
  return line;
}

// The tags (the line after each ".TP") of the manual page's OPTIONS and SUBCOMMANDS
// sections, as plain text, one per line.
struct ManualTags {
  std::string options;
  std::set<std::string> subcommands;
};

ManualTags manualTags(const std::string& page) {
  ManualTags tags;
  std::istringstream lines(page);
  std::string section;
  bool tagNext = false;
  for (std::string line; std::getline(lines, line);) {
    if (line.compare(0, 4, ".SH ") == 0) {
      section = line.substr(4);
    } else if (line == ".TP") {
      tagNext = true;
    } else if (tagNext) {
      tagNext = false;
      const std::string tag = plainRoff(line);
      if (section == "OPTIONS" || section == "SUBCOMMANDS") tags.options += tag + "\n";
      if (section == "SUBCOMMANDS") {
        const size_t start = tag.find_first_not_of(' ');
        tags.subcommands.insert(tag.substr(start, tag.find(' ', start) - start));
      }
    }
  }
  return tags;
}

// What is in `listed` and missing from `other`, one line each, naming where it is missing.
std::string missing(const std::set<std::string>& listed, const std::set<std::string>& other,
                    const std::string& what, const std::string& in, const std::string& notIn) {
  std::string report;
  for (const std::string& name : listed) {
    if (other.count(name) == 0) {
      report += what + " " + name + " is in " + in + " but not in " + notIn + "\n";
    }
  }
  return report;
}

TEST(ManualPageTest, ListsTheOptionsAndSubcommandsOfHelp) {
  TempDir dir;
  for (const std::string program : {"orvex", "orvex-gen", "orvex-render"}) {
    SCOPED_TRACE(program);
    const testing::ProgramResult help =
        runProgram(std::string(ORVEX_BIN_DIR) + "/" + program, {"--help"}, dir.path());
    ASSERT_EQ(help.exitStatus, 0) << help.err;
    const std::string pagePath = "man/" + program + ".1";
    const std::string page = readText(std::string(ORVEX_SOURCE_DIR) + "/" + pagePath);
    ASSERT_FALSE(page.empty()) << pagePath << " is missing";
    const ManualTags manual = manualTags(page);

    const std::set<std::string> helpOptions = optionsIn(help.out);
    const std::set<std::string> manualOptions = optionsIn(manual.options);
    EXPECT_TRUE(helpOptions.count("--help")) << "no options found in " << program << " --help";
    const std::string helpName = program + " --help";
    EXPECT_EQ(missing(helpOptions, manualOptions, "option", helpName, pagePath) +
                  missing(manualOptions, helpOptions, "option", pagePath, helpName),
              "");
    const std::set<std::string> subcommands = helpSubcommands(help.out);
    EXPECT_EQ(missing(subcommands, manual.subcommands, "subcommand", helpName, pagePath) +
                  missing(manual.subcommands, subcommands, "subcommand", pagePath, helpName),
              "");
  }
}

}  // namespace
}  // namespace orvex
