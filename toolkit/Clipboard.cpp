#include "toolkit/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace tk::Clipboard {
namespace {

class SystemClipboard : public Backend {
public:
    void Clear() override { QGuiApplication::clipboard()->clear(); }
    void SetText(const QString& text) override { QGuiApplication::clipboard()->setText(text); }
    QString GetText() override { return QGuiApplication::clipboard()->text(); }
    QString GetSelectionText() override
    {
        return QGuiApplication::clipboard()->text(QClipboard::Selection);
    }
};

Backend* g_backend = nullptr;

Backend& Current()
{
    static SystemClipboard system;
    return g_backend ? *g_backend : system;
}

} // namespace

void Clear()
{
    Current().Clear();
}

void SetText(const std::string& text)
{
    Current().SetText(QString::fromStdString(text));
}

std::string GetText()
{
    return Current().GetText().toStdString();
}

std::string GetSelectionText()
{
    return Current().GetSelectionText().toStdString();
}

void SetBackend(Backend* backend)
{
    g_backend = backend;
}

} // namespace tk::Clipboard
