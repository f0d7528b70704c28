#pragma once

// The one line under a field (or above the figures): why the field is
// marked, with a warning sign so that the mark does not rest on colour
// alone, or a quiet hint that asks for nothing to be put right.

#include <QWidget>

class QLabel;

namespace closing {

class FieldNote : public QWidget {
    Q_OBJECT
public:
    explicit FieldNote(QWidget* parent = nullptr);

    void ShowProblem(const QString& text);
    void ShowHint(const QString& text);
    void Clear();

    QString Text() const;
    bool IsProblem() const { return m_problem; }

private:
    QLabel* m_icon;
    QLabel* m_text;
    bool m_problem = false;
};

// Marks a control as holding something the closing cannot be priced with
// (a frame drawn by the window's style sheet, and a warning sign inside a
// text box) or takes the mark away. The reason becomes the control's
// accessible description, so that a screen reader says it too.
void SetMarked(QWidget* control, bool marked, const QString& reason = {});
bool IsMarked(const QWidget* control);

// The style sheet that draws the marks; set once on the window.
QString MarkStyleSheet();

} // namespace closing
