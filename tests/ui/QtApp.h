#pragma once
// The one application object the widget tests need; created on first use and never destroyed,
// so it outlives the widgets and Qt's own statics at process exit.
#include <QApplication>

inline QApplication& QtApp() {
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}
