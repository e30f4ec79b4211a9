#include "bufferwriter/qt/PloverApp.h"

#include <QApplication>

#include "bufferwriter/BufList.h"
#include "bufferwriter/qt/PloverWindow.h"
#include "bufferwriter/qt/QtPlatform.h"

namespace kestrel {

int runPloverWindow(int& argc, char** argv, const std::string& commandLine) {
    QApplication app(argc, argv);
    QtPlatform platform;
    BufList model(platform);
    PloverWindow window(model);
    // The files of the command line are loaded before the window shows.
    window.guarded([&] { model.start(commandLine); });
    if (window.exitStatus()) return *window.exitStatus();
    window.show();
    const int status = app.exec();
    return window.exitStatus().value_or(status);
}

} // namespace kestrel
