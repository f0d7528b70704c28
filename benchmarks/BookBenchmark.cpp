// How the agency's book answers with 100,000 files over ten years: the
// import of a spreadsheet of them (closed, most issued), opening the file
// list as the window asks for it, a search as the agent types it, saving one file
// (on the disk when it returns), the month's remittance report of a month of
// 1,000 files, marking ten years of months sent, and what needs doing.
// Run by hand on both databases with benchmarks/book-benchmark.sh, or:
//   build/benchmarks/book_benchmark PATH|URI [FILES]   (0: the book as it is)

#include "book/Book.h"
#include "bookcli/BookProgram.h"

#include "engine/Closing.h"

#include <QDate>
#include <QElapsedTimer>
#include <QGuiApplication>
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

// The month that holds a thousand files, all under one underwriter, for the
// month's report.
constexpr int kBusyMonth = 65; // 2021-06
constexpr int kBusyFiles = 1000;

// The month (0 is 2016-01) of the i-th of `count` files: the first thousand
// in the busy month, the others spread evenly over the other 119.
int MonthIndex(int i, int count)
{
    if (i <= kBusyFiles || count <= kBusyFiles)
        return kBusyMonth;
    const int month = static_cast<int>(static_cast<long long>(i - kBusyFiles - 1) * 119
                                       / (count - kBusyFiles));
    return month < kBusyMonth ? month : month + 1;
}

// Ten years of closings: purchases with and without a loan, refinances,
// endorsements and the letter; each closed and its policies issued on its
// closing day, but for one file in fifty, still waiting for its policies.
std::string Closings(int count)
{
    std::mt19937 random(20130201);
    const auto pick = [&](const auto& list) { return list[random() % std::size(list)]; };
    std::ostringstream csv;
    csv << "file,split,price,loan,prior_loan,endorsements,cpl,underwriter,buyers,sellers,"
           "property,county,lender,closing_date,owners_policy,loan_policy,issue_date\n";
    for (int i = 1; i <= count; ++i) {
        const int index = MonthIndex(i, count);
        const int year = 2016 + index / 12, month = index % 12 + 1;
        const int kind = i % 4;
        const std::string price = kind == 3 ? "" : std::to_string(50'000 + random() % 900'000);
        const std::string loan = kind == 2 ? "" : std::to_string(40'000 + random() % 700'000);
        std::ostringstream date;
        date << year << (month < 10 ? "-0" : "-") << month << '-' << 10 + i % 18;
        const bool issued = i % 50 != 0;
        csv << year << '-' << i << ",15," << price << ',' << loan << ','
            << (kind == 3 ? std::to_string(30'000 + random() % 300'000) : "") << ','
            << (i % 3 == 0 ? "\"8.1 9-06\"" : "") << ',' << (i % 2 ? "yes" : "no") << ','
            << (i <= kBusyFiles || i % 5 ? "QMV" : "ZOR") << ',' << pick(kGiven) << ' '
            << pick(kSurnames) << ','
            << (kind == 3 ? "" : std::string(pick(kGiven)) + " " + pick(kSurnames)) << ',' << "\""
            << 1 + random() % 9999 << ' ' << pick(kStreets) << ", Little Rock\"," << pick(kCounties)
            << ",First Bank," << date.str() << ','
            << (issued && kind != 3 ? "O-" + std::to_string(i) : "") << ','
            << (issued && kind != 2 ? "L-" + std::to_string(i) : "") << ','
            << (issued ? date.str() : "") << '\n';
    }
    return csv.str();
}

std::string MonthText(int index)
{
    const int month = index % 12 + 1;
    return std::to_string(2016 + index / 12) + (month < 10 ? "-0" : "-") + std::to_string(month);
}

// What the window's Open list asks for: the 500 newest it shows, and one
// more to know whether there are others.
constexpr int kOpenList = 501;

double Milliseconds(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    // Marking a month sent keeps its report's PDF, laid out with the fonts of
    // a Qt Gui application, as tarnwell-book does it: offscreen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc < 2) {
        std::cerr << "usage: book_benchmark PATH|URI [FILES]\n";
        return 2;
    }
    const std::string database = argv[1];
    const int count = argc > 2 ? std::atoi(argv[2]) : 100'000;
    // The book's today: its ten years of closings are behind it, December's
    // report not yet due.
    qputenv("TARNWELL_TODAY", "2026-01-10");
    const auto run = [&](std::vector<std::string> args, std::string* output = nullptr) {
        args.insert(args.begin(), {"--database", database});
        std::istringstream in;
        std::ostringstream out, err;
        const int status = BookCli::RunBook(args, in, out, err);
        if (status != 0)
            std::cout << "  (" << args[2] << ": status " << status << ", "
                      << err.str().substr(0, 200) << ")\n";
        if (output)
            *output = out.str();
        return status;
    };

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
    const auto first = book->Find({}, kOpenList);
    std::cout << "the Open list (501 files, newest change first): " << Milliseconds(timer)
              << " ms\n";

    // As typed: each keystroke a search of its own, as the Open list asks it;
    // typed once more, as the server and the disk have it at hand.
    for (const char* pass : {"", " again"})
        for (const QString& typed : {QStringLiteral("rodriguez"), QStringLiteral("2019-4"),
                                     QStringLiteral("oak ave"), QStringLiteral("zzq")}) {
            std::cout << "search \"" << typed.toStdString() << "\" as typed" << pass << ":";
            double slowest = 0;
            for (qsizetype length = 1; length <= typed.size(); ++length) {
                timer.restart();
                const auto found = book->Find({typed.left(length), {}, {}}, kOpenList);
                const double ms = Milliseconds(timer);
                slowest = std::max(slowest, ms);
                std::cout << ' ' << ms;
                if (!found)
                    std::cout << " (" << book->error().toStdString() << ")";
            }
            std::cout << " ms; slowest " << slowest << " ms\n";
        }

    // One file changed and saved, twenty times (an issued file's change is
    // an amendment with its reason).
    auto file = book->Load(first->at(0).fileNumber);
    double total = 0;
    for (int i = 0; i < 20; ++i) {
        file->details.note = QStringLiteral("call back %1").arg(i);
        timer.restart();
        const auto saved = book->Save(file->details, file->closing, file->quote,
                                      file->revision.revision + i, QStringLiteral("a note"));
        total += Milliseconds(timer);
        if (saved.status != Book::SaveResult::Status::Saved)
            std::cout << "save failed: " << saved.error.toStdString() << '\n';
    }
    std::cout << "save one file (a revision, durable): " << total / 20 << " ms on average\n";
    book.reset();

    // The month's remittance: the month of a thousand files before it is
    // sent, in the library (the window's preview) and written by the
    // program; then every month to June 2025 marked sent.
    const std::string busy = MonthText(kBusyMonth);
    std::string output;
    book = Book::Book::Open(location, Book::Access::Write, error);
    book->SetToday(QDate(2026, 1, 10));
    timer.restart();
    const auto report = book->Report(QStringLiteral("QMV"), QString::fromStdString(busy));
    std::cout << "the report of " << busy << " (QMV, " << report->rows.size() << " lines"
              << (report->sent ? ", as sent" : "") << ") read: " << Milliseconds(timer) << " ms\n";
    for (const char* format : {"--json", "--csv"}) {
        timer.restart();
        run({"report", "--month", busy, "--underwriter", "QMV", format}, &output);
        std::cout << "  tarnwell-book report " << format << ": " << Milliseconds(timer) << " ms ("
                  << output.size() / 1024 << " KiB)\n";
    }
    if (!report->sent) {
        timer.restart();
        int marked = 0;
        for (int index = 0; index < 114; ++index)
            for (const char* underwriter : {"QMV", "ZOR"})
                marked += run({"report", "--month", MonthText(index), "--underwriter", underwriter,
                               "--csv", "--mark-sent", "--check", std::to_string(1000 + index),
                               "--paid", MonthText(index + 1) + "-05"})
                          == 0;
        std::cout << marked
                  << " reports marked sent (2016-01 to 2025-06): " << timer.elapsed() / 1000.0
                  << " s\n";
        timer.restart();
        run({"report", "--month", busy, "--underwriter", "QMV", "--json"}, &output);
        std::cout << "  tarnwell-book report --json of " << busy
                  << " as sent: " << Milliseconds(timer) << " ms\n";
    }
    timer.restart();
    const auto open = book->Report(QStringLiteral("QMV"), QStringLiteral("2025-12"));
    std::cout << "the report of 2025-12 (QMV, " << open->rows.size()
              << " lines, not sent) read: " << Milliseconds(timer) << " ms\n";

    // What needs doing: files closed more than 30 days ago without their
    // policies, months whose reports are not sent.
    timer.restart();
    const auto due = book->Due(30, 15);
    std::cout << "what needs doing (" << due->unissued.size() << " files not issued, "
              << due->unsent.size() << " months not sent) read: " << Milliseconds(timer) << " ms\n";
    timer.restart();
    run({"due", "--json"}, &output);
    std::cout << "  tarnwell-book due --json: " << Milliseconds(timer) << " ms\n";
    return 0;
}
