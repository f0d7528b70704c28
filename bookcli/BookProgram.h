#pragma once

// tarnwell-book: the agency's book from the command line. Lists and shows
// the files, exports and backs up the book, upgrades a shared book, and
// imports a spreadsheet of closings priced as tarnwell-quote prices them.
// The program runs on the streams it is given, so that the tests run it
// whole, in-process.
//
//   BookProgram  the options and the commands
//   FileWriters  a file or the file list as a table, JSON or CSV
//   BookImport   a CSV file of closings into the book

#include <iosfwd>
#include <string>
#include <vector>

namespace BookCli {

inline constexpr const char* kProgramName = "tarnwell-book";

// Exit statuses: 0 done; 1 an import with rows that failed; 2 nothing done
// (a bad option, a book that cannot be opened, a file not in the book).
inline constexpr int kDone = 0;
inline constexpr int kRowsFailed = 1;
inline constexpr int kUsageError = 2;

// `args` are the command line without the program's name. An import of "-"
// reads `in`. A QCoreApplication must exist; a QGuiApplication when
// WritesPdf(args).
int RunBook(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
            std::ostream& err);

// Whether the command makes a report's PDF (`--pdf`, `--mark-sent`), which
// takes the fonts of a Qt Gui application; no other command needs one.
bool WritesPdf(const std::vector<std::string>& args);

} // namespace BookCli
