#include "book/BookSettings.h"

#include "book/BookFile.h"

#include <algorithm>

namespace Book {

BookSettings ReadBookSettings(const QSettings& settings)
{
    BookSettings values;
    values.database = settings.value(QStringLiteral("book/database")).toString();
    values.underwriter = settings.value(QStringLiteral("book/underwriter")).toString();
    if (!kUnderwriters.contains(values.underwriter))
        values.underwriter = kUnderwriters.first();
    values.agency.name = settings.value(QStringLiteral("agency/name")).toString();
    values.agency.address = settings.value(QStringLiteral("agency/address")).toString();
    values.agency.phone = settings.value(QStringLiteral("agency/phone")).toString();
    values.agency.license = settings.value(QStringLiteral("agency/license")).toString();
    values.issueWithinDays = std::clamp(
        settings.value(QStringLiteral("book/issue_within_days"), 30).toInt(), 0, 3650);
    values.remittanceDueDay = std::clamp(
        settings.value(QStringLiteral("book/remittance_due_day"), 15).toInt(), 1, 31);
    return values;
}

void WriteBookSettings(QSettings& settings, const BookSettings& values)
{
    settings.setValue(QStringLiteral("book/database"), values.database);
    settings.setValue(QStringLiteral("book/underwriter"), values.underwriter);
    settings.setValue(QStringLiteral("agency/name"), values.agency.name);
    settings.setValue(QStringLiteral("agency/address"), values.agency.address);
    settings.setValue(QStringLiteral("agency/phone"), values.agency.phone);
    settings.setValue(QStringLiteral("agency/license"), values.agency.license);
    settings.setValue(QStringLiteral("book/issue_within_days"), values.issueWithinDays);
    settings.setValue(QStringLiteral("book/remittance_due_day"), values.remittanceDueDay);
}

} // namespace Book
