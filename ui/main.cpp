#include "ui/MainWindow.h"

#include <QApplication>

#include <clocale>

#include <string>
#include <vector>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // The toolkit adopts the session's locale; numbers in files and SQL never follow it.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("InZEFOR"));
    // QApplication has taken out its own options; the rest are the program's.
    std::vector<std::string> args(argv + 1, argv + argc);
    MainWindow window(std::move(args));
    window.show();
    return app.exec();
}
