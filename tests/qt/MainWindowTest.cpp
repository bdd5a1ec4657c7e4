// The main window driven through its widgets, found by their ids, with a
// scripted driver behind it and scripted answers to its questions.
#include "MainWindowFixture.h"
#include "NumberedControls.h"
#include "RecordingWordApplication.h"

#include "docs/DocumentEngine.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <fstream>

namespace tessaprint {
namespace {

using test::kPrintout;
namespace Form = ControlId::Form;

class MainWindowTest : public test::MainWindowFixture {
protected:
    // Shown and active, as shortcuts need it, with the sample printout received.
    void StartActiveWithThePrintout()
    {
        Start();
        ShowAndActivate();
        ReceiveThePrintout();
    }

    // COM1 open, then a switch to COM4 while COM4 is busy.
    void FailToSwitchToCom4()
    {
        driver.busy = {3};
        Start();
        app->frame()->portAction(4)->trigger();
    }
};

TEST_F(MainWindowTest, FirstStartShowsTheFormAsStoredSettingsSayAndOpensCom1)
{
    Start();
    EXPECT_EQ(app->frame()->windowTitle(), "Tessaprint");
    EXPECT_TRUE(app->frame()->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(app->frame()->size(), QSize(950, 780));
    EXPECT_TRUE(Control<QRadioButton>(Form::Quellmax)->isChecked());
    EXPECT_FALSE(Control<QPushButton>(Form::DataSheet)->isEnabled());
    EXPECT_TRUE(Control<QPushButton>(Form::Version)->isHidden());
    EXPECT_TRUE(Control<QPushButton>(Form::Test)->isHidden());
    EXPECT_TRUE(Control<QLineEdit>(Form::VersionText)->isHidden());
    // At least the form's 50 × 14 units.
    EXPECT_GE(Control<QPushButton>(Form::Result)->width(), 75);
    EXPECT_GE(Control<QPushButton>(Form::Result)->height(), 22);
    auto* readings = Control<QTreeWidget>(Form::Readings);
    ASSERT_EQ(readings->columnCount(), 4); // and "Last time", empty without a history
    EXPECT_EQ(readings->headerItem()->text(2), "Reading");
    EXPECT_EQ(readings->columnWidth(0), 50);
    EXPECT_EQ(readings->columnWidth(1), 100);
    EXPECT_EQ(readings->columnWidth(2), 440);
    EXPECT_EQ(app->controller()->currentPort(), 1);
    EXPECT_TRUE(app->frame()->portAction(1)->isChecked());
    EXPECT_EQ(app->frame()->statusText(), "Ready");
    // Reading settings wrote nothing but the port tried.
    EXPECT_EQ(settings.writes(), 1);
    EXPECT_EQ(Setting(settings::kUnitType), "<none>");
    EXPECT_EQ(app->controller()->word2007(), 1);
}

TEST_F(MainWindowTest, ControlsAndCommandsKeepTheirNumbers)
{
    // The numbers are what settings, tools and earlier versions find the
    // controls by; this is the one place that spells them out.
    Start();
    EXPECT_EQ(app->frame()->objectName(), "128");
    const QStringList expected = {
        "1000 QLineEdit",
        "1001 QPushButton Version",
        "1002 QListWidget",
        "1003 QPushButton Clear Screen",
        "1004 QPushButton Notepad",
        "1005 QLabel",
        "1006 QPushButton RESULT",
        "1007 QPushButton Test",
        "1008 QPushButton CLR MEMORY",
        "1009 QComboBox",
        "101 tessaprint::CQuellmaxView",
        "1010 QTreeWidget",
        "1011 QPushButton Data Sheet",
        "1012 QLabel",
        "1013 QRadioButton QuellMax",
        "1014 QRadioButton Kappa 5100",
        "1015 QPushButton Work Order",
        "1057 QRadioButton PACTRX",
        "1058 QPushButton All Data Sheets",
        "1059 QPushButton History",
        "1060 QLabel",
        "1061 QPushButton Add...",
        "32771 QAction COM&1",
        "32772 QAction COM&2",
        "32773 QAction COM&3",
        "32774 QAction COM&4",
        "32775 QAction COM&5",
        "32776 QAction COM&6",
        "32777 QAction COM&7",
        "32778 QAction COM&8",
        "32779 QAction COM&9",
        "32780 QAction COM1&0",
        "32781 QAction &Directories...",
        "32782 QAction &Settings...",
        "32783 QAction Data Sheets for &All Equipment IDs",
        "32784 QAction Export Results as &CSV...",
        "32785 QAction &History...",
        "32786 QAction &Limits...",
        "32787 QAction &Equipment...",
        "32788 QAction &Due for Test...",
        "57600 QAction &New",
        "57601 QAction &Open Captured Lines...",
        "57603 QAction &Save Captured Lines...",
        "57664 QAction &About Tessaprint...",
        "57665 QAction E&xit",
        "59393 QAction &Status Bar",
        "59393 QStatusBar",
    };
    QStringList found = test::NumberedControls(app->frame());
    for (QString& line : found) {
        // A COM port's label goes on with its device and what the machine has there.
        if (const auto blanks = line.indexOf(QStringLiteral("  ")); line.contains(" QAction COM") && blanks > 0) {
            line.truncate(blanks);
        }
    }
    EXPECT_EQ(found, expected);
}

TEST_F(MainWindowTest, EveryMenuAndItemHasAMnemonicOfItsOwnAndDialogsEndInDots)
{
    Start();
    // The letter after the one '&' that is not "&&".
    const auto mnemonic = [](const QString& text) {
        const QRegularExpression single(QStringLiteral("(?<!&)&([^&])"));
        const QRegularExpressionMatch match = single.match(text);
        return match.hasMatch() ? match.captured(1).toLower() : QString();
    };
    QStringList menus;
    for (QAction* menuAction : app->frame()->menuBar()->actions()) {
        const QString title = menuAction->text();
        EXPECT_FALSE(mnemonic(title).isEmpty()) << title.toStdString();
        EXPECT_FALSE(menus.contains(mnemonic(title))) << title.toStdString();
        menus << mnemonic(title);
        QStringList items;
        for (QAction* item : menuAction->menu()->actions()) {
            if (item->isSeparator()) {
                continue;
            }
            const QString letter = mnemonic(item->text());
            EXPECT_FALSE(letter.isEmpty()) << item->text().toStdString();
            EXPECT_FALSE(items.contains(letter)) << title.toStdString() << ": " << item->text().toStdString();
            items << letter;
        }
    }
    EXPECT_EQ(menus, (QStringList{"f", "v", "p", "o", "h"}));
    // "..." where a dialog asks first; the rest act at once.
    QStringList dotted;
    for (QAction* item : app->frame()->findChildren<QAction*>()) {
        if (item->text().endsWith(QStringLiteral("..."))) {
            dotted << item->objectName();
        }
    }
    dotted.sort();
    QStringList expected;
    for (const int id :
         {ControlId::Command::OptionsDirectories, ControlId::Command::OptionsLimits, ControlId::Command::PortSettings,
          ControlId::Command::FileExportCsv, ControlId::Command::ViewHistory, ControlId::Command::ViewEquipment,
          ControlId::Command::ViewDueForTest, ControlId::Command::FileOpen, ControlId::Command::FileSave,
          ControlId::Command::HelpAbout}) {
        expected << ControlName(id);
    }
    expected.sort();
    EXPECT_EQ(dotted, expected);
}

TEST_F(MainWindowTest, F5AndCtrlDPressRESULTAndDataSheetFromAnyControlOfTheFormWhileTheyAreOn)
{
    QTemporaryDir reports;
    settings.Write(settings::kReports, reports.path().toStdString());
    Start();
    ShowAndActivate();
    auto* readings = Control<QTreeWidget>(Form::Readings);
    readings->setFocus();
    // Data Sheet is off before a capture; so is Ctrl+D, and Ctrl+H without a history.
    QTest::keyClick(readings, Qt::Key_D, Qt::ControlModifier);
    QTest::keyClick(readings, Qt::Key_H, Qt::ControlModifier);
    EXPECT_TRUE(QDir(reports.path()).entryList({QStringLiteral("*.docx")}).isEmpty());
    EXPECT_EQ(app->history(), nullptr);

    QTest::keyClick(readings, Qt::Key_F5);
    EXPECT_EQ(driver.written, "print\r\n");
    QTest::keyClick(readings, Qt::Key_F5); // RESULT is off while the capture arrives
    EXPECT_EQ(driver.written, "print\r\n");
    Receive(kPrintout);
    auto* selector = Control<QComboBox>(Form::EquipmentId);
    selector->setFocus();
    QTest::keyClick(selector, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(app->controller()->lastDocumentPath(), reports.filePath("10234-307201590508.docx").toStdString());
    EXPECT_EQ(Control<QPushButton>(Form::Result)->toolTip(), "RESULT (F5)");
    EXPECT_EQ(Control<QPushButton>(Form::DataSheet)->toolTip(), "Data Sheet (Ctrl+D)");
}

TEST_F(MainWindowTest, FileChoosersStartInTheirFolderAndRememberTheLastOneUsed)
{
    QTemporaryDir reports;
    QTemporaryDir elsewhere;
    settings.Write(settings::kReports, reports.path().toStdString());
    const std::string captures = reports.filePath("captures").toStdString();
    StartActiveWithThePrintout(); // archived below the reports folder
    PressCtrlChoosing(Qt::Key_O, std::nullopt);
    app->frame()->findChild<QAction*>(ControlName(ControlId::Command::FileExportCsv))->trigger();
    PressCtrlChoosing(Qt::Key_S, elsewhere.filePath("lines.txt").toStdString());
    PressCtrlChoosing(Qt::Key_O, std::nullopt); // the save's folder, not the cancelled open's
    prompts.files = {elsewhere.filePath("results.csv").toStdString()};
    app->frame()->findChild<QAction*>(ControlName(ControlId::Command::FileExportCsv))->trigger();
    EXPECT_EQ(prompts.fileQuestions,
              (std::vector<std::string>{
                  "Open Captured Lines @ " + captures, "Export Results as CSV @ " + reports.path().toStdString(),
                  "Save Captured Lines @ " + captures, "Open Captured Lines @ " + elsewhere.path().toStdString(),
                  "Export Results as CSV @ " + reports.path().toStdString()}));
    EXPECT_EQ(Setting(settings::kCapturedLinesFolder), elsewhere.path().toStdString());
    EXPECT_EQ(Setting(settings::kCsvExportFolder), elsewhere.path().toStdString());

    // Kept for the next start, while the folder is there.
    app.reset();
    prompts.fileQuestions.clear();
    Start();
    ShowAndActivate();
    PressCtrlChoosing(Qt::Key_O, std::nullopt);
    settings.Write(settings::kCapturedLinesFolder, elsewhere.filePath("gone").toStdString());
    PressCtrlChoosing(Qt::Key_O, std::nullopt);
    EXPECT_EQ(prompts.fileQuestions,
              (std::vector<std::string>{"Open Captured Lines @ " + elsewhere.path().toStdString(),
                                        "Open Captured Lines @ " + captures}));
}

TEST_F(MainWindowTest, WholeCaptureFromResultClickToFilledList)
{
    Start();
    Click(Form::Result);
    EXPECT_EQ(driver.written, "print\r\n");
    driver.Arrive(kPrintout);
    driver.Raise(kTextEvent);
    EXPECT_EQ(Lines().size(), 7);
    EXPECT_TRUE(app->frame()->statusText().contains("7 lines, 2 equipment IDs"));
    EXPECT_TRUE(Rows().isEmpty()); // the list waits for the quiet time
    clock.Advance(749);
    QCoreApplication::processEvents();
    EXPECT_TRUE(Rows().isEmpty());
    clock.Advance(1);
    EXPECT_TRUE(Rows().isEmpty()); // posted, not handled inside the receive handler
    QCoreApplication::processEvents();
    EXPECT_EQ(Rows(), (QStringList{"1|Case Leakage|0.1 uA", "2|Ground Resistance|0.123 Ohms"}));
    EXPECT_EQ(Control<QLabel>(Form::ResultsCaption)->text(), "Results");
    EXPECT_EQ(Control<QLabel>(Form::SelectCaption)->text(), "Select Equipment ID");
    EXPECT_TRUE(Control<QPushButton>(Form::DataSheet)->isEnabled());

    auto* selector = Control<QComboBox>(Form::EquipmentId);
    ASSERT_EQ(selector->count(), 2);
    selector->setCurrentIndex(1);
    emit selector->activated(1);
    EXPECT_EQ(Rows(), (QStringList{"1|Line Voltage|119.8 V"}));
}

TEST_F(MainWindowTest, ResultTwiceStartsFromAnEmptyFormAndRecordZero)
{
    Start();
    ReceiveThePrintout();
    Click(Form::Result);
    EXPECT_TRUE(Lines().isEmpty());
    EXPECT_EQ(Control<QComboBox>(Form::EquipmentId)->count(), 0);
    EXPECT_TRUE(Rows().isEmpty());
    EXPECT_FALSE(Control<QPushButton>(Form::DataSheet)->isEnabled());
    EXPECT_EQ(Control<QLabel>(Form::SelectCaption)->text(), "");
    EXPECT_EQ(Control<QLabel>(Form::ResultsCaption)->text(), "");
    Receive("EquipmentID: X\r\n1.Leakage 5 uA\r\n");
    EXPECT_EQ(app->controller()->table().recordIndex(), 0);
    EXPECT_EQ(Rows(), (QStringList{"1|Leakage|5 uA"}));
    EXPECT_EQ(driver.written, "print\r\nprint\r\n");
}

TEST_F(MainWindowTest, ClearMemoryCancelledErasesNothing)
{
    Start();
    ReceiveThePrintout();
    driver.written.clear();
    prompts.confirmAnswer = kIdCancel;
    Click(Form::ClearMemory);
    EXPECT_EQ(prompts.confirms, (std::vector<std::string>{"Erase all results in the Quellmax?"}));
    EXPECT_EQ(driver.written, "");
    EXPECT_EQ(app->controller()->table().recordIndex(), 1);
}

TEST_F(MainWindowTest, ClearMemoryAsksByTheRadioButtonAndErasesOnOk)
{
    Start();
    ReceiveThePrintout();
    driver.written.clear();
    prompts.confirmAnswer = kIdOk;
    Click(Form::Kappa5100);
    EXPECT_EQ(Setting(settings::kUnitType), "Kappa 5100");
    Click(Form::ClearMemory);
    EXPECT_EQ(prompts.confirms.back(), "Erase all results in the Kappa 5100?");
    EXPECT_EQ(driver.written, "PRINTCLR\r\n");
    EXPECT_EQ(app->controller()->table().recordIndex(), 0);
    EXPECT_EQ(app->controller()->table().valueIndex(), 0);
    EXPECT_EQ(Lines().size(), 7); // the earlier printout stays on the form
}

TEST_F(MainWindowTest, ClearMemoryForThePacemakerAnalyzerAsksNothingAndSendsNothing)
{
    Start();
    ReceiveThePrintout();
    driver.written.clear();
    prompts.confirmAnswer = kIdOk; // were it asked, the erase would go out
    Click(Form::Pactrx);
    EXPECT_EQ(Setting(settings::kUnitType), "PTRX");
    Click(Form::ClearMemory);
    EXPECT_TRUE(prompts.confirms.empty());
    EXPECT_EQ(driver.written, "");
}

TEST_F(MainWindowTest, SwitchToABusyPortKeepsThePreviousOne)
{
    FailToSwitchToCom4();
    EXPECT_EQ(prompts.errors, (std::vector<std::string>{"          Port COM4 is in use !"}));
    EXPECT_EQ(app->controller()->currentPort(), 1);
    EXPECT_EQ(Setting(settings::kPort), "COM1");
    EXPECT_TRUE(app->frame()->portAction(1)->isChecked());
    EXPECT_FALSE(app->frame()->portAction(4)->isChecked());
}

TEST_F(MainWindowTest, AfterARefusedSwitchAFreePortIsTakenAndStored)
{
    FailToSwitchToCom4();
    app->frame()->portAction(7)->trigger();
    EXPECT_TRUE(app->frame()->portAction(7)->isChecked());
    EXPECT_FALSE(app->frame()->portAction(1)->isChecked());
    EXPECT_EQ(Setting(settings::kPort), "COM7");
    EXPECT_EQ(driver.openIndex, 6);
}

TEST_F(MainWindowTest, StartUpWithABusyStoredPortSaysSoAndKeepsItUnmarked)
{
    settings.Write(settings::kPort, "COM3");
    driver.busy = {2};
    Start();
    EXPECT_EQ(prompts.errors, (std::vector<std::string>{"Port COM3 is in use !"}));
    EXPECT_EQ(app->controller()->currentPort(), 3);
    for (int n = 1; n <= 10; ++n) {
        EXPECT_FALSE(app->frame()->portAction(n)->isChecked()) << n; // the mark is on an open port only
    }
    EXPECT_EQ(Setting(settings::kPort), "COM3");
}

TEST_F(MainWindowTest, StartUpWithAnUnknownStoredPortOpensNoneAndKeepsTheSetting)
{
    for (const char* stored : {"com3", "COM12"}) {
        SCOPED_TRACE(stored);
        app.reset();
        prompts.errors.clear();
        driver.opened.clear();
        settings.Write(settings::kPort, stored);
        Start();
        EXPECT_TRUE(prompts.errors.empty());
        EXPECT_TRUE(driver.opened.empty());
        EXPECT_EQ(app->controller()->currentPort(), 0);
        for (int n = 1; n <= 10; ++n) {
            EXPECT_FALSE(app->frame()->portAction(n)->isChecked());
        }
        EXPECT_EQ(Setting(settings::kPort), stored);
    }
}

TEST_F(MainWindowTest, StoredKindAndWordFlagAreShown)
{
    settings.Write(settings::kUnitType, "PTRX");
    settings.Write(settings::kWord2007, "0");
    Start();
    EXPECT_TRUE(Control<QRadioButton>(Form::Pactrx)->isChecked());
    EXPECT_EQ(app->controller()->word2007(), 0);
    Click(Form::ClearMemory);
    EXPECT_TRUE(prompts.confirms.empty());
}

TEST_F(MainWindowTest, AnUnknownStoredKindChecksNoRadioButtonAndAWordFlagThatIsNoNumberMeansOne)
{
    settings.Write(settings::kUnitType, "Toaster");
    settings.Write(settings::kWord2007, "yes");
    Start();
    EXPECT_FALSE(Control<QRadioButton>(Form::Quellmax)->isChecked());
    EXPECT_FALSE(Control<QRadioButton>(Form::Kappa5100)->isChecked());
    EXPECT_FALSE(Control<QRadioButton>(Form::Pactrx)->isChecked());
    EXPECT_EQ(app->controller()->word2007(), 1);
}

TEST_F(MainWindowTest, CornerDoubleClickEnablesDataSheet)
{
    Start();
    auto* form = app->view();
    form->resize(950, 700);
    auto* dataSheet = Control<QPushButton>(Form::DataSheet);
    QTest::mouseDClick(form, Qt::LeftButton, Qt::NoModifier, QPoint(900, 700));
    EXPECT_FALSE(dataSheet->isEnabled());
    QTest::mouseDClick(form, Qt::LeftButton, Qt::NoModifier, QPoint(901, 651));
    EXPECT_TRUE(dataSheet->isEnabled());
    EXPECT_TRUE(Rows().isEmpty());
}

TEST_F(MainWindowTest, ClearScreenKeepsSelectorAndRowsAndResetsCounters)
{
    Start();
    ReceiveThePrintout();
    Click(Form::ClearScreen);
    EXPECT_TRUE(Lines().isEmpty());
    EXPECT_FALSE(Control<QPushButton>(Form::DataSheet)->isEnabled());
    EXPECT_EQ(Control<QComboBox>(Form::EquipmentId)->count(), 2);
    EXPECT_EQ(Rows().size(), 2);
    EXPECT_EQ(app->controller()->table().recordIndex(), 0);
    auto* selector = Control<QComboBox>(Form::EquipmentId);
    emit selector->activated(0);
    EXPECT_EQ(Rows().size(), 2);
    EXPECT_TRUE(Control<QPushButton>(Form::DataSheet)->isEnabled());
}

TEST_F(MainWindowTest, VersionButtonAsksTheInstrumentAndShowsTheReply)
{
    Start();
    Click(Form::Version);
    EXPECT_EQ(Control<QLineEdit>(Form::VersionText)->text(), "------");
    EXPECT_EQ(driver.written, std::string("\xF0\x04\x00\xF4", 4));
    EXPECT_EQ(app->frame()->size(), QSize(920, 730));
    driver.Arrive(std::string("\xF0\x09\x00\xF9"
                              "ABCD\x04",
                              9));
    driver.Raise(kBlockEvent);
    EXPECT_EQ(Control<QLineEdit>(Form::VersionText)->text(), "ABCD");
}

TEST_F(MainWindowTest, CtrlSSavesTheReceivedLines)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("capture.txt").toStdString();
    StartActiveWithThePrintout();
    PressCtrlChoosing(Qt::Key_S, path);
    std::ifstream in(path, std::ios::binary);
    const std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(saved, kPrintout);
}

TEST_F(MainWindowTest, SavedCaptureOpensAgainWithItsRecords)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("capture.txt").toStdString();
    StartActiveWithThePrintout();
    PressCtrlChoosing(Qt::Key_S, path);

    // After a restart the saved lines give the same records, without the instrument.
    app.reset();
    driver.written.clear();
    Start();
    ShowAndActivate();
    PressCtrlChoosing(Qt::Key_O, path);
    EXPECT_EQ(Lines().size(), 7);
    EXPECT_EQ(Control<QComboBox>(Form::EquipmentId)->count(), 2);
    EXPECT_EQ(Rows(), (QStringList{"1|Case Leakage|0.1 uA", "2|Ground Resistance|0.123 Ohms"}));
    EXPECT_TRUE(Control<QPushButton>(Form::DataSheet)->isEnabled());
    EXPECT_EQ(driver.written, "");
}

TEST_F(MainWindowTest, AFileThatCannotBeOpenedSaysSoAndLeavesTheFormAlone)
{
    QTemporaryDir dir;
    StartActiveWithThePrintout();
    PressCtrlChoosing(Qt::Key_O, dir.filePath("missing.txt").toStdString());
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_NE(prompts.errors[0].find("missing.txt"), std::string::npos);
    EXPECT_EQ(Lines().size(), 7);
}

TEST_F(MainWindowTest, ACaptureNamedOnTheCommandLineOpensAsFileOpenWouldAndAMissingOneIsSaid)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("capture.txt").toStdString();
    std::ofstream(path, std::ios::binary) << kPrintout;
    Start();
    app->controller()->OpenNamedCapture(path);
    EXPECT_TRUE(prompts.errors.empty());
    EXPECT_EQ(Lines().size(), 7);
    EXPECT_EQ(Control<QComboBox>(Form::EquipmentId)->count(), 2);
    EXPECT_EQ(Rows(), (QStringList{"1|Case Leakage|0.1 uA", "2|Ground Resistance|0.123 Ohms"}));
    EXPECT_EQ(app->frame()->statusText().toStdString(), "Opened 7 lines from " + path);
    EXPECT_EQ(driver.written, "");

    app->controller()->OpenNamedCapture(dir.filePath("missing.txt").toStdString());
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_NE(prompts.errors[0].find("missing.txt"), std::string::npos);
    EXPECT_EQ(Lines().size(), 7);
}

TEST_F(MainWindowTest, DataSheetWritesTheChosenRecordIntoTheReportsFolder)
{
    QTemporaryDir reports;
    settings.Write(settings::kReports, reports.path().toStdString());
    Start();
    ReceiveThePrintout();
    auto* selector = Control<QComboBox>(Form::EquipmentId);
    selector->setCurrentIndex(1);
    emit selector->activated(1);
    Click(Form::DataSheet);
    ASSERT_TRUE(prompts.messageBoxes.empty()) << prompts.messageBoxes.front();
    const std::string path = app->controller()->lastDocumentPath();
    EXPECT_EQ(path, reports.filePath("BIO-5521-307201590508.docx").toStdString());
    EXPECT_TRUE(QFile::exists(QString::fromStdString(path)));
    EXPECT_TRUE(app->frame()->statusText().contains("BIO-5521"));
}

TEST_F(MainWindowTest, ADataSheetNameTheFolderCannotHoldIsRefusedAndNothingIsWritten)
{
    QTemporaryDir reports;
    settings.Write(settings::kReports, reports.path().toStdString());
    Start();
    Click(Form::Result);
    Receive("EquipmentID: ../x\r\n1.Case Leakage 1 uA\r\n");
    Click(Form::DataSheet);
    ASSERT_EQ(prompts.messageBoxes.size(), 1u);
    EXPECT_EQ(prompts.messageBoxes[0].rfind("COM Error: 0x8007007B. ", 0), 0u);
    EXPECT_EQ(QDir(reports.path()).entryList(QDir::Files).size(), 0);
}

TEST_F(MainWindowTest, DataSheetFollowsTheKindRadioButtons)
{
    QTemporaryDir reports;
    settings.Write(settings::kReports, reports.path().toStdString());
    Start();
    Click(Form::Result);
    Receive("EquipmentID: K1\r\nDate: 04/05/2015\r\n1.Defib 360.0 J 2000 V 50.0 A\r\n2.ATR 12.5 uJ 5.0 V\r\n");
    for (const int radio : {Form::Kappa5100, Form::Pactrx}) {
        Click(radio);
        Click(Form::DataSheet);
    }
    ASSERT_TRUE(prompts.messageBoxes.empty()) << prompts.messageBoxes.front();
    const QStringList files = QDir(reports.path()).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(files, (QStringList{"K1-307201590508-2.docx", "K1-307201590508.docx"}));
    EXPECT_EQ(app->controller()->table().currentDate(), " 04/05/2015");
}

// The document engine behind a recorder that makes one operation fail, as
// an automation error would in the middle of a walk.
class FailingWordProcessor : public docs::RecordingWordApplication {
public:
    explicit FailingWordProcessor(std::size_t failAt) : docs::RecordingWordApplication(&m_engine)
    {
        FailAt(failAt, 0x80020009, "Exception occurred.");
    }

private:
    docs::DocumentEngine m_engine;
};

TEST_F(MainWindowTest, DataSheetGoesThroughTheWordProcessorTheProgramWasGiven)
{
    QTemporaryDir reports;
    settings.Write(settings::kReports, reports.path().toStdString());
    int made = 0;
    wordProcessor = [&made] {
        ++made;
        return std::make_unique<FailingWordProcessor>(60);
    };
    Start();
    ReceiveThePrintout();
    Click(Form::DataSheet);
    EXPECT_EQ(made, 1);
    ASSERT_EQ(prompts.messageBoxes.size(), 1u);
    EXPECT_EQ(prompts.messageBoxes[0], "COM Error: 0x80020009. Exception occurred.");
    EXPECT_EQ(app->controller()->lastDocumentPath(), "");
    EXPECT_EQ(QDir(reports.path()).entryList(QDir::Files).size(), 0);
}

} // namespace
} // namespace tessaprint
