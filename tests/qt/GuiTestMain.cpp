// GUI tests run without a display and never touch the user's own files.
#include "../core/EnvironmentLocale.h"
#include "../core/OwnHome.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
#ifdef TESSAPRINT_TEST_SCREEN
    // Tests of where windows go run on a screen of a known size.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || qgetenv("QT_QPA_PLATFORM") == "offscreen") {
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + TESSAPRINT_TEST_SCREEN);
    }
#else
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
#endif
    // The frame creates the reports folder below HOME; settings go to a temporary place too.
    const tessaprint::test::OwnHome home;
    // QApplication takes the environment's locale itself; a run under one this machine lacks proves nothing.
    if (!tessaprint::test::TakeEnvironmentLocale()) {
        return tessaprint::test::kSkipped;
    }
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Zelmor"));
    QApplication::setApplicationName(QStringLiteral("Tessaprint"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
