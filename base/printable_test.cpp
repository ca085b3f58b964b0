#include "base/printable.h"

#include <gtest/gtest.h>

namespace orvex::base {
namespace {

// Each range of escaped characters at both of its ends and one step outside them: a
// terminal control, a C1 control, a line separator or bidirectional mark, half a
// surrogate, a code past Unicode, an overlong form or a cut-off sequence must never reach
// the message whole, and the characters beside them must not be escaped.
TEST(PrintableTest, EscapesExactlyTheBytesThatWouldNotPrintAtEachEndOfEachRange) {
  const std::pair<std::string, std::string> cases[] = {
      {"\x1f", "\\x1f"},
      {" ~", " ~"},
      {"\x7f", "\\x7f"},
      {std::string(1, '\0'), "\\x00"},
      {"\xc2\x80", "\\xc2\\x80"},                    // U+0080, the first C1 control
      {"\xc2\x9f", "\\xc2\\x9f"},                    // U+009F, the last
      {"\xc2\xa0", "\xc2\xa0"},                      // U+00A0 prints
      {"\xc1\xbf", "\\xc1\\xbf"},                    // an overlong '\x7f'
      {"\xdf\xbf", "\xdf\xbf"},                      // U+07FF, the last two-byte character
      {"\xe0\x9f\xbf", "\\xe0\\x9f\\xbf"},           // U+07FF overlong in three bytes
      {"\xe0\xa0\x80", "\xe0\xa0\x80"},              // U+0800
      {"\xe2\x80\xa7", "\xe2\x80\xa7"},              // U+2027 prints
      {"\xe2\x80\xa8", "\\xe2\\x80\\xa8"},           // U+2028, line separator
      {"\xe2\x80\xaa", "\\xe2\\x80\\xaa"},           // U+202A, left-to-right embedding
      {"\xe2\x80\xae", "\\xe2\\x80\\xae"},           // U+202E, right-to-left override
      {"\xe2\x80\xaf", "\xe2\x80\xaf"},              // U+202F prints
      {"\xe2\x81\xa5", "\xe2\x81\xa5"},              // U+2065 prints
      {"\xe2\x81\xa6", "\\xe2\\x81\\xa6"},           // U+2066, left-to-right isolate
      {"\xe2\x81\xa9", "\\xe2\\x81\\xa9"},           // U+2069, pop directional isolate
      {"\xe2\x81\xaa", "\xe2\x81\xaa"},              // U+206A prints
      {"\xed\x9f\xbf", "\xed\x9f\xbf"},              // U+D7FF
      {"\xed\xa0\x80", "\\xed\\xa0\\x80"},           // U+D800, a surrogate
      {"\xed\xbf\xbf", "\\xed\\xbf\\xbf"},           // U+DFFF
      {"\xee\x80\x80", "\xee\x80\x80"},              // U+E000
      {"\xf0\x8f\xbf\xbf", "\\xf0\\x8f\\xbf\\xbf"},  // U+FFFF overlong in four bytes
      {"\xf0\x90\x80\x80", "\xf0\x90\x80\x80"},      // U+10000
      {"\xf4\x8f\xbf\xbf", "\xf4\x8f\xbf\xbf"},      // U+10FFFF, the last
      {"\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},  // past it
      {"\xf5\x80\x80\x80", "\\xf5\\x80\\x80\\x80"},
      {"a\xe2\x80", "a\\xe2\\x80"},  // cut off by the end of the text
      {"\xe2(\xae", "\\xe2(\\xae"},  // broken by a byte that is no continuation
  };
  for (const auto& [text, shown] : cases) EXPECT_EQ(printable(text), shown) << shown;
  // Cut after maxBytes bytes of text, never inside a character.
  EXPECT_EQ(printable("abcdef", 3), "abc...");
  EXPECT_EQ(printable("abc", 3), "abc");
  EXPECT_EQ(printable("ab\xc3\xa9z", 3), "ab\xc3\xa9...");
}

}  // namespace
}  // namespace orvex::base
