// What the window says once a document is written: its name in the status
// bar, and where it is when no program opens it.
#include "MainWindowFixture.h"

#include "docs/DocumentOpener.h"

#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>

namespace tessaprint {
namespace {

using namespace ControlId;

class DocumentFeedbackTest : public test::MainWindowFixture {
protected:
    void SetUp() override { settings.Write(settings::kReports, reports.path().toStdString()); }

    // A capture, then "Data Sheet" for its first equipment ID.
    void WriteADataSheet()
    {
        ASSERT_NO_FATAL_FAILURE(Start());
        ReceiveThePrintout();
        Click(Form::DataSheet);
    }
    QString Status() const { return app->frame()->statusText(); }

    QTemporaryDir reports;
    std::vector<std::string> opened;
};

TEST_F(DocumentFeedbackTest, TheStatusBarNamesTheDocumentUntilTheNextMessage)
{
    ASSERT_NO_FATAL_FAILURE(WriteADataSheet());
    const QString path = reports.filePath(QStringLiteral("10234-307201590508.docx"));
    EXPECT_EQ(Status(), "Saved " + path);
    // Looking at other records is no news for the status bar.
    auto* selector = Control<QComboBox>(Form::EquipmentId);
    selector->setCurrentIndex(1);
    emit selector->activated(1);
    clock.Advance(10'000);
    QCoreApplication::processEvents();
    EXPECT_EQ(Status(), "Saved " + path);
    Click(Form::Result);
    EXPECT_TRUE(Status().startsWith("Capture in progress"));
}

TEST_F(DocumentFeedbackTest, ADocumentThatNothingOpensIsNamedInAMessageOnceThenInTheStatusBar)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    app->controller()->SetDocumentOpener([this](const std::string& path) {
        opened.push_back(path);
        return false;
    });
    std::vector<std::string> folders;
    app->controller()->SetFolderOpener([&folders](const std::string& folder) {
        folders.push_back(folder);
        return true;
    });
    ReceiveThePrintout();
    Click(Form::DataSheet);
    const std::string path = reports.filePath(QStringLiteral("10234-307201590508.docx")).toStdString();
    EXPECT_EQ(opened, std::vector<std::string>{path});
    ASSERT_EQ(prompts.messageBoxes.size(), 1u);
    EXPECT_EQ(prompts.messageBoxes[0], "The document was saved as\n" + path +
                                           "\nbut no program on this computer is set to open .docx files. Open it "
                                           "from that folder with a word processor such as LibreOffice Writer or "
                                           "Word.");

    // The next one is said only in the status bar, with a way to the folder.
    auto* selector = Control<QComboBox>(Form::EquipmentId);
    selector->setCurrentIndex(1);
    emit selector->activated(1);
    Click(Form::DataSheet);
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_EQ(prompts.messageBoxes.size(), 1u);
    const QString second = reports.filePath(QStringLiteral("BIO-5521-307201590508.docx"));
    EXPECT_EQ(Status(), "Saved " + second + "; no program on this computer opens .docx files");
    auto* openFolder = app->frame()->statusBar()->findChild<QPushButton*>("statusOpenFolder");
    ASSERT_NE(openFolder, nullptr);
    EXPECT_FALSE(openFolder->isHidden());
    QTest::mouseClick(openFolder, Qt::LeftButton);
    EXPECT_EQ(folders, std::vector<std::string>{QDir(reports.path()).absolutePath().toStdString()});
    // It goes with its message.
    Click(Form::ClearScreen);
    EXPECT_TRUE(openFolder->isHidden());
}

TEST_F(DocumentFeedbackTest, ADocumentThatOpensNeedsNoMessage)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    app->controller()->SetDocumentOpener([this](const std::string& path) {
        opened.push_back(path);
        return true;
    });
    ReceiveThePrintout();
    Click(Form::DataSheet);
    EXPECT_EQ(opened.size(), 1u);
    EXPECT_TRUE(prompts.messageBoxes.empty());
}

TEST(DocumentOpenerTest, WithoutADefaultProgramForDocxNothingIsOpened)
{
    QStringList asked;
    QList<QUrl> urls;
    const auto open = [&urls](const QUrl& url) {
        urls << url;
        return true;
    };
    const DocumentOpener none(
        [&asked](const QString& type) {
            asked << type;
            return QStringLiteral("  \n");
        },
        open);
    EXPECT_FALSE(none.Open(QStringLiteral("/r/a b.docx")));
    EXPECT_EQ(asked, QStringList{QString::fromLatin1(DocumentOpener::kDocxMimeType)});
    EXPECT_TRUE(urls.isEmpty());

    const DocumentOpener writer([](const QString&) { return QStringLiteral("libreoffice-writer.desktop"); }, open);
    EXPECT_TRUE(writer.Open(QStringLiteral("/r/a b.docx")));
    ASSERT_EQ(urls.size(), 1);
    EXPECT_EQ(urls[0].toLocalFile(), QStringLiteral("/r/a b.docx"));
}

TEST(DocumentOpenerTest, WithoutAWayToAskTheOpenerDecides)
{
    const DocumentOpener refused(nullptr, [](const QUrl&) { return false; });
    EXPECT_FALSE(refused.Open(QStringLiteral("/r/x.docx")));
    const DocumentOpener cannotTell([](const QString&) { return QStringLiteral("?"); },
                                    [](const QUrl&) { return true; });
    EXPECT_TRUE(cannotTell.Open(QStringLiteral("/r/x.docx")));
}

} // namespace
} // namespace tessaprint
