// User text shown inside a one-line message.
#pragma once

#include <cstddef>
#include <string>

namespace orvex::base {

/// text with every byte that would not print (NUL, a line end, a control character, a
/// byte that is not part of well-formed UTF-8 for a printing character) written as
/// \xNN, cut after about maxBytes bytes of text (never inside a character) with "..."
/// added, so that a message quoting it stays one readable line. The one helper for
/// showing text a user gave.
std::string printable(const std::string& text, size_t maxBytes = 40);

}  // namespace orvex::base
