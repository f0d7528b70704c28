#include "toolkit/Printing.h"

#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>
#include <QWidget>

namespace tk {
namespace {

PrinterFactory g_factory;

std::unique_ptr<QPrinter> DefaultPrinter()
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return nullptr;
    return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

} // namespace

void SetPrinterFactory(PrinterFactory factory)
{
    g_factory = std::move(factory);
}

bool PrintWindowImage(QWidget* window)
{
    std::unique_ptr<QPrinter> printer = g_factory ? g_factory() : DefaultPrinter();
    if (!printer || !printer->isValid())
        return false;

    // The window as drawn at the moment, before anything about printing can
    // change it.
    const QPixmap image = window->grab();

    QPainter painter;
    if (!painter.begin(printer.get()))
        return false;

    // As large on paper as on a screen of the window's own resolution.
    const QScreen* screen = window->screen();
    const double screenDpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    const double scaleToPaper = printer->resolution() / screenDpi;
    QSizeF printed = QSizeF(window->size()) * scaleToPaper;
    const QRectF page = printer->pageLayout().paintRectPixels(printer->resolution());
    if (printed.width() > page.width() || printed.height() > page.height())
        printed.scale(page.size(), Qt::KeepAspectRatio);

    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(QRectF(QPointF(0, 0), printed), image, QRectF(image.rect()));
    return painter.end();
}

} // namespace tk
