// How the agency's book answers with 100,000 files: the import of a
// spreadsheet of them, opening the file list to its first screen, a search
// as the agent types it, and saving one file (on the disk when it returns).
// Run by hand on both databases with benchmarks/book-benchmark.sh, or:
//   build/benchmarks/book_benchmark PATH|URI [FILES]   (0: the book as it is)

#include "book/Book.h"
#include "bookcli/BookProgram.h"

#include "engine/Closing.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryFile>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>

namespace {

const char* kSurnames[] = {"Smith",     "Johnson", "Williams", "Brown",     "Jones",
                           "Garcia",    "Miller",  "Davis",    "Rodriguez", "Martinez",
                           "Hernandez", "Lopez",   "Gonzalez", "Wilson",    "Anderson",
                           "Thomas",    "Taylor",  "Moore",    "Jackson",   "Martin"};
const char* kGiven[] = {"Ann", "Bob", "Carl", "Dora", "Eve", "Frank", "Gail", "Hal", "Iris", "Jon"};
const char* kStreets[] = {"Main St", "Oak Ave", "Cedar Ln", "Pine St", "Elm Dr", "Maple Rd"};
const char* kCounties[] = {"Pulaski", "Benton", "Washington", "Sebastian", "Faulkner"};

// Ten years of closings: purchases with and without a loan, refinances,
// endorsements and the letter.
std::string Closings(int count)
{
    std::mt19937 random(20130201);
    const auto pick = [&](const auto& list) { return list[random() % std::size(list)]; };
    std::ostringstream csv;
    csv << "file,split,price,loan,prior_loan,endorsements,cpl,underwriter,buyers,sellers,"
           "property,county,lender,closing_date\n";
    for (int i = 1; i <= count; ++i) {
        const int year = 2016 + (i - 1) * 10 / count;
        const int kind = i % 4;
        const std::string price = kind == 3 ? "" : std::to_string(50'000 + random() % 900'000);
        const std::string loan = kind == 2 ? "" : std::to_string(40'000 + random() % 700'000);
        csv << year << '-' << i << ",15," << price << ',' << loan << ','
            << (kind == 3 ? std::to_string(30'000 + random() % 300'000) : "") << ','
            << (i % 3 == 0 ? "\"8.1 9-06\"" : "") << ',' << (i % 2 ? "yes" : "no") << ','
            << (i % 5 ? "QMV" : "ZOR") << ',' << pick(kGiven) << ' ' << pick(kSurnames) << ','
            << (kind == 3 ? "" : std::string(pick(kGiven)) + " " + pick(kSurnames)) << ',' << "\""
            << 1 + random() % 9999 << ' ' << pick(kStreets) << ", Little Rock\"," << pick(kCounties)
            << ",First Bank," << year << (i % 12 < 9 ? "-0" : "-") << i % 12 + 1 << '-'
            << 10 + i % 18 << '\n';
    }
    return csv.str();
}

double Milliseconds(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    if (argc < 2) {
        std::cerr << "usage: book_benchmark PATH|URI [FILES]\n";
        return 2;
    }
    const std::string database = argv[1];
    const int count = argc > 2 ? std::atoi(argv[2]) : 100'000;

    // FILES 0 measures a book that is already filled.
    QElapsedTimer timer;
    if (count > 0) {
        QTemporaryFile csv;
        csv.open();
        csv.write(QByteArray::fromStdString(Closings(count)));
        csv.close();
        timer.start();
        std::istringstream in;
        std::ostringstream out, err;
        const int status = BookCli::RunBook(
            {"--database", database, "import", csv.fileName().toStdString()}, in, out, err);
        std::cout << "import of " << count << " files: " << timer.elapsed() / 1000.0
                  << " s (status " << status << ")\n"
                  << err.str().substr(0, 400);
    }
    timer.restart();
    auto location = std::get<Book::BookLocation>(
        Book::ReadLocation(QString::fromStdString(database)));
    QString error;
    auto book = Book::Book::Open(location, Book::Access::Write, error);
    if (!book) {
        std::cerr << error.toStdString() << '\n';
        return 1;
    }
    std::cout << "open the book to write (the integrity check included): " << Milliseconds(timer)
              << " ms\n";
    timer.restart();
    const auto first = book->Find({}, 50);
    std::cout << "the list's first screen (50 files, newest change first): " << Milliseconds(timer)
              << " ms\n";

    // As typed: each keystroke a search of its own, the first screen of it.
    for (const QString& typed : {QStringLiteral("rodriguez"), QStringLiteral("2019-4"),
                                 QStringLiteral("oak ave"), QStringLiteral("zzq")}) {
        std::cout << "search \"" << typed.toStdString() << "\" as typed:";
        double slowest = 0;
        for (qsizetype length = 1; length <= typed.size(); ++length) {
            timer.restart();
            const auto found = book->Find({typed.left(length), {}, {}}, 50);
            const double ms = Milliseconds(timer);
            slowest = std::max(slowest, ms);
            std::cout << ' ' << ms;
            if (!found)
                std::cout << " (" << book->error().toStdString() << ")";
        }
        std::cout << " ms; slowest " << slowest << " ms\n";
    }

    // One file changed and saved, twenty times.
    auto file = book->Load(first->at(0).fileNumber);
    double total = 0;
    for (int i = 0; i < 20; ++i) {
        file->details.note = QStringLiteral("call back %1").arg(i);
        timer.restart();
        const auto saved = book->Save(file->details, file->closing, file->quote,
                                      file->revision.revision + i);
        total += Milliseconds(timer);
        if (saved.status != Book::SaveResult::Status::Saved)
            std::cout << "save failed: " << saved.error.toStdString() << '\n';
    }
    std::cout << "save one file (a revision, durable): " << total / 20 << " ms on average\n";
    return 0;
}
