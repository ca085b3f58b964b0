// User text shown inside a one-line message.
#pragma once

#include <cstddef>
#include <string>

namespace orvex::model {

/// text with every byte that would not print (NUL, a line end, a control or non-ASCII
/// byte) written as \xNN, cut after maxBytes bytes of text with "..." added, so that a
/// message quoting it stays one readable line.
std::string printable(const std::string& text, size_t maxBytes = 40);

}  // namespace orvex::model
