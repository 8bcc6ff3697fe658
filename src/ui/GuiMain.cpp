#include "ui/GuiMain.h"

#include "platform/qt/QtArguments.h"
#include "platform/qt/QtEventLoop.h"
#include "platform/qt/SystemClock.h"
#include "setup/SpotweaverDoc.h"
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

int RunGui(int /*argc*/, char** argv, const CommandLine& cl) {
    QtArguments qtArgs(argv);
    QApplication app(qtArgs.count, qtArgs.args);
    QApplication::setOrganizationName(QStringLiteral("Spotweaver"));
    QApplication::setApplicationName(QStringLiteral("Spotweaver"));
    QApplication::setWindowIcon(CToolIcons::Of(CToolIcons::Image::Program));

    QtEventLoop loop;
    SystemClock clock;
    CMainFrame frame(loop, clock);
    frame.show();

    CGuiDocument* document = nullptr;
    if (cl.setupFile.empty()) {
        document = &frame.NewDocument();
    } else {
        document = frame.OpenDocument(QString::fromStdString(cl.setupFile));
        if (document == nullptr) {
            return 1;
        }
    }
    if (cl.start) {
        document->EnsureLoaded();
        frame.ExecuteCommand(CommandId::Connect);
    }
    ArrangeScreenshot(frame);
    return app.exec();
}
