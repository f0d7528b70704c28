#pragma once

// Which endorsement lines stay in the list while the agent types in its
// filter box. Agents look endorsements up by ALTA form number ("9", "14.1")
// or by a word of the title ("condo"), so the box takes both.

#include "engine/Closing.h"

#include <QString>

namespace closing {

// True when every word of the filter fits the line. A word that starts with
// a digit is a form number: it fits a form (or line 40's other form,
// 14.1-06) that it names whole or that continues it with "." or "-", so "9"
// finds 9-06 and 9.1-06 but not 19-06; once the word holds a "." or "-"
// itself, it fits any form it begins ("9-0" while "9-06" is being typed).
// Any other word fits when the title, or the "ALTA" before the form, holds
// it, whatever the case. An empty filter fits every line.
bool FitsFilter(const StateCalcs::EndorsementLine& line, const QString& filter);

} // namespace closing
