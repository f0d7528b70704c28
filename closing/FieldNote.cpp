#include "closing/FieldNote.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>

namespace closing {
namespace {

constexpr const char* kMarked = "marked";
constexpr const char* kWarningAction = "closingWarning";

QIcon WarningIcon(const QWidget* widget)
{
    return widget->style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, widget);
}

} // namespace

FieldNote::FieldNote(QWidget* parent) : QWidget(parent), m_icon(new QLabel), m_text(new QLabel)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_icon, 0, Qt::AlignTop);
    layout->addWidget(m_text, 1);
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_icon->hide();
    hide();
}

void FieldNote::ShowProblem(const QString& text)
{
    const int side = fontMetrics().height();
    m_icon->setPixmap(WarningIcon(this).pixmap(QSize(side, side), devicePixelRatioF()));
    m_icon->show();
    m_text->setForegroundRole(QPalette::WindowText);
    m_text->setText(text);
    m_problem = true;
    show();
}

void FieldNote::ShowHint(const QString& text)
{
    m_icon->hide();
    m_text->setForegroundRole(QPalette::PlaceholderText);
    m_text->setText(text);
    m_problem = false;
    show();
}

void FieldNote::Clear()
{
    m_text->clear();
    m_problem = false;
    hide();
}

QString FieldNote::Text() const
{
    return isHidden() ? QString() : m_text->text();
}

void SetMarked(QWidget* control, bool marked, const QString& reason)
{
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        QAction* warning = edit->findChild<QAction*>(QLatin1String(kWarningAction));
        if (marked && !warning) {
            warning = edit->addAction(WarningIcon(edit), QLineEdit::TrailingPosition);
            warning->setObjectName(QLatin1String(kWarningAction));
        }
        if (warning)
            warning->setVisible(marked);
    }
    control->setAccessibleDescription(marked ? reason : QString());
    if (control->property(kMarked).toBool() == marked)
        return;
    control->setProperty(kMarked, marked);
    control->style()->unpolish(control);
    control->style()->polish(control);
    control->update();
}

bool IsMarked(const QWidget* control)
{
    return control->property(kMarked).toBool();
}

QString MarkStyleSheet()
{
    return QStringLiteral("*[marked=\"true\"] { border: 2px solid #c5221f; border-radius: 3px; }");
}

} // namespace closing
