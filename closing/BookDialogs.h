#pragma once

// The closing window's dialogs about the agency's book: the list of its
// files, searched as the agent types and filtered by underwriter and month;
// a file's history, where any revision can be looked at; and the settings
// that say which book to keep and what agency heads the quote that goes out.

#include "book/Book.h"
#include "book/BookSettings.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTextBrowser;

namespace closing {

class FieldNote;

// The book's files, newest change first. Open (or a double click, or
// <ENTER>) chooses the current file; History… shows its revisions.
class FileListDialog : public QDialog {
    Q_OBJECT
public:
    // At most this many files are listed; typing narrows the list.
    static constexpr int kShown = 500;

    FileListDialog(Book::Book& book, QWidget* parent = nullptr);

    // The file chosen, once accepted.
    QString ChosenFile() const { return m_chosen; }

private:
    void Search();
    void ShowHistory();
    QString CurrentFile() const;

    Book::Book& m_book;
    QLineEdit* m_find;
    QComboBox* m_underwriter;
    QLineEdit* m_month;
    FieldNote* m_note;
    QTableWidget* m_files;
    QPushButton *m_open, *m_history;
    QString m_chosen;
};

// A file's revisions, newest first: who saved each, when and what it
// changed; the revision chosen is shown whole beside the list, its figures
// as they were priced when it was saved.
class HistoryDialog : public QDialog {
    Q_OBJECT
public:
    HistoryDialog(Book::Book& book, const QString& fileNumber, QWidget* parent = nullptr);

private:
    void ShowRevision();

    Book::Book& m_book;
    QString m_fileNumber;
    QTableWidget* m_revisions;
    QTextBrowser* m_revision;
};

// The agency as it heads the quote, the underwriter a new file starts with,
// the book (a file, or a postgresql:// address; empty for the default), and
// what needs doing: the days allowed to issue a closed file's policies and
// the day of the next month by which a month's remittance is due.
class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    SettingsDialog(const Book::BookSettings& values, QWidget* parent = nullptr);

    Book::BookSettings Values() const;

    void accept() override;

private:
    QLineEdit *m_name, *m_address, *m_phone, *m_license, *m_database;
    QComboBox* m_underwriter;
    QSpinBox *m_issueWithin, *m_dueDay;
    FieldNote* m_databaseNote;
};

// A time the book keeps (UTC, ISO 8601) as the agent reads it, in local time:
// "12/7/2026 2:32 PM".
QString LocalTime(const QString& utc);

// A date as the book keeps it (YYYY-MM-DD) from what the agent typed:
// 2026-03-31 or 3/31/2026. Empty when it is neither.
QString IsoDate(const QString& typed);

// What the book's dialogs are made of.
namespace dialog {
// A label for a control, whose text (without its "&") becomes the control's
// accessible name.
QLabel* Caption(const QString& text, QWidget* buddy);
// A dialog as large as `columns` digits by `rows` lines, within the screen
// its window is on.
void FitToScreen(QDialog* dialog, int columns, int rows);
// A list of rows to read and choose from, never to edit.
QTableWidget* ListTable(const QStringList& header, const char* name);
// Money as the book's lists show it: "1,234.50".
QString Cents(std::int64_t cents);
} // namespace dialog

} // namespace closing
