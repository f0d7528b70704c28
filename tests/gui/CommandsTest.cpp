// Continue, Print Form, Instructions and Exit Program.

#include "tests/gui/WindowDriver.h"

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

const char* const kNotPrinted = "The form could not be printed. Please check your printer...";

// Line numbers of the catalogue, 0-based as the list shows them.
constexpr int k101 = 0, k402 = 6, k901 = 8, k660 = 10, k525 = 11, k520 = 13, k500 = 24, k510 = 60;

class ContinueTest : public RatesTest {
protected:
    void SetUp() override
    {
        RatesTest::SetUp();
        EnterSplit("20");
        QApplication::clipboard()->setText(QStringLiteral("left from before"));
    }

    void Calculate(int line, const std::string& amount, const std::string& second = {})
    {
        ArrowTo(line);
        agent->Enter();
        agent->Type(amount);
        agent->Enter();
        if (!second.empty()) {
            agent->Type(second);
            agent->Enter();
        }
        ASSERT_EQ(agent->Focus(), "cmdContinue");
    }

    QString Clipboard() const { return QApplication::clipboard()->text(); }
};

TEST_F(ContinueTest, ScheduleEntryTotalGoesToClipboardAndFieldsClear)
{
    Calculate(k101, "100000");
    agent->Enter(); // on Continue
    EXPECT_EQ(Clipboard(), "350.00");
    for (const char* field : {"txt1", "txtTotalCharge", "txtRemit"})
        EXPECT_EQ(agent->Text(field), "") << field;
    EXPECT_EQ(agent->Focus(), "List1");
    EXPECT_EQ(agent->Text("List1").left(3), "101");
    EXPECT_EQ(agent->Text("txtSplit"), "20.00");
    EXPECT_TRUE(rates->findChild<tk::TextBox*>("txtSplit")->Locked());
    // The next calculation of the same entry, with the same split.
    agent->Enter();
    agent->Type("250000");
    agent->Enter();
    EXPECT_EQ(agent->Text("txtTotalCharge"), "650.00");
    EXPECT_EQ(agent->Text("txtRemit"), "130.00");
}

// After Continue the selected entry asks for its amounts as on selection.
TEST_F(ContinueTest, AmountFieldsStayLabelledForTheSelectedEntry)
{
    Calculate(k901, "250000", "100000");
    agent->Enter();
    EXPECT_EQ(Clipboard(), "510.00");
    EXPECT_TRUE(agent->Shown("txt2"));
    EXPECT_EQ(agent->Text("txt2"), "");
    EXPECT_EQ(agent->Text("lbl2"), "Prior Policy Liability");
    ArrowTo(k402);
    agent->Click("cmdContinue");
    EXPECT_EQ(agent->Text("lbl2"), "Owners Policy Liability");
    Calculate(k520, "7500");
    agent->Enter();
    EXPECT_EQ(Clipboard(), "750.00");
    EXPECT_EQ(agent->Text("lbl1"), "Charge for Endorsed Policy");
    EXPECT_FALSE(agent->Shown("txt2"));
    EXPECT_FALSE(agent->Shown("lbl2"));
}

struct FixedCase {
    const char* name;
    int line;
    const char* clipboard;
    const char* remit;
};

class ContinueOnFixedEntry : public ContinueTest, public ::testing::WithParamInterface<FixedCase> {};

// The fixed charge goes to the clipboard with its separator, and picking the
// line again shows the charge once more for the next closing.
TEST_P(ContinueOnFixedEntry, ClipboardThenChargeShownAgain)
{
    const FixedCase& c = GetParam();
    ArrowTo(c.line);
    agent->Click("cmdContinue");
    EXPECT_EQ(Clipboard(), c.clipboard);
    EXPECT_EQ(agent->Text("txt1"), "N/A");
    EXPECT_EQ(agent->Text("txtTotalCharge"), c.clipboard);
    EXPECT_EQ(agent->Text("txtRemit"), c.remit);
    EXPECT_EQ(agent->Text("lbl1"), "Liability");
    EXPECT_FALSE(agent->Shown("txt2"));
    EXPECT_EQ(agent->Focus(), "List1");
}

INSTANTIATE_TEST_SUITE_P(Fixed, ContinueOnFixedEntry,
                         ::testing::Values(FixedCase{"Usury510", k510, "1,000.00", "1,000.00"},
                                           FixedCase{"NoCharge500", k500, "No Charge", "0.00"},
                                           FixedCase{"Protection660", k660, "25.00", "25.00"},
                                           FixedCase{"Street525", k525, "25.00", "5.00"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ContinueTest, NothingOnScreenGivesTheEmptyText)
{
    agent->Enter(); // into txt1 of the first line
    agent->Click("cmdContinue");
    EXPECT_EQ(Clipboard(), "");
    EXPECT_EQ(agent->Focus(), "List1");
}

// A clipboard that will not take the text.
class BrokenClipboard : public tk::Clipboard::Backend {
public:
    void Clear() override {}
    void SetText(const QString&) override {}
    QString GetText() override { return QStringLiteral("something else"); }
};

TEST_F(ContinueTest, ClipboardFailureIsReportedAndTheResetStillHappens)
{
    BrokenClipboard broken;
    tk::Clipboard::SetBackend(&broken);
    Calculate(k101, "100000");
    agent->Enter();
    EXPECT_EQ(modals.Texts(), QStringList{"The total could not be copied to the Clipboard..."});
    EXPECT_EQ(agent->Text("txtTotalCharge"), "");
    EXPECT_EQ(agent->Focus(), "List1");
    EXPECT_FALSE(tk::Program::HasEnded());
}

// ---- Printing ---------------------------------------------------------------------

// Stands a PDF file in for the printer; returns the file's path.
QString PrintToPdf(const QTemporaryDir& dir)
{
    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
    tk::SetPrinterFactory([pdf] {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        return printer;
    });
    return pdf;
}

QByteArray Printed(const QString& pdf)
{
    QFile file(pdf);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class PrintTest : public RatesTest {
protected:
    void SetUp() override
    {
        RatesTest::SetUp();
        pdf = PrintToPdf(dir);
    }

    QTemporaryDir dir;
    QString pdf;
};

TEST_F(PrintTest, PrintFormPutsTheWindowImageOnAPageAndChangesNothing)
{
    EnterSplit("15");
    ArrowTo(k525);
    const QString before = agent->Text("txtRemit");
    agent->Click("cmdPrintForm");
    const QByteArray page = Printed(pdf);
    EXPECT_TRUE(page.startsWith("%PDF"));
    EXPECT_TRUE(page.contains("/Subtype /Image"));
    EXPECT_EQ(agent->Text("txtRemit"), before);
    EXPECT_EQ(agent->Text("txtTotalCharge"), "25.00");
    EXPECT_EQ(agent->Text("List1").left(3), "525");
    EXPECT_EQ(agent->Focus(), "cmdPrintForm");
    EXPECT_TRUE(modals.Texts().isEmpty());
}

TEST_F(PrintTest, PrintFormWorksBeforeTheSplitIsEntered)
{
    agent->Type("15");
    agent->Click("cmdPrintForm"); // the split is checked on the way out
    EXPECT_TRUE(Printed(pdf).startsWith("%PDF"));
    EXPECT_EQ(agent->Text("txtSplit"), "15.00");
}

TEST_F(PrintTest, NoPrinterGivesTheMessageAndTheProgramGoesOn)
{
    tk::SetPrinterFactory([] { return std::unique_ptr<QPrinter>(); });
    EnterSplit("15");
    agent->Click("cmdPrintForm");
    EXPECT_EQ(modals.Texts(), QStringList{kNotPrinted});
    EXPECT_FALSE(tk::Program::HasEnded());
    EXPECT_TRUE(rates->isVisible());
}

TEST_F(RatesTest, WithoutAnyInstalledPrinterPrintFormSaysSo)
{
    if (!QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "this machine has a printer installed";
    agent->Click("cmdPrintForm");
    EXPECT_EQ(modals.Texts(), (QStringList{"Please enter your premium split percentage...", kNotPrinted}));
}

// ---- Instructions and Exit ----------------------------------------------------------

class InstructionsTest : public RatesTest {
protected:
    void SetUp() override
    {
        RatesTest::SetUp();
        EnterSplit("15");
        ArrowTo(k525);
    }

    // Opens the instructions and, while they are up, runs `whileOpen`.
    void OpenInstructions(std::function<void(frmInst&)> whileOpen)
    {
        modals.OnModalWindow([whileOpen](QWidget* modal) {
            auto* inst = qobject_cast<QWidget*>(modal);
            ASSERT_EQ(inst->objectName(), "frmInst");
            whileOpen(frmInst::Instance());
        });
        agent->Click("cmdInst");
    }
};

TEST_F(InstructionsTest, OpenModallyAndCloseBackToWhereTheAgentWas)
{
    bool wasModal = false;
    OpenInstructions([&](frmInst& inst) {
        wasModal = QApplication::activeModalWidget() == &inst
                   && inst.windowModality() == Qt::ApplicationModal;
        EXPECT_EQ(inst.focusWidget()->objectName(), "cmdClose");
        // Keys and clicks that the window system delivers to the rate window
        // are refused while the instructions are up.
        QTest::keyClick(rates->windowHandle(), Qt::Key_Down);
        const QPoint exit = agent->Control("cmdExit")->geometry().center();
        QTest::mouseClick(rates->windowHandle(), Qt::LeftButton, Qt::NoModifier, exit);
        EXPECT_EQ(agent->Text("List1").left(3), "525");
        EXPECT_TRUE(rates->isVisible());
        Agent(&inst).Click("cmdClose");
    });
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(frmInst::Instance().isVisible());
    EXPECT_TRUE(frmInst::Instance().IsLoaded());
    EXPECT_EQ(agent->Text("txtTotalCharge"), "25.00");
    EXPECT_EQ(agent->Text("txtRemit"), "3.75");
    EXPECT_EQ(agent->Focus(), "cmdInst");
    EXPECT_EQ(QApplication::activeWindow(), rates);
}

TEST_F(InstructionsTest, TheSameWindowServesEveryOpening)
{
    QWidget* first = nullptr;
    QWidget* second = nullptr;
    OpenInstructions([&](frmInst& inst) {
        first = &inst;
        Agent(&inst).Click("cmdClose");
    });
    OpenInstructions([&](frmInst& inst) {
        second = &inst;
        inst.close(); // the title bar's close unloads instead of hiding
    });
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_FALSE(frmInst::Instance().IsLoaded());
    EXPECT_FALSE(tk::Program::HasEnded());
}

TEST_F(InstructionsTest, PrintLeavesTheInstructionsShownAndUnchanged)
{
    QTemporaryDir dir;
    const QString pdf = PrintToPdf(dir);
    bool shownAfterPrint = false;
    OpenInstructions([&](frmInst& inst) {
        Agent(&inst).Click("cmdPrint");
        shownAfterPrint = inst.isVisible();
        Agent(&inst).Click("cmdClose");
    });
    EXPECT_TRUE(shownAfterPrint);
    EXPECT_TRUE(Printed(pdf).contains("/Subtype /Image"));
}

TEST_F(InstructionsTest, ExitAfterInstructionsEndsEverything)
{
    OpenInstructions([](frmInst& inst) { Agent(&inst).Click("cmdClose"); });
    agent->Click("cmdExit");
    EXPECT_TRUE(tk::Program::HasEnded());
    EXPECT_TRUE(tk::Form::LoadedForms().empty());
    for (QWidget* window : QApplication::topLevelWidgets())
        EXPECT_FALSE(window->isVisible()) << window->objectName().toStdString();
}

TEST_F(RatesTest, ExitProgramEndsTheProgram)
{
    EnterSplit("15");
    agent->Click("cmdExit");
    EXPECT_TRUE(tk::Program::HasEnded());
    EXPECT_FALSE(rates->isVisible());
    EXPECT_TRUE(tk::Form::LoadedForms().empty());
}

TEST_F(RatesTest, TitleBarCloseEndsTheProgramEvenBeforeTheSplit)
{
    rates->close();
    EXPECT_TRUE(tk::Program::HasEnded());
    EXPECT_TRUE(tk::Form::LoadedForms().empty());
}

} // namespace
