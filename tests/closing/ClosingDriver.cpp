#include "ClosingDriver.h"

#include "closing/FieldNote.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace closing::test {

ClosingDriver::ClosingDriver(ClosingWindow::Dialogs dialogs, const QString& book)
    : m_dialogs(std::move(dialogs)),
      m_book(book.isEmpty() ? m_folder.filePath(QStringLiteral("book.sqlite")) : book)
{
    if (!m_dialogs.ask)
        m_dialogs.ask = [this](const QString&, const QString& text, QMessageBox::StandardButtons) {
            m_asked.append(text);
            if (m_answers.empty())
                return QMessageBox::Cancel;
            const QMessageBox::StandardButton answer = m_answers.front();
            m_answers.pop_front();
            return answer;
        };
    Open();
}

ClosingDriver::~ClosingDriver() = default;

void ClosingDriver::Open()
{
    m_settings = std::make_unique<QSettings>(m_folder.filePath(QStringLiteral("closing.ini")),
                                             QSettings::IniFormat);
    // Never the agent's own book.
    qunsetenv("TARNWELL_BOOK");
    m_settings->setValue(QStringLiteral("book/database"), m_book);
    m_window = std::make_unique<ClosingWindow>(*m_settings, m_dialogs);
    m_window->show();
    m_window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
}

void ClosingDriver::Restart()
{
    m_window.reset();
    m_settings.reset();
    Open();
}

void ClosingDriver::Enter(const TypedClosing& closing)
{
    Type("split", closing.split);
    if (closing.expanded) {
        Key(Qt::Key_Tab);
        Key(Qt::Key_Down);
    }
    Type("price", closing.price);
    Type("loan", closing.loan);
    Type("priorOwners", closing.priorOwners);
    Type("priorLoan", closing.priorLoan);
    for (const QString& wanted : closing.endorsements) {
        const QString form = wanted.section(u':', 0, 0);
        ToggleEndorsement(form);
        if (const QString policy = wanted.section(u':', 1); !policy.isEmpty()) {
            // From the list, Tab reaches the choice of the policy.
            Key(Qt::Key_Tab);
            if (policy == QLatin1String("loan"))
                Key(Qt::Key_Right);
            Key(Qt::Key_Space);
        }
    }
    if (closing.letter)
        Click("letter");
}

void ClosingDriver::Type(const char* field, const QString& text)
{
    Click(field);
    // To the field clicked, wherever the desktop put the focus meanwhile.
    QWidget* typed = Find(field);
    QTest::keyClick(typed, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(typed, Qt::Key_Delete);
    else
        QTest::keyClicks(typed, text);
}

void ClosingDriver::Key(int key, Qt::KeyboardModifiers modifiers)
{
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    QTest::keyClick(focus, static_cast<Qt::Key>(key), modifiers);
}

void ClosingDriver::Click(const char* name)
{
    QWidget* widget = Find(name);
    ASSERT_NE(widget, nullptr) << name;
    // With two windows open, the one clicked comes to the front first.
    if (QApplication::activeWindow() != widget->window()) {
        widget->window()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(widget->window()));
    }
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(8, widget->height() / 2));
}

void ClosingDriver::ToggleEndorsement(const QString& form)
{
    const auto wanted = StateCalcs::ReadEndorsement(form.toStdString());
    ASSERT_TRUE(wanted.value.has_value()) << wanted.error;
    const auto& line = *StateCalcs::EndorsementAt(wanted.value->entry);
    const QString text = QStringLiteral("ALTA ")
                         + QString::fromUtf8(line.form.data(),
                                             static_cast<qsizetype>(line.form.size()))
                         + u' ';
    Type("endorsementFilter", form);
    Key(Qt::Key_Tab);
    ASSERT_EQ(FocusName(), QLatin1String("endorsementList"));
    auto* list = Find<QListWidget>("endorsementList");
    for (int step = 0; step < list->count() && !list->currentItem()->text().startsWith(text);
         ++step)
        Key(Qt::Key_Down);
    ASSERT_TRUE(list->currentItem()->text().startsWith(text)) << form.toStdString();
    Key(Qt::Key_Space);
}

QString ClosingDriver::FocusName() const
{
    const QWidget* focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QString();
}

QString ClosingDriver::Text(const char* name) const
{
    if (const auto* edit = Find<QLineEdit>(name))
        return edit->text();
    const auto* label = Find<QLabel>(name);
    return label && label->isVisibleTo(m_window.get()) ? label->text() : QString();
}

QStringList ClosingDriver::VisibleEndorsements() const
{
    QStringList shown;
    const auto* list = Find<QListWidget>("endorsementList");
    for (int row = 0; row < list->count(); ++row)
        if (!list->isRowHidden(row))
            shown.append(list->item(row)->text().section(u' ', 1, 1));
    return shown;
}

namespace {

QStringList Rows(const QTableWidget* table)
{
    QStringList rows;
    for (int row = 0; row < table->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < table->columnCount(); ++column)
            if (const QTableWidgetItem* item = table->item(row, column))
                cells.append(item->text());
        rows.append(cells.join(QStringLiteral(" | ")));
    }
    return rows;
}

} // namespace

QStringList ClosingDriver::Figures() const
{
    return Rows(Find<QTableWidget>("figures"));
}

QStringList ClosingDriver::Trid() const
{
    return Rows(Find<QTableWidget>("trid"));
}

void ClosingDriver::Paste(const char* field, const QString& text)
{
    QApplication::clipboard()->setText(text);
    Click(field);
    Key(Qt::Key_A, Qt::ControlModifier);
    Key(Qt::Key_V, Qt::ControlModifier);
}

QString ClosingDriver::Status() const
{
    return Find<FieldNote>("status")->Text();
}

QString ClosingDriver::BookNote() const
{
    return Find<FieldNote>("bookNote")->Text();
}

void ClosingDriver::OpenFromList(const QString& find)
{
    Key(Qt::Key_O, Qt::ControlModifier);
    auto* list = Find<QDialog>("fileList");
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list));
    Type("find", find);
    Click("openChosen");
}

// What pdftotext reads in a PDF, page by page.
QStringList PdfPages(const QString& file, QString* error)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-layout"), file, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(30'000) || pdftotext.exitCode() != 0) {
        if (error)
            *error = pdftotext.errorString()
                     + QString::fromLocal8Bit(pdftotext.readAllStandardError());
        return {};
    }
    QStringList pages = QString::fromUtf8(pdftotext.readAllStandardOutput()).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

QStringList ClosingDriver::Marked() const
{
    QStringList names;
    for (const QWidget* widget : m_window->findChildren<QWidget*>())
        if (IsMarked(widget) && widget->isVisibleTo(m_window.get()))
            names.append(widget->objectName());
    names.sort();
    return names;
}

} // namespace closing::test
