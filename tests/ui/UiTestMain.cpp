// The window tests need an application object; without a display they run offscreen.
#include <QApplication>
#include <gtest/gtest.h>

#if defined(__SANITIZE_THREAD__)
// Qt from Debian is not instrumented: its mutexes and thread pool synchronise through futexes the
// sanitizer cannot see, so memory handed between Qt's own pooled threads (image conversions of
// the offscreen backing store) would be reported as raced. Calls Qt itself makes into the
// sanitizer's interceptors are left out; every access made by our code is still checked.
extern "C" const char* __tsan_default_options() { return "ignore_noninstrumented_modules=1"; }
#endif

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
