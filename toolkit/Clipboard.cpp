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

void SetBackend(Backend* backend)
{
    g_backend = backend;
}

} // namespace tk::Clipboard
