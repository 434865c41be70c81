// Test entry point: a Qt application object for the event loop, and a
// process-wide temporary home so no test can touch the real one.
#include "EnvironmentGuard.h"
#include "IsolatedHome.h"

#include <gmock/gmock.h>

#ifdef PARLOWIND_TEST_GUI
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char **argv)
{
    ::testing::InitGoogleMock(&argc, argv);
    parlowind::test::IsolatedHome processHome;
#ifdef PARLOWIND_TEST_GUI
    // Listing the tests happens outside CTest's environment: without any
    // display, draw off screen rather than abort.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    TestApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
