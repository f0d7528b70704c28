#include "bookcli/BookProgram.h"

#include "bookcli/BookImport.h"
#include "bookcli/FileWriters.h"
#include "bookcli/ReportWriters.h"

#include "book/Book.h"
#include "book/BookSettings.h"

#include "bookprint/RemittancePrint.h"

#include "quote/Csv.h"

#include <CLI/CLI.hpp>

#include <QGuiApplication>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace BookCli {

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

class Program {
public:
    Program(std::istream& in, std::ostream& out, std::ostream& err)
        : m_in(in), m_out(out), m_err(err)
    {
        Describe();
    }

    int Run(const std::vector<std::string>& args)
    {
        try {
            // CLI11 takes the arguments last first.
            std::vector<std::string> reversed(args.rbegin(), args.rend());
            m_app.parse(reversed);
        } catch (const CLI::CallForHelp&) {
            const CLI::App* asked = m_app.get_subcommands().empty() ? &m_app
                                                                    : m_app.get_subcommands()[0];
            m_out << asked->help() << '\n';
            return kDone;
        } catch (const CLI::CallForVersion& version) {
            m_out << version.what() << '\n';
            return kDone;
        } catch (const CLI::ParseError& error) {
            return Fail(error.what());
        }
        return m_command();
    }

private:
    void Describe()
    {
        m_app.name(kProgramName);
        m_app.description("The agency's book: every closing kept under its file number, in a\n"
                          "SQLite file or a PostgreSQL database the office shares.");
        m_app.set_version_flag("--version", std::string(kProgramName) + " " + TARNWELL_VERSION);
        m_app
            .add_option("--database", m_database,
                        "The book: a SQLite file, or postgresql://[user@][host][:port]/dbname")
            ->type_name("PATH|URI");
        m_app.require_subcommand(1);
        m_app.footer("Without --database the book is TARNWELL_BOOK's, else the closing window's,\n"
                     "else ~/.local/share/Tarnwell/book.sqlite. See tarnwell-book(1).");

        CLI::App* list = Command("list", "The book's files, newest change first",
                                 [this] { return List(); });
        list->add_option("--find", m_find, "Files whose number, names or address hold TEXT")
            ->type_name("TEXT");
        list->add_option("--month", m_month,
                         "Files of a month: the closing date's, or the first save's")
            ->type_name("YYYY-MM");
        list->add_option("--underwriter", m_underwriter, "QMV or ZOR")->type_name("CODE");
        Formats(list, true);

        CLI::App* show = Command("show", "A file, its quote as saved, and its history",
                                 [this] { return Show(); });
        show->add_option("file", m_file, "The file number")->required()->type_name("FILE");
        show->add_option("--revision", m_revision, "One of its earlier revisions")->type_name("N");
        show->add_flag("--history", m_history, "Every revision: who saved it, when, what changed");
        show->add_flag("--customer", m_customer,
                       "The customer's quote: the agency, the parties, the charges");
        Formats(show, false);

        CLI::App* exporting = Command("export", "Every file, for another program or a spreadsheet",
                                      [this] { return Export(); });
        Formats(exporting, true);

        CLI::App* backup = Command("backup",
                                   "A consistent copy of a SQLite book, made while others work",
                                   [this] { return Backup(); });
        backup->add_option("path", m_path, "Where the copy goes; it must not exist")
            ->required()
            ->type_name("PATH");

        Command("upgrade", "Brings a book written by an older Tarnwell to this version",
                [this] { return Upgrade(); });

        CLI::App* import = Command("import", "Prices and saves each closing of a CSV file",
                                   [this] { return Import(); });
        import->add_option("file", m_path, "The CSV file; - reads standard input")
            ->required()
            ->type_name("FILE.csv");
        import
            ->add_option("--amend", m_reason,
                         "Changes files with policies issued, or voided, for this reason")
            ->type_name("REASON");

        CLI::App* close = Command("close", "Records a file's closing date",
                                  [this] { return Close(); });
        close->add_option("file", m_file, "The file number")->required()->type_name("FILE");
        close->add_option("--date", m_date, "The closing date")
            ->required()
            ->type_name("YYYY-MM-DD");

        CLI::App* issue = Command("issue", "Records policies issued, once per policy",
                                  [this] { return Issue(); });
        issue->add_option("file", m_file, "The file number")->required()->type_name("FILE");
        issue->add_option("--date", m_date, "The issue date")->required()->type_name("YYYY-MM-DD");
        issue->add_option("--owners-policy", m_owners, "The owner's policy's number")
            ->type_name("NUMBER");
        issue->add_option("--loan-policy", m_loan, "The loan policy's number")->type_name("NUMBER");

        CLI::App* voiding = Command("void", "Voids a file, keeping it, with the reason",
                                    [this] { return Void(); });
        voiding->add_option("file", m_file, "The file number")->required()->type_name("FILE");
        voiding->add_option("--reason", m_reason, "Why")->required()->type_name("TEXT");

        CLI::App* report = Command("report", "The month's remittance report of an underwriter",
                                   [this] { return Report(); });
        report->add_option("--month", m_month, "The month")->required()->type_name("YYYY-MM");
        report->add_option("--underwriter", m_underwriter, "QMV or ZOR")
            ->required()
            ->type_name("CODE");
        Formats(report, true);
        report->add_flag("--mark-sent", m_markSent, "Records the report as sent with its check");
        report->add_option("--check", m_check, "The check's number")->type_name("NUMBER");
        report->add_option("--paid", m_paid, "The check's date")->type_name("YYYY-MM-DD");
        report->add_flag("--force", m_force, "Marks the current month sent before it ends");
        report->add_option("--pdf", m_pdf, "Writes the report's PDF too (as it was sent, if sent)")
            ->type_name("FILE");

        CLI::App* due = Command("due", "What needs doing: policies to issue, remittances to send",
                                [this] { return Due(); });
        Formats(due, false);
    }

    CLI::App* Command(const char* name, const char* description, std::function<int()> run)
    {
        CLI::App* command = m_app.add_subcommand(name, description);
        // --database may come after the command too.
        command->fallthrough();
        command->callback([this, run] { m_command = run; });
        return command;
    }

    void Formats(CLI::App* command, bool csv)
    {
        auto* json = command->add_flag("--json", m_json, "Write JSON");
        if (csv)
            command->add_flag("--csv", m_csv, "Write CSV")->excludes(json);
    }

    int Fail(const std::string& message, int status = kUsageError)
    {
        m_err << kProgramName << ": " << Utf8(Q(message).simplified()) << '\n';
        return status;
    }

    std::unique_ptr<Book::Book> OpenBook(Book::Access access)
    {
        QSettings settings(QString::fromLatin1(Book::kSettingsOrganization),
                           QString::fromLatin1(Book::kSettingsApplication));
        m_settings = Book::ReadBookSettings(settings);
        std::optional<QString> given;
        if (m_database)
            given = Q(*m_database);
        auto location = Book::ChooseBook(given, m_settings.database);
        if (const QString* error = std::get_if<QString>(&location)) {
            Fail((m_database ? "--database: " : "") + Utf8(*error));
            return nullptr;
        }
        QString error;
        auto book = Book::Book::Open(std::get<Book::BookLocation>(location), access, error);
        if (!book)
            Fail(Utf8(error));
        return book;
    }

    // The date the book takes for today: TARNWELL_TODAY (YYYY-MM-DD) when
    // set, for reproducing a day's work; else the system's.
    std::optional<QDate> Today()
    {
        const QString given = qEnvironmentVariable("TARNWELL_TODAY");
        if (given.isEmpty())
            return QDate::currentDate();
        const QDate date = QDate::fromString(given, Qt::ISODate);
        if (!date.isValid()) {
            Fail("TARNWELL_TODAY \"" + Utf8(given) + "\": a date is YYYY-MM-DD");
            return std::nullopt;
        }
        return date;
    }

    std::unique_ptr<Book::Book> OpenToWrite()
    {
        const auto today = Today();
        if (!today)
            return nullptr;
        auto book = OpenBook(Book::Access::Write);
        if (!book)
            return nullptr;
        if (!book->readOnlyReason().isEmpty()) {
            Fail(Utf8(book->readOnlyReason()));
            return nullptr;
        }
        book->SetToday(*today);
        return book;
    }

    int Step(const Book::SaveResult& result, const std::string& done)
    {
        switch (result.status) {
        case Book::SaveResult::Status::Saved:
            m_out << "file " << m_file << ": " << done << " (revision " << result.revision << ")\n";
            return kDone;
        case Book::SaveResult::Status::Unchanged:
            m_out << "file " << m_file << ": unchanged\n";
            return kDone;
        case Book::SaveResult::Status::Stale:
        case Book::SaveResult::Status::Failed:
            break;
        }
        return Fail(Utf8(result.error));
    }

    int Close()
    {
        auto book = OpenToWrite();
        if (!book)
            return kUsageError;
        return Step(book->Close(Q(m_file), Q(m_date)), "closed " + m_date);
    }

    int Issue()
    {
        auto book = OpenToWrite();
        if (!book)
            return kUsageError;
        return Step(book->Issue(Q(m_file), Q(m_date), Q(m_owners), Q(m_loan)), "issued " + m_date);
    }

    int Void()
    {
        auto book = OpenToWrite();
        if (!book)
            return kUsageError;
        return Step(book->Void(Q(m_file), Q(m_reason)), "voided");
    }

    bool ReadMonth()
    {
        static const QRegularExpression month(QStringLiteral("^\\d{4}-(0[1-9]|1[0-2])$"));
        if (!month.match(Q(m_month)).hasMatch()) {
            Fail("--month \"" + m_month + "\": a month is YYYY-MM, as 2026-03");
            return false;
        }
        return true;
    }

    bool ReadUnderwriter(QString& code)
    {
        code = Q(m_underwriter).toUpper();
        if (Book::kUnderwriters.contains(code))
            return true;
        Fail("--underwriter \"" + m_underwriter + "\": the underwriters are QMV and ZOR");
        return false;
    }

    int Report()
    {
        QString underwriter;
        if (!ReadMonth() || !ReadUnderwriter(underwriter))
            return kUsageError;
        const auto today = Today();
        if (!today)
            return kUsageError;
        const QString month = Q(m_month);
        if (!m_markSent && (m_check || m_paid || m_force))
            return Fail("--check, --paid and --force go with --mark-sent");
        if (m_markSent) {
            if (!m_check || Q(*m_check).trimmed().isEmpty())
                return Fail("--mark-sent needs the check's number: --check NUMBER");
            if (!m_paid || QDate::fromString(Q(*m_paid), Qt::ISODate).isNull()
                || m_paid->size() != 10)
                return Fail("--mark-sent needs the check's date: --paid YYYY-MM-DD");
            const QString current = Book::MonthOfDate(*today);
            if (month > current)
                return Fail("--month " + m_month + ": a month to come is never marked sent");
            if (month == current && !m_force)
                return Fail("--month " + m_month
                            + ": the month is not over; --force marks it sent now");
        }
        if ((m_pdf || m_markSent) && !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            return Fail("the report's PDF needs a Qt Gui application");
        // The PDF's file is made (beside its place) before anything is
        // recorded, and put in place whole once the report is written.
        QSaveFile pdf;
        if (m_pdf) {
            pdf.setFileName(Q(*m_pdf));
            if (m_pdf->empty() || !pdf.open(QIODevice::WriteOnly))
                return Fail("--pdf \"" + *m_pdf + "\": the file cannot be written"
                            + (m_pdf->empty() ? "" : " (" + Utf8(pdf.errorString()) + ")"));
        }
        auto book = m_markSent ? OpenToWrite() : OpenBook(Book::Access::Read);
        if (!book)
            return kUsageError;
        auto report = book->Report(underwriter, month);
        if (!report)
            return Fail(Utf8(book->error()));
        if (m_markSent) {
            if (report->sent)
                return Fail("the report of " + Utf8(underwriter) + " for " + m_month
                            + " was sent already (check " + Utf8(report->checkNumber) + ", paid "
                            + Utf8(report->paidDate) + ")");
            report->sent = true;
            report->checkNumber = Q(*m_check).trimmed();
            report->paidDate = Q(*m_paid);
            std::ostringstream csv;
            WriteReportCsv(csv, *report);
            report->csv = QByteArray::fromStdString(csv.str());
            report->json = QByteArray::fromStdString(ReportJson(*report).dump(2) + "\n");
            report->pdf = BookPrint::RemittanceReportPdf(*report, m_settings.agency);
            if (report->pdf.isEmpty())
                return Fail("the report's PDF could not be made");
            if (!book->MarkSent(*report))
                return Fail(Utf8(book->error()));
        }
        if (m_pdf) {
            const QByteArray bytes = BookPrint::RemittanceReportPdf(*report, m_settings.agency);
            if (bytes.isEmpty() || pdf.write(bytes) != bytes.size() || !pdf.commit())
                return Fail("--pdf \"" + *m_pdf + "\": the file cannot be written ("
                            + Utf8(bytes.isEmpty() ? QStringLiteral("the PDF could not be made")
                                                   : pdf.errorString())
                            + ")");
        }
        if (m_csv)
            m_out << (report->sent ? report->csv.toStdString() : [&] {
                std::ostringstream csv;
                WriteReportCsv(csv, *report);
                return csv.str();
            }());
        else if (m_json)
            m_out << (report->sent ? report->json.toStdString()
                                   : ReportJson(*report).dump(2) + "\n");
        else
            WriteReportTable(m_out, *report);
        return kDone;
    }

    int Due()
    {
        const auto today = Today();
        if (!today)
            return kUsageError;
        auto book = OpenBook(Book::Access::Read);
        if (!book)
            return kUsageError;
        book->SetToday(*today);
        const auto due = book->Due(m_settings.issueWithinDays, m_settings.remittanceDueDay);
        if (!due)
            return Fail(Utf8(book->error()));
        if (m_json)
            m_out << DueJson(*due).dump(2) << '\n';
        else
            WriteDueTable(m_out, *due);
        return kDone;
    }

    int List()
    {
        Book::FileFilter filter;
        filter.find = Q(m_find);
        if (!m_month.empty()) {
            static const QRegularExpression month(QStringLiteral("^\\d{4}-(0[1-9]|1[0-2])$"));
            if (!month.match(Q(m_month)).hasMatch())
                return Fail("--month \"" + m_month + "\": a month is YYYY-MM, as 2026-03");
            filter.month = Q(m_month);
        }
        if (!m_underwriter.empty()) {
            filter.underwriter = Q(m_underwriter).toUpper();
            if (!Book::kUnderwriters.contains(filter.underwriter))
                return Fail("--underwriter \"" + m_underwriter
                            + "\": the underwriters are QMV and ZOR");
        }
        auto book = OpenBook(Book::Access::Read);
        if (!book)
            return kUsageError;
        const auto files = book->Find(filter);
        if (!files)
            return Fail(Utf8(book->error()));
        if (m_json) {
            Json list = Json::array();
            for (const Book::FileSummary& file : *files)
                list.push_back(ListJson(file));
            m_out << list.dump(2) << '\n';
        } else if (m_csv) {
            m_out << Quote::CsvRow(ListColumns());
            for (const Book::FileSummary& file : *files)
                m_out << Quote::CsvRow(ListRow(file));
        } else {
            WriteListTable(m_out, *files);
        }
        return kDone;
    }

    int Show()
    {
        if (m_customer && (m_history || m_json))
            return Fail("--customer writes the customer's quote alone: no --history or --json");
        auto book = OpenBook(Book::Access::Read);
        if (!book)
            return kUsageError;
        const QString number = Q(m_file);
        const auto file = book->Load(number, m_revision);
        if (!file) {
            if (!book->error().isEmpty())
                return Fail(Utf8(book->error()));
            if (m_revision > 0 && book->Load(number))
                return Fail("--revision " + std::to_string(m_revision) + ": file " + m_file
                            + " has no such revision");
            return Fail("file \"" + m_file + "\" is not in the book");
        }
        std::optional<QList<Book::RevisionInfo>> history;
        if (m_history && !(history = book->History(number)))
            return Fail(Utf8(book->error()));
        if (m_customer) {
            WriteCustomerQuote(m_out, m_settings.agency, number, *file);
        } else if (m_json) {
            Json document = FileJson(number, *file);
            if (history)
                document["history"] = HistoryJson(*history);
            m_out << document.dump(2) << '\n';
        } else if (history) {
            WriteHistoryTable(m_out, *history);
        } else {
            WriteFileTable(m_out, number, *file);
        }
        return kDone;
    }

    int Export()
    {
        auto book = OpenBook(Book::Access::Read);
        if (!book)
            return kUsageError;
        const auto numbers = book->FileNumbers();
        if (!numbers)
            return Fail(Utf8(book->error()));
        Json files = Json::array();
        if (m_csv)
            m_out << Quote::CsvRow(ExportColumns());
        for (const QString& number : *numbers) {
            const auto file = book->Load(number);
            if (!file)
                return Fail(Utf8(book->error()));
            if (m_csv) {
                m_out << Quote::CsvRow(ExportRow(number, *file));
                continue;
            }
            Json document = FileJson(number, *file);
            Json revisions = Json::array();
            for (int revision = 1; revision < file->revision.revision; ++revision) {
                const auto earlier = book->Load(number, revision);
                if (!earlier)
                    return Fail(Utf8(book->error()));
                revisions.push_back(FileJson(number, *earlier));
            }
            revisions.push_back(document);
            document["revisions"] = revisions;
            files.push_back(std::move(document));
        }
        if (!m_csv)
            m_out << Json{{"book_version", book->version()}, {"files", files}}.dump(2) << '\n';
        return kDone;
    }

    int Backup()
    {
        auto book = OpenBook(Book::Access::Read);
        if (!book)
            return kUsageError;
        if (!book->Backup(Q(m_path)))
            return Fail(Utf8(book->error()));
        m_out << "backed up " << Utf8(book->location().Describe()) << " to " << m_path << '\n';
        return kDone;
    }

    int Upgrade()
    {
        auto book = OpenBook(Book::Access::Upgrade);
        if (!book)
            return kUsageError;
        if (!book->readOnlyReason().isEmpty())
            return Fail(Utf8(book->readOnlyReason()));
        m_out << Utf8(book->location().Describe()) << " is at version " << book->version() << '\n';
        return kDone;
    }

    int Import()
    {
        std::ifstream file;
        if (m_path != "-") {
            std::error_code error;
            if (std::filesystem::is_directory(m_path, error))
                return Fail("import \"" + m_path + "\": that is a folder, not a file");
            file.open(m_path, std::ios::binary);
            if (!file)
                return Fail("import \"" + m_path + "\": the file cannot be opened");
        }
        auto book = OpenBook(Book::Access::Write);
        if (!book)
            return kUsageError;
        if (!book->readOnlyReason().isEmpty())
            return Fail(Utf8(book->readOnlyReason()));
        const auto today = Today();
        if (!today)
            return kUsageError;
        book->SetToday(*today);
        return RunImport(*book, m_path == "-" ? m_in : file,
                         m_path == "-" ? "standard input" : m_path, m_settings.underwriter,
                         Q(m_reason), m_out, m_err);
    }

    std::istream& m_in;
    std::ostream& m_out;
    std::ostream& m_err;
    CLI::App m_app;
    std::function<int()> m_command;
    Book::BookSettings m_settings;
    std::optional<std::string> m_database;
    std::string m_find, m_month, m_underwriter, m_file, m_path, m_date, m_owners, m_loan, m_reason;
    std::optional<std::string> m_check, m_paid, m_pdf;
    bool m_markSent = false, m_force = false;
    int m_revision = 0;
    bool m_json = false, m_csv = false, m_history = false, m_customer = false;
};

} // namespace

bool WritesPdf(const std::vector<std::string>& args)
{
    return std::any_of(args.begin(), args.end(), [](const std::string& arg) {
        return arg == "--mark-sent" || arg == "--pdf" || arg.starts_with("--pdf=");
    });
}

int RunBook(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
            std::ostream& err)
{
    const int status = Program(in, out, err).Run(args);
    out.flush();
    if (!out) {
        err << kProgramName << ": the output could not be written\n";
        return kUsageError;
    }
    return status;
}

} // namespace BookCli
