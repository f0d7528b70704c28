#pragma once

// The ALTA endorsements the catalogue prices (lines 12 to 62), for an agent
// who knows the endorsement by its title but not its form number: each form
// with its catalogue line, title and charge, as a table or as JSON. The
// manual page carries the same table.

#include <ostream>

namespace Quote {

void WriteEndorsementTable(std::ostream& out);

// {"endorsements": [{"form", "also", "line", "code", "title", "charge", "rule"}]}
void WriteEndorsementJson(std::ostream& out);

} // namespace Quote
