#include "ui/GuiMain.h"

#include "document/SpotweaverDoc.h"
#include "platform/qt/QtArguments.h"
#include "platform/qt/QtEventLoop.h"
#include "platform/qt/SignalWatcher.h"
#include "platform/qt/SystemClock.h"
#include "ui/GuiDocument.h"
#include "ui/MainFrame.h"
#include "ui/MenuCommand.h"
#include "ui/ToolIcons.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTimer>

#include <cstdio>

namespace {

// SPOTWEAVER_SCREENSHOT=file.png writes a picture of the main window after
// SPOTWEAVER_SCREENSHOT_MS milliseconds (default 1500) and ends the program.
void ArrangeScreenshot(CMainFrame& frame) {
    const QString path = qEnvironmentVariable("SPOTWEAVER_SCREENSHOT");
    if (path.isEmpty()) {
        return;
    }
    bool ok = false;
    int delay = qEnvironmentVariableIntValue("SPOTWEAVER_SCREENSHOT_MS", &ok);
    if (!ok || delay < 0) {
        delay = 1500;
    }
    QTimer::singleShot(delay, &frame, [&frame, path] {
        const bool saved = frame.grab().save(path, "PNG");
        std::fprintf(stderr, "spotweaver: screenshot %s %s\n",
                     saved ? "written to" : "failed:", qPrintable(QDir::toNativeSeparators(path)));
        QApplication::exit(saved ? 0 : 1);
    });
}

} // namespace

int RunGui(int /*argc*/, char** argv, const GuiStart& cl) {
    QtArguments qtArgs(argv);
    QApplication app(qtArgs.count, qtArgs.args);
    QApplication::setOrganizationName(QStringLiteral("Spotweaver"));
    QApplication::setApplicationName(QStringLiteral("Spotweaver"));
    CToolIcons::UseInstalledTheme();
    QApplication::setWindowIcon(CToolIcons::Of(CToolIcons::Image::Program));

    QtEventLoop loop;
    SystemClock clock;
    CMainFrame frame(loop, clock);
    // SIGTERM or SIGINT (a session ending, kill): every port let go, no
    // question asked, even from inside a dialog. QApplication::exit also ends
    // any dialog's loop; a signal before the main loop runs is noted here.
    bool stopped = false;
    CSignalWatcher stopOnSignal([&frame, &stopped](int) {
        stopped = true;
        frame.EndSession();
        QApplication::exit(0);
    });
    if (!stopOnSignal.Problem().empty()) {
        std::fputs(stopOnSignal.Problem().c_str(), stderr);
    }
    frame.show();
    for (const std::string& flag : cl.ignored) {
        std::fprintf(stderr, "spotweaver: '%s' ignored: only /START connects the ports\n",
                     flag.c_str());
    }

    CGuiDocument* document = nullptr;
    if (cl.setupFile.empty()) {
        document = &frame.NewDocument();
    } else {
        document = frame.OpenDocument(QString::fromStdString(cl.setupFile));
        if (document == nullptr) {
            return stopped ? 0 : 1;
        }
    }
    if (stopped) {
        return 0;
    }
    if (cl.start) {
        document->EnsureLoaded();
        frame.ExecuteCommand(CommandId::Connect);
    }
    ArrangeScreenshot(frame);
    const int status = QApplication::exec();
    return stopped ? 0 : status;
}
