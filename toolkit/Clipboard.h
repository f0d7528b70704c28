#pragma once

// The system clipboard, plain text only, and on X11 the selection that the
// middle button pastes. Tests can stand another clipboard in for the
// system's through SetBackend.

#include <QString>

#include <string>

namespace tk::Clipboard {

class Backend {
public:
    virtual ~Backend() = default;
    virtual void Clear() = 0;
    virtual void SetText(const QString& text) = 0;
    virtual QString GetText() = 0;
    // The text last selected on the desktop; none where there is no such thing.
    virtual QString GetSelectionText() { return {}; }
};

void Clear();
void SetText(const std::string& text);
std::string GetText();
std::string GetSelectionText();

// nullptr: the system's clipboard. The caller keeps ownership.
void SetBackend(Backend* backend);

} // namespace tk::Clipboard
