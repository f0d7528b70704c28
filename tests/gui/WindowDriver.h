#pragma once

// Drives the program's windows the way an agent does: keys go to whichever
// control has the focus, clicks go through the mouse, and every message box
// is answered at once, its text recorded.

#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "toolkit/Form.h"

// Test failures show texts as texts.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

// While alive, hands each modal window that comes up to `action`, which is
// to close it.
class ModalWatcher {
public:
    explicit ModalWatcher(std::function<void(QWidget*)> action);

private:
    QTimer m_timer;
    std::function<void(QWidget*)> m_action;
    bool m_busy = false;
};

// The agent at a window.
class Agent {
public:
    explicit Agent(tk::Form* window) : m_window(window) {}

    void Type(const std::string& characters);
    void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void Enter() { Press(Qt::Key_Return); }
    void Tab() { Press(Qt::Key_Tab); }
    void Click(const char* control);
    // Picks a line of a list with the mouse.
    void ClickLine(const char* list, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void Paste(const QString& text);

    QString Text(const char* control) const;
    QString Focus() const;
    QWidget* Control(const char* name) const;
    bool Shown(const char* control) const;
    bool Enabled(const char* control) const;

    // Lets the events of the moment settle: activation after a modal window,
    // deferred deletions.
    static void Settle();

private:
    QWidget* KeyTarget() const;

    tk::Form* m_window;
};

// A fresh program for each test: no window left from the last one, the
// shared strings cleared, message boxes answered and their texts recorded.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Shows a window as the program does, waits until it is active.
    static void ShowAndWait(tk::Form* window);

    QStringList messages;
};

// The rate window as the start-up routine opens it.
class RatesTest : public ProgramTest {
protected:
    void SetUp() override;

    // Enters the split, accepted, focus in the list.
    void EnterSplit(const std::string& split);
    // Highlights a catalogue line (0-based) with the arrow keys from the
    // current line, as an agent does.
    void ArrowTo(int row);

    tk::Form* rates = nullptr;
    std::unique_ptr<Agent> agent;
};
