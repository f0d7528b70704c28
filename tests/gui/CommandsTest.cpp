// Continue, Print Form, Instructions and Exit Program.

#include "tests/gui/WindowDriver.h"
#include "windows/Messages.h"

#include "toolkit/Clipboard.h"
#include "toolkit/Printing.h"
#include "toolkit/Program.h"
#include "toolkit/TextBox.h"
#include "windows/frmInst.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Messages::kNotPrinted;

// Line numbers of the catalogue, 0-based as the list shows them.
constexpr int k101 = 0, k402 = 6, k901 = 8, k660 = 10, k525 = 11, k520 = 13, k500 = 24, k510 = 60;

QString Clipboard()
{
    return QApplication::clipboard()->text();
}

// A clipboard that will not take the text.
struct BrokenClipboard : tk::Clipboard::Backend {
    void Clear() override {}
    void SetText(const QString&) override {}
    QString GetText() override { return QStringLiteral("something else"); }
};

class ContinueTest : public RatesTest {
protected:
    // Picks the line and enters its amounts; the focus is then on Continue.
    void Calculate(int line, std::initializer_list<const char*> amounts)
    {
        ArrowTo(line);
        agent->Enter();
        for (const char* amount : amounts) {
            agent->Type(amount);
            agent->Enter();
        }
        ASSERT_EQ(agent->Focus(), "cmdContinue");
    }
};

TEST_F(ContinueTest, ScheduleEntriesCopyTheTotalClearAndStayLabelled)
{
    EnterSplit("20");
    QApplication::clipboard()->setText(QStringLiteral("left from before"));
    agent->Enter(); // into txt1 of the first line: nothing shown gives the empty text
    agent->Click("cmdContinue");
    EXPECT_EQ(Clipboard(), "");
    EXPECT_EQ(agent->Focus(), "List1");
    Calculate(k101, {"100000"});
    agent->Enter(); // on Continue
    EXPECT_EQ(Clipboard(), "350.00");
    for (const char* field : {"txt1", "txtTotalCharge", "txtRemit"})
        EXPECT_EQ(agent->Text(field), "") << field;
    EXPECT_EQ(agent->Focus(), "List1");
    EXPECT_EQ(agent->Text("List1").left(3), "101");
    EXPECT_EQ(agent->Text("txtSplit"), "20.00");
    EXPECT_TRUE(rates->findChild<tk::TextBox*>("txtSplit")->Locked());
    Calculate(k101, {"250000"}); // the same entry again, with the same split
    EXPECT_EQ(agent->Text("txtTotalCharge"), "650.00");
    EXPECT_EQ(agent->Text("txtRemit"), "130.00");
    agent->Enter();
    // After Continue the selected entry asks for its amounts as on selection.
    Calculate(k901, {"250000", "100000"});
    agent->Enter();
    EXPECT_EQ(Clipboard(), "510.00");
    EXPECT_TRUE(agent->Shown("txt2"));
    EXPECT_EQ(agent->Text("txt2"), "");
    EXPECT_EQ(agent->Text("lbl2"), "Prior Policy Liability");
    ArrowTo(k402);
    agent->Click("cmdContinue");
    EXPECT_EQ(agent->Text("lbl2"), "Owners Policy Liability");
    Calculate(k520, {"7500"});
    agent->Enter();
    EXPECT_EQ(Clipboard(), "750.00");
    EXPECT_EQ(agent->Text("lbl1"), "Charge for Endorsed Policy");
    EXPECT_FALSE(agent->Shown("txt2"));
    EXPECT_FALSE(agent->Shown("lbl2"));
    BrokenClipboard broken; // a failure is reported and the reset still happens
    tk::Clipboard::SetBackend(&broken);
    Calculate(k101, {"100000"});
    agent->Enter();
    EXPECT_EQ(messages, QStringList{Messages::kNotCopied});
    EXPECT_EQ(agent->Text("txtTotalCharge"), "");
    EXPECT_EQ(agent->Focus(), "List1");
    EXPECT_FALSE(tk::Program::HasEnded());
}

// The fixed charge goes to the clipboard with its separator, and the line
// shows the charge again for the next closing.
TEST_F(ContinueTest, FixedEntryCopiesTheChargeThenShowsItAgain)
{
    EnterSplit("20");
    const struct {
        int line;
        const char* charge;
        const char* remit;
    } cases[] = {{k660, "25.00", "25.00"},
                 {k525, "25.00", "5.00"},
                 {k500, "No Charge", "0.00"},
                 {k510, "1,000.00", "1,000.00"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        QApplication::clipboard()->setText(QStringLiteral("left from before"));
        ArrowTo(c.line);
        agent->Click("cmdContinue");
        EXPECT_EQ(Clipboard(), c.charge);
        EXPECT_EQ(agent->Text("txt1"), "N/A");
        EXPECT_EQ(agent->Text("txtTotalCharge"), c.charge);
        EXPECT_EQ(agent->Text("txtRemit"), c.remit);
        EXPECT_EQ(agent->Text("lbl1"), "Liability");
        EXPECT_FALSE(agent->Shown("txt2"));
        EXPECT_EQ(agent->Focus(), "List1");
    }
}

// Stands a PDF file in for the printer (by its suffix); returns the file's path.
QString PrintToPdf(const QTemporaryDir& dir)
{
    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
    tk::SetPrinterFactory([pdf] {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFileName(pdf);
        return printer;
    });
    return pdf;
}

// The printed file's contents; the file is removed.
QByteArray TakePrinted(const QString& pdf)
{
    QFile file(pdf);
    const QByteArray page = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    file.remove();
    return page;
}

class CommandsTest : public RatesTest {
protected:
    void SetUp() override
    {
        RatesTest::SetUp();
        pdf = PrintToPdf(dir);
    }

    // Clicks Instructions; `whileOpen` runs once the instructions are up.
    void OpenInstructions(std::function<void(frmInst&)> whileOpen)
    {
        ModalWatcher watcher([this, whileOpen](QWidget* modal) {
            opened.push_back(modal);
            ASSERT_EQ(modal, &frmInst::Instance());
            whileOpen(frmInst::Instance());
        });
        agent->Click("cmdInst");
    }

    QTemporaryDir dir;
    QString pdf;
    std::vector<QWidget*> opened;
};

TEST_F(CommandsTest, PrintFormPrintsTheWindowAsItStandsAndChangesNothing)
{
    agent->Type("15");
    agent->Click("cmdPrintForm"); // works before the split is entered: it is checked on the way out
    EXPECT_TRUE(TakePrinted(pdf).startsWith("%PDF"));
    EXPECT_EQ(agent->Text("txtSplit"), "15.00");
    agent->ClickLine("List1", k525);
    agent->Click("cmdPrintForm");
    const QByteArray page = TakePrinted(pdf);
    EXPECT_TRUE(page.startsWith("%PDF"));
    EXPECT_TRUE(page.contains("/Subtype /Image"));
    EXPECT_EQ(agent->Text("txtTotalCharge"), "25.00");
    EXPECT_EQ(agent->Text("txtRemit"), "3.75");
    EXPECT_EQ(agent->Text("List1").left(3), "525");
    EXPECT_EQ(agent->Focus(), "cmdPrintForm");
    EXPECT_TRUE(messages.isEmpty());
    tk::SetPrinterFactory([] { return std::unique_ptr<QPrinter>(); }); // no printer: a message
    agent->Click("cmdPrintForm");
    EXPECT_EQ(messages, QStringList{kNotPrinted});
    EXPECT_FALSE(tk::Program::HasEnded());
    EXPECT_TRUE(rates->isVisible());
}

TEST_F(CommandsTest, InstructionsAreModalAndCloseReturnsToWhereTheAgentWas)
{
    EnterSplit("15");
    agent->ClickLine("List1", k525);
    OpenInstructions([&](frmInst& inst) {
        EXPECT_EQ(QApplication::activeModalWidget(), &inst);
        EXPECT_EQ(inst.windowModality(), Qt::ApplicationModal);
        EXPECT_EQ(inst.focusWidget()->objectName(), "cmdClose");
        // Keys and clicks the window system delivers to the rate window are refused.
        QTest::keyClick(rates->windowHandle(), Qt::Key_Down);
        const QPoint exit = agent->Control("cmdExit")->geometry().center();
        QTest::mouseClick(rates->windowHandle(), Qt::LeftButton, Qt::NoModifier, exit);
        EXPECT_EQ(agent->Text("List1").left(3), "525");
        EXPECT_TRUE(rates->isVisible());
        Agent(&inst).Click("cmdPrint");
        EXPECT_TRUE(inst.isVisible());
        Agent(&inst).Click("cmdClose");
    });
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(TakePrinted(pdf).contains("/Subtype /Image"));
    EXPECT_FALSE(frmInst::Instance().isVisible());
    EXPECT_TRUE(frmInst::Instance().IsLoaded());
    EXPECT_EQ(agent->Text("txtTotalCharge"), "25.00");
    EXPECT_EQ(agent->Text("txtRemit"), "3.75");
    EXPECT_EQ(agent->Focus(), "cmdInst");
    EXPECT_EQ(QApplication::activeWindow(), rates);
}

TEST_F(CommandsTest, OneInstructionsWindowServesEveryOpeningAndExitEndsAll)
{
    EnterSplit("15");
    OpenInstructions([](frmInst& inst) { inst.close(); }); // the title bar's close unloads
    EXPECT_FALSE(frmInst::Instance().IsLoaded());
    EXPECT_FALSE(tk::Program::HasEnded());
    tk::SetPrinterFactory([] { return std::unique_ptr<QPrinter>(); }); // no printer: a message
    OpenInstructions([this](frmInst& inst) {
        Agent(&inst).Click("cmdPrint");
        EXPECT_EQ(messages, QStringList{kNotPrinted});
        EXPECT_TRUE(inst.isVisible());
        Agent(&inst).Click("cmdClose");
    });
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], opened[1]);
    agent->Click("cmdExit"); // ends everything, the hidden instructions too
    EXPECT_TRUE(tk::Program::HasEnded());
    EXPECT_TRUE(tk::Form::LoadedForms().empty());
    for (QWidget* window : QApplication::topLevelWidgets())
        EXPECT_FALSE(window->isVisible()) << window->objectName().toStdString();
}

TEST_F(RatesTest, WithoutAnyInstalledPrinterPrintFormSaysSo)
{
    if (!QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "this machine has a printer installed";
    agent->Click("cmdPrintForm");
    EXPECT_EQ(messages, (QStringList{Messages::kEnterSplit, kNotPrinted}));
}

} // namespace
