// The history's tests: Qt SQL loads its drivers through the application
// object; the user's own settings and data are never touched.
#include "../core/OwnHome.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    const tessaprint::test::OwnHome home;
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Zelmor"));
    QCoreApplication::setApplicationName(QStringLiteral("Tessaprint"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
