#pragma once

// What the closing window's settings hold for the book, read the same way by
// the window and by tarnwell-book: the book to open, the underwriter a new
// file starts with, and the agency that heads the quote sent to a customer.
// The window keeps them in QSettings "Tarnwell"/"Closing"
// (~/.config/Tarnwell/Closing.conf).

#include <QSettings>
#include <QString>

namespace Book {

inline constexpr const char* kSettingsOrganization = "Tarnwell";
inline constexpr const char* kSettingsApplication = "Closing";

struct Agency {
    QString name, address, phone, license;
};

struct BookSettings {
    QString database;    // a path or a postgresql:// address; empty: the default
    QString underwriter; // "QMV" when none is set
    Agency agency;
    // What needs doing: a file closed more than this many days ago whose
    // policies are not issued; and the day of the month after a month by
    // which its remittance is due (the last day of a shorter month).
    int issueWithinDays = 30;
    int remittanceDueDay = 15;
};

BookSettings ReadBookSettings(const QSettings& settings);
void WriteBookSettings(QSettings& settings, const BookSettings& values);

} // namespace Book
