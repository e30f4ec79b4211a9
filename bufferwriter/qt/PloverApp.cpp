#include "bufferwriter/qt/PloverApp.h"

#include <QApplication>
#include <QTimer>

#include "bufferwriter/BufList.h"
#include "bufferwriter/qt/PloverWindow.h"
#include "bufferwriter/qt/QtPlatform.h"
#include "platform/InstanceChannel.h"

namespace kestrel {

int runPloverWindow(int& argc, char** argv, const std::string& commandLine, InstanceChannel* channel) {
    QApplication app(argc, argv);
    QtPlatform platform;
    BufList model(platform);
    PloverWindow window(model);
    // The files of the command line are loaded before the window shows.
    window.guarded([&] { model.start(commandLine); });
    if (window.exitStatus()) return *window.exitStatus();
    window.show();
    // The channel keeps no descriptor of its own to watch: a short timer
    // looks at it without waiting. Messages arrive in the event loop, so a
    // load that shows a box can be reached by one (the model's busy rule).
    QTimer listener;
    if (channel) {
        QObject::connect(&listener, &QTimer::timeout, [&] {
            bool unused = false;
            for (const auto& message : channel->service(-1, 0, unused)) window.received(message);
        });
        listener.start(100);
    }
    const int status = app.exec();
    return window.exitStatus().value_or(status);
}

}  // namespace kestrel
