// The two pieces of JSON the generator writes by hand: strings and numbers.
#pragma once

#include <string>

namespace orvex::polytope {

/// text as a JSON string, quotes included, control bytes escaped.
std::string jsonQuoted(const std::string& text);

/// v as a JSON number with 15 significant digits; null when not finite.
std::string jsonNumber(double v);

}  // namespace orvex::polytope
