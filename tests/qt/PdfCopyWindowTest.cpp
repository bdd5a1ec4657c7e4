// PDF copies through the window: the Directories check box, the copy of each
// document written made in the background with fake office programs, what
// the status bar says, and the job runner this system uses on Windows.
#include "MainWindowFixture.h"

#include "docs/COptionsDirectory.h"
#include "docs/PdfCopyQueue.h"
#include "results/AllDataSheetsRunner.h"
#include "results/CAllDataSheetsDlg.h"
#include "util/QtProcessRunner.h"
#include "workorder/CWorkOrder1.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>

#include <csignal>

namespace tessaprint {
namespace {

using namespace ControlId;

// A computer with LibreOffice in /usr/bin, and one without any.
docs::OfficeEnvironment Computer(bool withOffice)
{
    docs::OfficeEnvironment environment;
    environment.variable = [](const std::string&) { return std::string(); };
    environment.isProgram = [withOffice](const std::string& path) { return withOffice && path == "/usr/bin/soffice"; };
    environment.folderNames = [](const std::string&) { return std::vector<std::string>(); };
    return environment;
}

class PdfCopyWindowTest : public test::MainWindowFixture {
protected:
    void SetUp() override
    {
        settings.Write(settings::kReports, reports.path().toStdString());
        settings.Write(settings::kSavePdf, "1");
    }

    // A fake office program, named in the settings: each run does onRun, then
    // body for each document it is given in turn ($out is its --outdir,
    // $name the document's base name).
    void UseOffice(const QString& body, const QString& onRun = QString())
    {
        const QString path = scripts.filePath(QStringLiteral("office-%1").arg(++m_offices));
        QFile script(path);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(
            ("#!/bin/sh\nout=\nprev=\nfor a in \"$@\"; do [ \"$prev\" = --outdir ] && out=$a; prev=$a; done\n" + onRun +
             "\nfor doc in \"$@\"; do\ncase \"$doc\" in *.docx) ;; *) continue ;; esac\n" +
             "name=$(basename \"$doc\" .docx)\n" + body + "\ndone\n")
                .toUtf8());
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        settings.Write(settings::kOfficeCommand, path.toStdString());
    }
    static QString WritesAPdf() { return QStringLiteral("printf '%%PDF-1.4 stand-in' >\"$out/$name.pdf\""); }

    QCheckBox* OpenDirectories()
    {
        app->OnOptionsDirectories();
        return app->directories()->findChild<QCheckBox*>(ControlName(Directories::SavePdf));
    }
    void PressOk()
    {
        QTest::mouseClick(app->directories()->findChild<QPushButton*>(ControlName(Dialog::Ok)), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QString Status() const { return app->frame()->statusText(); }
    // The copies are made on another thread: their news arrives through the event loop.
    bool StatusBecomes(const QString& expected)
    {
        return QTest::qWaitFor([&] { return Status() == expected; }, 20000);
    }
    QString Document(const QString& name) const { return reports.filePath(name); }
    QString ProgressText() const
    {
        return app->allDataSheetsProgress() ? app->allDataSheetsProgress()->text() : QString();
    }
    // All Data Sheets' closing message, once its PDF copies are all told of.
    bool Summarised()
    {
        return QTest::qWaitFor([&] { return !prompts.actionMessages.empty(); }, 20000);
    }
    QStringList Pdfs() const { return QDir(reports.path()).entryList({QStringLiteral("*.pdf")}, QDir::Files); }

    QTemporaryDir reports;
    QTemporaryDir scripts;

private:
    int m_offices = 0;
};

TEST_F(PdfCopyWindowTest, TheCheckBoxStandsBelowWord2007AndKeepsSavePdf)
{
    const docs::OfficeEnvironment computer = Computer(true);
    officeEnvironment = &computer;
    ASSERT_NO_FATAL_FAILURE(Start());
    QCheckBox* savePdf = OpenDirectories();
    ASSERT_NE(savePdf, nullptr);
    const auto* word2007 = app->directories()->findChild<QCheckBox*>(ControlName(Directories::Word2007));
    EXPECT_EQ(savePdf->text(), "Also save a PDF copy");
    EXPECT_EQ(savePdf->x(), word2007->x());
    EXPECT_GE(savePdf->y(), word2007->geometry().bottom());
    EXPECT_LE(savePdf->geometry().bottom(), app->directories()->findChild<QPushButton*>(ControlName(Dialog::Ok))->y());
    EXPECT_TRUE(savePdf->isEnabled());
    EXPECT_TRUE(savePdf->isChecked());
    savePdf->setChecked(false);
    PressOk();
    EXPECT_EQ(Setting(settings::kSavePdf), "0");

    settings.Write(settings::kSavePdf, "true"); // only "1" is on
    savePdf = OpenDirectories();
    EXPECT_FALSE(savePdf->isChecked());
    savePdf->setChecked(true);
    QTest::keyClick(app->directories(), Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Setting(settings::kSavePdf), "true");
    OpenDirectories()->setChecked(true);
    PressOk();
    EXPECT_EQ(Setting(settings::kSavePdf), "1");
}

TEST_F(PdfCopyWindowTest, WithoutAnOfficeProgramTheCheckBoxSaysWhyAndADocumentSaysSoToo)
{
    const docs::OfficeEnvironment computer = Computer(false);
    officeEnvironment = &computer;
    ASSERT_NO_FATAL_FAILURE(Start());
    QCheckBox* savePdf = OpenDirectories();
    EXPECT_FALSE(savePdf->isEnabled());
    EXPECT_EQ(savePdf->toolTip(), "LibreOffice (soffice) was not found on PATH or in its usual install places; set "
                                  "Settings/szOfficeCommand to its path.");
    PressOk();
    EXPECT_EQ(Setting(settings::kSavePdf), "1"); // a box that cannot be used changes nothing

    ReceiveThePrintout();
    Click(Form::DataSheet);
    EXPECT_EQ(Status(), "PDF copy of 10234-307201590508.docx failed: " + QString::fromStdString(docs::kOfficeNotFound));
    EXPECT_EQ(app->pdfCopies()->Outstanding(), 0);
    EXPECT_TRUE(QFile::exists(Document("10234-307201590508.docx")));
}

TEST_F(PdfCopyWindowTest, TheStatusBarSaysHowEachCopyEnded)
{
    ASSERT_NO_FATAL_FAILURE(UseOffice(WritesAPdf()));
    ASSERT_NO_FATAL_FAILURE(Start());
    ReceiveThePrintout();
    Click(Form::DataSheet);
    // The window goes on at once; the copy follows.
    EXPECT_EQ(Status(), "Saved " + Document("10234-307201590508.docx"));
    EXPECT_EQ(app->pdfCopies()->Outstanding(), 1);
    ASSERT_TRUE(StatusBecomes("PDF copy saved: " + Document("10234-307201590508.pdf"))) << Status().toStdString();
    QFile pdf(Document("10234-307201590508.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_EQ(pdf.readAll(), "%PDF-1.4 stand-in");

    settings.Write(settings::kPdfTimeLimitSeconds, "1");
    ASSERT_NO_FATAL_FAILURE(UseOffice("sleep 60"));
    Click(Form::DataSheet);
    EXPECT_TRUE(StatusBecomes("PDF copy of 10234-307201590508-2.docx failed: LibreOffice did not finish within 1 s"))
        << Status().toStdString();
    EXPECT_FALSE(QFile::exists(Document("10234-307201590508-2.pdf")));
    EXPECT_TRUE(QFile::exists(Document("10234-307201590508-2.docx")));
}

TEST_F(PdfCopyWindowTest, TheWorkOrderExportGetsACopyAndOffMeansNone)
{
    ASSERT_NO_FATAL_FAILURE(UseOffice(WritesAPdf()));
    ASSERT_NO_FATAL_FAILURE(Start());
    app->OnWorkOrder();
    QTest::keyClicks(app->workOrder()->findChild<QLineEdit*>(ControlName(WorkOrder::Company)), "Mercy");
    QTest::mouseClick(app->workOrder()->findChild<QPushButton*>(ControlName(WorkOrder::ExportToWord)), Qt::LeftButton);
    ASSERT_TRUE(StatusBecomes("PDF copy saved: " + Document("Mercy-Work-Order-307201590508.pdf")))
        << Status().toStdString();

    settings.Write(settings::kSavePdf, "0");
    ReceiveThePrintout();
    Click(Form::DataSheet);
    EXPECT_EQ(app->pdfCopies()->Outstanding(), 0);
    EXPECT_EQ(Status(), "Saved " + Document("10234-307201590508.docx"));
}

TEST_F(PdfCopyWindowTest, EveryDocumentOfAllDataSheetsGetsItsCopy)
{
    ASSERT_NO_FATAL_FAILURE(UseOffice(WritesAPdf()));
    ASSERT_NO_FATAL_FAILURE(Start());
    ReceiveThePrintout();
    prompts.pressAction = false; // the closing message: OK
    Click(Form::AllDataSheets);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !app->allDataSheets()->IsRunning(); }, 20000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return app->pdfCopies()->Outstanding() == 0; }, 20000));
    const QStringList documents = QDir(reports.path()).entryList({QStringLiteral("*.docx")}, QDir::Files);
    ASSERT_EQ(documents.size(), 2);
    for (QString name : documents) {
        EXPECT_TRUE(QFile::exists(Document(name.replace(QStringLiteral(".docx"), QStringLiteral(".pdf")))))
            << name.toStdString();
    }
}

TEST_F(PdfCopyWindowTest, AllDataSheetsCopiesEveryDocumentInOneOfficeRunCountingThemInTheDialog)
{
    // The first document's PDF; the second, an empty file, and the run ends once the test lets it.
    const QString runs = scripts.filePath("runs");
    const QString go = scripts.filePath("go");
    const QString first = scripts.filePath("first");
    ASSERT_NO_FATAL_FAILURE(UseOffice("if [ -e '" + first + "' ]; then\n: >\"$out/$name.pdf\"\nwhile [ ! -e '" + go +
                                          "' ]; do sleep 0.05; done\nelse\n" + WritesAPdf() + "\n: >'" + first +
                                          "'\nfi",
                                      "echo run >>'" + runs + "'"));
    ASSERT_NO_FATAL_FAILURE(Start());
    ReceiveThePrintout();
    Click(Form::AllDataSheets);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ProgressText() == "Making PDF copies: 1 of 2"; }, 20000))
        << ProgressText().toStdString();
    EXPECT_EQ(app->allDataSheetsProgress()->findChild<QProgressBar*>(ControlName(AllDataSheets::Progress))->value(), 1);
    EXPECT_FALSE(app->allDataSheets()->IsRunning()); // the documents are written
    EXPECT_TRUE(prompts.actionMessages.empty());
    QFile(go).open(QIODevice::WriteOnly);
    ASSERT_TRUE(Summarised());
    EXPECT_EQ(app->allDataSheetsProgress(), nullptr);

    const std::vector<std::string>& written = app->allDataSheets()->result().written;
    ASSERT_EQ(written.size(), 2u);
    const QString second = QFileInfo(QString::fromStdString(written[1])).fileName();
    const std::string folder = QDir(reports.path()).absolutePath().toStdString();
    EXPECT_EQ(prompts.actionMessages[0], "All Data Sheets | Wrote 2 test records to " + folder +
                                             ".\n1 of 2 PDF copies made.\n1 PDF copy failed:\n" + second.toStdString() +
                                             ": LibreOffice wrote an empty file | Open Reports Folder");
    EXPECT_EQ(Status(), "Wrote 2 test records to " + QString::fromStdString(folder) + "; 1 PDF copy, 1 failed");
    EXPECT_EQ(Pdfs(), QStringList{QFileInfo(QString::fromStdString(written[0])).completeBaseName() + ".pdf"});
    QFile ran(runs);
    ASSERT_TRUE(ran.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(ran.readAll()), "run\n"); // one office run for both
}

TEST_F(PdfCopyWindowTest, CancelStopsAllDataSheetsCopiesKeepingThoseMade)
{
    // The first document's PDF, then the start of the second's and a wait that only a kill ends.
    const QString pidFile = scripts.filePath("pid");
    const QString first = scripts.filePath("first");
    ASSERT_NO_FATAL_FAILURE(UseOffice("if [ -e '" + first + "' ]; then\necho $$ >'" + pidFile +
                                      "'\nprintf '%%PDF-1.4 half' >\"$out/$name.pdf\"\nsleep 300\nfi\n" + WritesAPdf() +
                                      "\n: >'" + first + "'"));
    ASSERT_NO_FATAL_FAILURE(Start());
    ReceiveThePrintout();
    Click(Form::AllDataSheets);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return ProgressText() == "Making PDF copies: 1 of 2" && QFile(pidFile).size() > 0; }, 20000))
        << ProgressText().toStdString();
    QTest::mouseClick(app->allDataSheetsProgress()->findChild<QPushButton*>(ControlName(Dialog::Cancel)),
                      Qt::LeftButton);
    EXPECT_EQ(ProgressText(), "Stopping the PDF copies...");
    ASSERT_TRUE(Summarised());
    EXPECT_TRUE(prompts.actionMessages[0].ends_with(".\n1 of 2 PDF copies made.\nPDF copies cancelled: 1 not made. | "
                                                    "Open Reports Folder"))
        << prompts.actionMessages[0];
    const std::vector<std::string>& written = app->allDataSheets()->result().written;
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(Pdfs(), QStringList{QFileInfo(QString::fromStdString(written[0])).completeBaseName() + ".pdf"});
    QFile pidText(pidFile);
    ASSERT_TRUE(pidText.open(QIODevice::ReadOnly));
    EXPECT_NE(::kill(pidText.readAll().trimmed().toInt(), 0), 0); // the office run was ended
    EXPECT_TRUE(Control<QPushButton>(Form::AllDataSheets)->isEnabled());
}

TEST_F(PdfCopyWindowTest, CopiesAreMadeOneAtATimeAndQuittingEndsTheOneUnderWay)
{
    const QString log = scripts.filePath("log");
    ASSERT_NO_FATAL_FAILURE(UseOffice("echo \"start $name\" >>'" + log + "'\nsleep 0.3\n" + WritesAPdf() +
                                      "\necho \"end $name\" >>'" + log + "'"));
    ASSERT_NO_FATAL_FAILURE(Start());
    ReceiveThePrintout();
    Click(Form::DataSheet);
    Click(Form::DataSheet);
    EXPECT_EQ(app->pdfCopies()->Outstanding(), 2);
    ASSERT_TRUE(StatusBecomes("PDF copy saved: " + Document("10234-307201590508-2.pdf"))) << Status().toStdString();
    QFile order(log);
    ASSERT_TRUE(order.open(QIODevice::ReadOnly));
    EXPECT_EQ(order.readAll(), "start 10234-307201590508\nend 10234-307201590508\n"
                               "start 10234-307201590508-2\nend 10234-307201590508-2\n");

    const QString pidFile = scripts.filePath("pid");
    ASSERT_NO_FATAL_FAILURE(UseOffice("echo $$ >'" + pidFile + "'\nsleep 300"));
    Click(Form::DataSheet);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile(pidFile).size() > 0; }, 20000));
    QFile pidText(pidFile);
    ASSERT_TRUE(pidText.open(QIODevice::ReadOnly));
    const pid_t office = pidText.readAll().trimmed().toInt();
    QElapsedTimer quitting;
    quitting.start();
    app.reset();
    EXPECT_LT(quitting.elapsed(), 5000);
    // Killed and collected: nothing by that number is left.
    EXPECT_NE(::kill(office, 0), 0);
}

TEST(PdfCopyQueueTest, CancelEndsTheRunUnderWayAndDropsTheBatchesWaitingAllToldInOrder)
{
    QTemporaryDir folder;
    const QString office = folder.filePath("office");
    const QString runs = folder.filePath("runs");
    QFile script(office);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(("#!/bin/sh\necho run >>'" + runs + "'\nexec sleep 300\n").toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    std::vector<std::string> documents;
    for (const char* name : {"a.docx", "b.docx", "c.docx"}) {
        QFile document(folder.filePath(name));
        ASSERT_TRUE(document.open(QIODevice::WriteOnly));
        document.write("PK stand-in");
        documents.push_back(document.fileName().toStdString());
    }

    PdfCopyQueue queue(MakeSystemProcessRunner(), folder.path().toStdString(), std::string());
    std::vector<std::string> told;
    queue.SetDoneHandler([&told](const std::string& document, const Result<std::string>& pdf) {
        told.push_back(QFileInfo(QString::fromStdString(document)).fileName().toStdString() + ": " +
                       (pdf ? pdf.value() : pdf.error().message));
    });
    queue.RequestBatch(docs::PdfBatchJob{{documents[0], documents[1]}, office.toStdString(), 120});
    queue.Request(docs::PdfJob{documents[2], office.toStdString(), 120});
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile(runs).size() > 0; }, 20000));
    queue.Cancel();
    ASSERT_TRUE(QTest::qWaitFor([&] { return queue.Outstanding() == 0; }, 20000));
    const std::string cancelled = docs::kPdfCopyCancelled;
    EXPECT_EQ(told, (std::vector<std::string>{"a.docx: " + cancelled, "b.docx: " + cancelled, "c.docx: " + cancelled}));
    QFile ran(runs);
    ASSERT_TRUE(ran.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(ran.readAll()), "run\n"); // the waiting one never started
}

TEST(QtProcessRunnerTest, SaysHowAJobEndedAndEndsOnePastItsLimit)
{
    QTemporaryDir folder;
    const QString script = folder.filePath("job");
    QFile file(script);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\necho \"said $1\"\n[ \"$1\" = hang ] && exec sleep 60\nexit 4\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    QtProcessRunner runner;
    const Result<ProcessOutcome> ended = runner.Run(script.toStdString(), {"this"}, 20000);
    ASSERT_TRUE(ended) << ended.error().message;
    EXPECT_EQ(ended.value().end, ProcessOutcome::End::Exited);
    EXPECT_EQ(ended.value().exitCode, 4);
    EXPECT_EQ(ended.value().output, "said this\n");

    const Result<ProcessOutcome> hung = runner.Run(script.toStdString(), {"hang"}, 500);
    ASSERT_TRUE(hung) << hung.error().message;
    EXPECT_EQ(hung.value().end, ProcessOutcome::End::TimedOut);

    // The watch hears what the job says and may end it.
    std::string heard;
    const Result<ProcessOutcome> watched =
        runner.Run(script.toStdString(), {"hang"}, 60000, {}, [&](std::string_view said) {
            heard += said;
            return heard.find('\n') == std::string::npos;
        });
    ASSERT_TRUE(watched) << watched.error().message;
    EXPECT_EQ(watched.value().end, ProcessOutcome::End::Stopped);
    EXPECT_EQ(heard, "said hang\n");

    EXPECT_FALSE(runner.Run(folder.filePath("missing").toStdString(), {}, 1000));
}

} // namespace
} // namespace tessaprint
