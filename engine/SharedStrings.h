#pragma once

// The strings the windows share for the length of a run.

#include <string>

namespace StateCalcs {

// The code of the highlighted line of the rate list, as the handlers last
// computed it from the line's text.
inline std::string RateCode;

// The first three characters of the underwriter picked in the underwriter
// selection window.
inline std::string UnderwriterCode;

} // namespace StateCalcs
