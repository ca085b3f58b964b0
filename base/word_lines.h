// Text files read line by line as words: the points files and 4OFF files are read so,
// and a message can name the line a fault is on.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orvex::base {

struct WordLine {
  int number = 0;  // counted from 1, blank lines included
  std::vector<std::string> words;
};

enum class WordBreaks {
  kBlanks,           // space, tab, carriage return, vertical tab, form feed
  kBlanksAndCommas,  // also commas on a line that has one; an empty field is a word ("")
};

/// The next line of text from *pos that holds a word, split at breaks; false at the end.
/// *number counts the lines passed, *pos moves past the line's end. The words reuse
/// line's storage, so a large file costs no more than its text and one line.
bool nextWordLine(std::string_view text, size_t* pos, int* number, WordBreaks breaks,
                  WordLine* line);

}  // namespace orvex::base
