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

// Sanitizer settings of every test binary (test discovery cannot pass them
// through the environment).
extern "C" const char *__asan_default_options()
{
    return "detect_leaks=1:abort_on_error=0";
}

extern "C" const char *__ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}

// Allocations that live until exit in libraries we do not own.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n"
           "leak:libdbus-1.so\n"
           "leak:libglib-2.0.so\n"
           "leak:libgobject-2.0.so\n";
}

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
