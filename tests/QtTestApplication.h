#pragma once
// One QApplication for the widget tests of an executable (the offscreen platform, set by ctest). It is
// never destroyed: Qt's objects must not be torn down by the exit handlers after main has returned.
#include <QApplication>
#include <cstdlib>

namespace kelmora::testing {

inline QApplication& TestApplication() {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "kelmora-tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

}  // namespace kelmora::testing
