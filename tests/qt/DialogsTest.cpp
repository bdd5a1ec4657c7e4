// The "Error" and "Confirm" dialogs, and the settings store over QSettings.
#include "app/QtSettingsStore.h"
#include "util/CMessageDialog.h"

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
    return dialog.DoModal();
}

TEST(MessageDialogTest, ErrorShowsItsTextOnOneLineAndOkGivesOne)
{
    CError dialog;
    dialog.m_strMessage = QStringLiteral("          Port COM4 is in use !");
    const int result = RunWith(dialog, [](CError& d) {
        EXPECT_EQ(d.windowTitle(), "Error");
        EXPECT_EQ(d.messageLabel()->text(), "          Port COM4 is in use !");
        EXPECT_EQ(d.messageLabel()->objectName(), "1005");
        EXPECT_FALSE(d.messageLabel()->wordWrap());
        EXPECT_EQ(d.messageLabel()->geometry(), QRect(138, 61, 300, 13));
        EXPECT_EQ(d.okButton()->text(), "OK");
        EXPECT_TRUE(d.okButton()->isDefault());
        QTest::mouseClick(d.okButton(), Qt::LeftButton);
    });
    EXPECT_EQ(result, 1);

    CError escaped;
    escaped.m_strMessage = QStringLiteral("x");
    EXPECT_EQ(RunWith(escaped, [](CError& d) { QTest::keyClick(&d, Qt::Key_Escape); }), 2);
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
    EXPECT_EQ(result, 2);

    CConfirm enter;
    EXPECT_EQ(RunWith(enter, [](CConfirm& d) { QTest::keyClick(&d, Qt::Key_Return); }), 1);
    CConfirm closed;
    EXPECT_EQ(RunWith(closed, [](CConfirm& d) { d.close(); }), 2);
}

TEST(MessageDialogTest, LongMessageIsCutAtTheLabelNotWrappedOrWidened)
{
    CError dialog;
    dialog.m_strMessage = QString(400, QLatin1Char('W'));
    RunWith(dialog, [](CError& d) {
        EXPECT_EQ(d.messageLabel()->width(), 300);
        EXPECT_EQ(d.messageLabel()->height(), 13);
        EXPECT_EQ(d.width(), 474);
        QTest::keyClick(&d, Qt::Key_Return);
    });
}

TEST(QtSettingsStoreTest, ReadsNeverCreateKeysAndValuesStayStrings)
{
    QTemporaryDir dir;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    QSettings::setDefaultFormat(QSettings::IniFormat);
    {
        QtSettingsStore store(QStringLiteral("Tessaprint Test"));
        EXPECT_EQ(store.GetProfileString("Directories", "Word2007", "1"), "1");
        EXPECT_EQ(store.GetProfileString("Work Order", "szWorkOrderChecks[7]", ""), "");
        store.settings().sync();
        EXPECT_TRUE(store.settings().allKeys().isEmpty());
        store.WriteProfileString("Serial", "Port", "COM3");
        store.WriteProfileString("Work Order", "szWorkOrderResults[0]", " 12 ; a/b\\c ");
        store.WriteProfileString("Settings", "szUnitType", "Kappa 5100");
    }
    QtSettingsStore again(QStringLiteral("Tessaprint Test"));
    EXPECT_EQ(again.GetProfileString("Serial", "Port", ""), "COM3");
    EXPECT_EQ(again.GetProfileString("Work Order", "szWorkOrderResults[0]", ""), " 12 ; a/b\\c ");
    EXPECT_EQ(again.GetProfileString("Settings", "szUnitType", ""), "Kappa 5100");
    EXPECT_EQ(again.settings().allKeys().size(), 3);
    // Another application name is another scope: the demo never sees the real settings.
    QtSettingsStore demo(QStringLiteral("Tessaprint Test Demo"));
    EXPECT_EQ(demo.GetProfileString("Serial", "Port", "COM1"), "COM1");
}

} // namespace
} // namespace tessaprint
