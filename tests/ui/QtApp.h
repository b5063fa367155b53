#pragma once
// The one application object the widget tests need; created on first use.
#include <QApplication>

inline QApplication& QtApp() {
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}
