#include "closing/ClosingApplication.h"

#include <QApplication>

namespace closing {

void NameApplication()
{
    QApplication::setOrganizationName(QStringLiteral("Tarnwell"));
    QApplication::setApplicationName(QStringLiteral("Tarnwell Closing Quote"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tarnwell Closing Quote"));
}

std::unique_ptr<QSettings> OpenSettings()
{
    // Named explicitly: the application's name no longer names the file.
    return std::make_unique<QSettings>(QStringLiteral("Tarnwell"), QStringLiteral("Closing"));
}

} // namespace closing
