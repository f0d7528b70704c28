#include "bookcli/BookImport.h"

namespace BookCli {

int RunImport(Book::Book&, std::string_view, std::string_view, std::ostream&, std::ostream& err)
{
    err << "import: pending\n";
    return 2;
}

} // namespace BookCli
