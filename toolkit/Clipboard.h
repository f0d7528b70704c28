#pragma once

// The system clipboard, plain text only. Tests can stand another clipboard in
// for the system's through SetBackend.

#include <QString>

#include <string>

namespace tk::Clipboard {

class Backend {
public:
    virtual ~Backend() = default;
    virtual void Clear() = 0;
    virtual void SetText(const QString& text) = 0;
    virtual QString GetText() = 0;
};

void Clear();
void SetText(const std::string& text);
std::string GetText();

// nullptr: the system's clipboard. The caller keeps ownership.
void SetBackend(Backend* backend);

} // namespace tk::Clipboard
