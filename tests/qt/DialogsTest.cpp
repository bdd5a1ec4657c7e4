// The "Error", "Confirm" and "About" dialogs, and the settings store over QSettings.
#include "NumberedControls.h"

#include "app/CAboutDlg.h"
#include "app/QtSettingsStore.h"
#include "util/CMessageDialog.h"
#include "util/ControlId.h"
#include "util/QtPrompts.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace tessaprint {
namespace {

// Runs the dialog modally and lets act() close it once it is up.
template <typename Dialog, typename Act> int RunWith(Dialog& dialog, Act act)
{
    QTimer::singleShot(0, &dialog, [&] { act(dialog); });
    // A test whose act() fails to close the dialog ends instead of hanging.
    QTimer::singleShot(10'000, &dialog, [&] { dialog.done(-1); });
    return dialog.DoModal();
}

TEST(MessageDialogTest, DialogsAndTheirControlsKeepTheirNumbers)
{
    CError error;
    EXPECT_EQ(error.objectName(), "310");
    EXPECT_EQ(test::NumberedControls(&error), (QStringList{"1 QPushButton OK", "1005 QLabel"}));
    CConfirm confirm;
    EXPECT_EQ(confirm.objectName(), "311");
    EXPECT_EQ(test::NumberedControls(&confirm),
              (QStringList{"1 QPushButton OK", "1005 QLabel", "2 QPushButton Cancel"}));
    CAboutDlg about;
    EXPECT_EQ(about.objectName(), "100");
    EXPECT_EQ(test::NumberedControls(&about), QStringList{"1 QPushButton OK"});
}

TEST(MessageDialogTest, ErrorShowsItsTextOnOneLineAndOkGivesOne)
{
    CError dialog;
    dialog.m_strMessage = QStringLiteral("          Port COM4 is in use !");
    const int result = RunWith(dialog, [](CError& d) {
        EXPECT_EQ(d.windowTitle(), "Error");
        EXPECT_EQ(d.messageLabel()->text(), "          Port COM4 is in use !");
        EXPECT_EQ(d.messageLabel()->objectName(), ControlName(ControlId::Message::Text));
        EXPECT_FALSE(d.messageLabel()->wordWrap());
        EXPECT_EQ(d.messageLabel()->geometry(), QRect(138, 61, 300, 13));
        EXPECT_EQ(d.okButton()->text(), "OK");
        EXPECT_TRUE(d.okButton()->isDefault());
        QTest::mouseClick(d.okButton(), Qt::LeftButton);
    });
    EXPECT_EQ(result, kIdOk);
}

TEST(MessageDialogTest, EscapeClosesTheErrorWithCancel)
{
    CError escaped;
    escaped.m_strMessage = QStringLiteral("x");
    EXPECT_EQ(RunWith(escaped, [](CError& d) { QTest::keyClick(&d, Qt::Key_Escape); }), kIdCancel);
}

TEST(MessageDialogTest, ConfirmHasOkRightAndCancelLeft)
{
    CConfirm dialog;
    dialog.m_strMessage = QStringLiteral("Erase all results in the Quellmax?");
    const int result = RunWith(dialog, [](CConfirm& d) {
        EXPECT_EQ(d.windowTitle(), "Confirm");
        EXPECT_EQ(d.messageLabel()->text(), "Erase all results in the Quellmax?");
        EXPECT_GT(d.okButton()->x(), d.cancelButton()->x());
        EXPECT_EQ(d.okButton()->y(), d.cancelButton()->y());
        EXPECT_EQ(d.cancelButton()->text(), "Cancel");
        QTest::mouseClick(d.cancelButton(), Qt::LeftButton);
    });
    EXPECT_EQ(result, kIdCancel);
}

TEST(MessageDialogTest, ConfirmTakesEnterAsOkAndClosingAsCancel)
{
    CConfirm enter;
    EXPECT_EQ(RunWith(enter, [](CConfirm& d) { QTest::keyClick(&d, Qt::Key_Return); }), kIdOk);
    CConfirm closed;
    EXPECT_EQ(RunWith(closed, [](CConfirm& d) { d.close(); }), kIdCancel);
}

TEST(MessageDialogTest, ALongMessageWrapsAndTheDialogGrowsUntilAllOfItShows)
{
    // 300 characters: words, and a path far wider than the label.
    QString message = QStringLiteral("The capture could not be archived: cannot write "
                                     "/home/technician/Zelmor/Tessaprint/reports/captures/"
                                     "Kappa 5100-2026-12-08-142501.txt: No space left on device. ");
    while (message.size() < 300) {
        message += QStringLiteral("Its lines are still on the screen. ");
    }
    message.truncate(300);
    CError dialog;
    dialog.m_strMessage = message;
    RunWith(dialog, [&message](CError& d) {
        QLabel* label = d.messageLabel();
        EXPECT_TRUE(label->wordWrap());
        EXPECT_EQ(label->width(), 300); // the label keeps its place and width
        EXPECT_EQ(label->x(), 138);
        // Every character is there, and every wrapped line fits the label.
        EXPECT_EQ(label->text().remove(QChar(0x200B)), message);
        const QRect needed =
            label->fontMetrics().boundingRect(QRect(0, 0, label->width(), 10'000), Qt::TextWordWrap, label->text());
        EXPECT_LE(needed.width(), label->width());
        EXPECT_GE(label->height(), needed.height());
        EXPECT_GT(label->height(), 4 * label->fontMetrics().lineSpacing());
        // The dialog grew below the text, and OK moved down with it.
        EXPECT_GE(d.okButton()->y(), label->geometry().bottom());
        EXPECT_LE(d.okButton()->geometry().bottom(), d.height());
        EXPECT_EQ(d.width(), 474);
        QTest::keyClick(&d, Qt::Key_Return);
    });
}

TEST(MessageDialogTest, TheExactPortTextsKeepTheOneLineDialogAsItWasDrawn)
{
    CError port;
    port.m_strMessage = QStringLiteral("          Port COM10 is in use !");
    RunWith(port, [](CError& d) {
        EXPECT_FALSE(d.messageLabel()->wordWrap());
        EXPECT_EQ(d.messageLabel()->height(), 13);
        EXPECT_EQ(d.height(), 162);
        QTest::keyClick(&d, Qt::Key_Return);
    });
}

TEST(MessageDialogTest, AConfirmWithCancelAsDefaultTakesOnlyADeliberateOk)
{
    const auto run = [](auto act) {
        CConfirm dialog;
        dialog.m_strMessage = QStringLiteral("Erase all results in the Quellmax?\n"
                                             "Nothing has been read from it since the port was opened.");
        dialog.MakeCancelDefault();
        return RunWith(dialog, [&act](CConfirm& d) {
            EXPECT_TRUE(d.cancelButton()->isDefault());
            EXPECT_FALSE(d.okButton()->isDefault());
            act(d);
        });
    };
    // Enter refuses, also after the focus moved to OK; so does Escape.
    EXPECT_EQ(run([](CConfirm& d) { QTest::keyClick(&d, Qt::Key_Return); }), kIdCancel);
    EXPECT_EQ(run([](CConfirm& d) {
                  d.okButton()->setFocus();
                  QTest::keyClick(d.okButton(), Qt::Key_Return);
              }),
              kIdCancel);
    EXPECT_EQ(run([](CConfirm& d) { QTest::keyClick(&d, Qt::Key_Escape); }), kIdCancel);
    // A click, Space on OK or Alt+O agree.
    EXPECT_EQ(run([](CConfirm& d) { QTest::mouseClick(d.okButton(), Qt::LeftButton); }), kIdOk);
    EXPECT_EQ(run([](CConfirm& d) {
                  d.okButton()->setFocus();
                  QTest::keyClick(d.okButton(), Qt::Key_Space);
              }),
              kIdOk);
    // Shortcuts reach only an active window.
    EXPECT_EQ(run([](CConfirm& d) {
                  d.activateWindow();
                  EXPECT_TRUE(QTest::qWaitForWindowActive(&d));
                  QTest::keyClick(&d, Qt::Key_O, Qt::AltModifier);
              }),
              kIdOk);
}

TEST(MessageDialogTest, AMessageWithAnActionSaysWhetherTheActionWasChosen)
{
    for (const int clicked : {ControlId::MessageWithAction::Action, ControlId::Dialog::Ok}) {
        QStringList seen;
        QTimer::singleShot(0, [&] {
            QWidget* box = QApplication::activeModalWidget();
            ASSERT_NE(box, nullptr);
            seen = test::NumberedControls(box) << box->objectName();
            QTest::mouseClick(box->findChild<QPushButton*>(ControlName(clicked)), Qt::LeftButton);
        });
        QtPrompts prompts;
        EXPECT_EQ(
            prompts.ShowMessageWithAction("All Data Sheets", "Wrote 2 test records to /r.", "Open Reports Folder"),
            clicked == ControlId::MessageWithAction::Action);
        EXPECT_EQ(seen, (QStringList{"1 QPushButton OK", "1006 QPushButton Open Reports Folder", "331"}));
    }
    // Escape closes it as OK does.
    QTimer::singleShot(0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
    QObject guard;
    bool leftOpen = false;
    QTimer::singleShot(10'000, &guard, [&leftOpen] {
        if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            leftOpen = true;
            box->done(-1); // a box that Escape left open ends the test instead of hanging it
        }
    });
    QtPrompts prompts;
    EXPECT_FALSE(
        prompts.ShowMessageWithAction("All Data Sheets", "Wrote 2 test records to /r.", "Open Reports Folder"));
    EXPECT_FALSE(leftOpen);
}

TEST(QtSettingsStoreTest, ReadsNeverCreateKeysAndValuesStayStrings)
{
    QTemporaryDir dir;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    QSettings::setDefaultFormat(QSettings::IniFormat);
    {
        QtSettingsStore store(QStringLiteral("Tessaprint Test"));
        EXPECT_EQ(store.Read(settings::kWord2007, "1"), "1");
        EXPECT_EQ(store.GetProfileString("Work Order", "szWorkOrderChecks[7]", ""), "");
        store.settings().sync();
        EXPECT_TRUE(store.settings().allKeys().isEmpty());
        store.Write(settings::kPort, "COM3");
        store.WriteProfileString("Work Order", "szWorkOrderResults[0]", " 12 ; a/b\\c ");
        store.Write(settings::kUnitType, "Kappa 5100");
    }
    QtSettingsStore again(QStringLiteral("Tessaprint Test"));
    EXPECT_EQ(again.Read(settings::kPort, ""), "COM3");
    EXPECT_EQ(again.GetProfileString("Work Order", "szWorkOrderResults[0]", ""), " 12 ; a/b\\c ");
    EXPECT_EQ(again.Read(settings::kUnitType, ""), "Kappa 5100");
    EXPECT_EQ(again.settings().allKeys().size(), 3);
    // Another application name is another scope: the demo never sees the real settings.
    QtSettingsStore demo(QStringLiteral("Tessaprint Test Demo"));
    EXPECT_EQ(demo.Read(settings::kPort, "COM1"), "COM1");
}

} // namespace
} // namespace tessaprint
