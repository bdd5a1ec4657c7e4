// Verdicts in the main window: the reading list's Verdict column with its
// colours and tooltips, the record's verdict under the selector, and
// Options > Limits refusing limits that do not load.
#include "../core/DepartmentLimits.h"
#include "../core/DocxReader.h"
#include "MainWindowFixture.h"

#include "history/SharpHighlight.h"
#include "results/COptionsLimits.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <fstream>

namespace tessaprint {
namespace {

namespace Form = ControlId::Form;
namespace Limits = ControlId::Limits;

// A 1366 × 768 laptop screen at 150 %, less a panel and a title bar, in Qt's pixels.
constexpr QSize kLaptopAt150(1366 * 2 / 3, 768 * 2 / 3 - 32 - 30);
constexpr int kVerdict = CQuellmaxView::kVerdictColumn;

class VerdictWindowTest : public test::MainWindowFixture {
protected:
    QTreeWidget* Readings() const { return Control<QTreeWidget>(Form::Readings); }
    QLabel* RecordVerdict() const { return app->frame()->findChild<QLabel*>(QStringLiteral("recordVerdict")); }
    // The cell's right edge within the list's viewport.
    bool InView(int row, int column) const
    {
        const QRect cell = Readings()->visualRect(Readings()->model()->index(row, column));
        return cell.left() >= 0 && cell.right() < Readings()->viewport()->width();
    }
    QColor Background(int row) const { return Readings()->topLevelItem(row)->background(kVerdict).color(); }
    // Data Sheet's document, as its text.
    std::string DataSheetXml()
    {
        Click(Form::DataSheet);
        EXPECT_TRUE(prompts.messageBoxes.empty()) << prompts.messageBoxes.front();
        return docs::test::DocxReader::FromFile(app->controller()->lastDocumentPath()).Part("word/document.xml");
    }
};

TEST_F(VerdictWindowTest, TheVerdictColumnAndTheRecordsVerdictShowWithTheirLimitsOnlyWhileVerdictsAreOn)
{
    QTemporaryDir reports;
    settings.Write(settings::kReports, reports.path().toStdString());
    Start();
    ShowAndActivate();
    app->frame()->resize(kLaptopAt150);
    ReceiveThePrintout();
    ASSERT_EQ(Rows(), (QStringList{"1|Case Leakage|0.1 uA", "2|Ground Resistance|0.123 Ohms"}));
    EXPECT_EQ(Readings()->columnCount(), 4);
    ASSERT_NE(RecordVerdict(), nullptr);
    EXPECT_FALSE(RecordVerdict()->isVisible());
    EXPECT_EQ(DataSheetXml().find(">Fail<"), std::string::npos);

    app->controller()->SetVerdictEngine(test::DepartmentLimits());
    QCoreApplication::processEvents();
    ASSERT_EQ(Readings()->columnCount(), 5);
    EXPECT_EQ(Readings()->headerItem()->text(kVerdict), "Verdict");
    // After the reading, before "Last time"; the reading and the verdict in view on a laptop at 150 %.
    EXPECT_EQ(Readings()->header()->visualIndex(kVerdict), Readings()->header()->visualIndex(2) + 1);
    EXPECT_EQ(Readings()->header()->visualIndex(CQuellmaxView::kLastTimeColumn), kVerdict);
    EXPECT_TRUE(InView(1, 2));
    EXPECT_TRUE(InView(1, kVerdict));

    const QTreeWidgetItem* passed = Readings()->topLevelItem(0);
    const QTreeWidgetItem* failed = Readings()->topLevelItem(1);
    EXPECT_EQ(passed->text(kVerdict), "pass");
    EXPECT_EQ(failed->text(kVerdict), "fail");
    EXPECT_TRUE(failed->font(kVerdict).bold());
    EXPECT_FALSE(passed->font(kVerdict).bold());
    EXPECT_NE(Background(0), Background(1));
    const QString tip = failed->toolTip(kVerdict);
    EXPECT_TRUE(tip.contains(QStringLiteral("Limit: ≤ 0.1 Ω"))) << tip.toStdString();
    EXPECT_TRUE(tip.contains(QStringLiteral("Rule: ground"))) << tip.toStdString();
    EXPECT_TRUE(tip.contains(QStringLiteral("Source: department"))) << tip.toStdString();
    EXPECT_TRUE(tip.contains(QStringLiteral("Profile: department 3"))) << tip.toStdString();
    EXPECT_TRUE(RecordVerdict()->isVisible());
    EXPECT_EQ(RecordVerdict()->text(), "Verdict: fail");
    // Data Sheet documents the same verdict and limit.
    const std::string xml = DataSheetXml();
    EXPECT_NE(xml.find(">Fail<"), std::string::npos);
    EXPECT_NE(xml.find("≤ 0.1 Ω"), std::string::npos);
    EXPECT_TRUE(RecordVerdict()->toolTip().contains(QStringLiteral("1 fail, 1 pass")))
        << RecordVerdict()->toolTip().toStdString();

    // A dark palette: the marks are made again, and their text reads on them.
    QPalette dark = app->view()->palette();
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    const QColor lightFail = Background(1);
    app->view()->setPalette(dark);
    EXPECT_NE(Background(1), lightFail);
    EXPECT_LT(Background(1).lightnessF(), 0.5);
    for (int row = 0; row < 2; ++row) {
        EXPECT_GE(
            SharpHighlight::ContrastRatio(Readings()->topLevelItem(row)->foreground(kVerdict).color(), Background(row)),
            SharpHighlight::kMinContrast)
            << row;
    }

    // Another ID: judged as its rows are listed.
    auto* selector = Control<QComboBox>(Form::EquipmentId);
    selector->setCurrentIndex(1);
    emit selector->activated(1);
    ASSERT_EQ(Rows(), (QStringList{"1|Line Voltage|119.8 V"}));
    EXPECT_EQ(Readings()->topLevelItem(0)->text(kVerdict), "no limit");
    EXPECT_EQ(RecordVerdict()->text(), "Verdict: not judged");

    // Off: the form as without verdicts.
    app->controller()->SetVerdictEngine(nullptr);
    EXPECT_EQ(Readings()->columnCount(), 4);
    EXPECT_FALSE(RecordVerdict()->isVisible());
}

TEST_F(VerdictWindowTest, OptionsLimitsRefusesALimitsFileThatDoesNotLoadAndLeavesVerdictsOff)
{
    QTemporaryDir folder;
    const QString bad = folder.filePath(QStringLiteral("limits.json"));
    std::ofstream(bad.toStdString()) << "{\n  \"name\": \"dept\", \"version\": \"1\",\n  \"rulez\": []\n}\n";
    Start();
    ShowAndActivate();
    ReceiveThePrintout();
    auto* menuItem = app->frame()->findChild<QAction*>(ControlName(ControlId::Command::OptionsLimits));
    ASSERT_NE(menuItem, nullptr);
    menuItem->trigger();
    COptionsLimits* dialog = app->limits();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    EXPECT_LE(dialog->width(), kLaptopAt150.width());
    EXPECT_LE(dialog->height(), kLaptopAt150.height());
    auto* on = dialog->findChild<QCheckBox*>(ControlName(Limits::On));
    auto* file = dialog->findChild<QLineEdit*>(ControlName(Limits::File));
    auto* fault = dialog->findChild<QLabel*>(ControlName(Limits::Fault));
    ASSERT_TRUE(on && file && fault);
    EXPECT_FALSE(on->isChecked());
    EXPECT_FALSE(fault->isVisible());

    on->setChecked(true);
    file->setText(bad);
    QTest::mouseClick(dialog->findChild<QPushButton*>(ControlName(ControlId::Dialog::Ok)), Qt::LeftButton);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(fault->isVisible());
    EXPECT_TRUE(fault->text().contains(QStringLiteral("limits.json:3:"))) << fault->text().toStdString();
    EXPECT_EQ(app->controller()->verdictEngine(), nullptr);
    EXPECT_EQ(Setting(settings::kVerdicts), "<none>");
    EXPECT_EQ(Readings()->columnCount(), 4);

    // Without the file, the shipped limits: taken, stored and judging the record shown.
    file->clear();
    QTest::mouseClick(dialog->findChild<QPushButton*>(ControlName(ControlId::Dialog::Ok)), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(app->limits(), nullptr); // closed, and gone
    EXPECT_NE(app->controller()->verdictEngine(), nullptr);
    EXPECT_EQ(Setting(settings::kVerdicts), "1");
    ASSERT_EQ(Readings()->columnCount(), 5);
    EXPECT_FALSE(Readings()->topLevelItem(0)->text(kVerdict).isEmpty());
}

} // namespace
} // namespace tessaprint
