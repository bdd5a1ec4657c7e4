// The history's tests: Qt SQL loads its drivers through the application
// object; the user's own settings and data are never touched.
#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Zelmor"));
    QCoreApplication::setApplicationName(QStringLiteral("Tessaprint"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
