#pragma once

#include "SetupText.h"
#include "document/SpotweaverDoc.h"
#include "platform/qt/QtEventLoop.h"
#include "platform/qt/SystemClock.h"
#include "ui/ChildFrame.h"
#include "ui/GuiDocument.h"
#include "ui/MainFrame.h"

#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>
#include <string>

// A main frame on the real event loop and clock, with setup files written
// into a temporary folder.
struct GuiRig {
    GuiRig() : frame((ClearSettings(), std::make_unique<CMainFrame>(loop, clock))) {}
    ~GuiRig() {
        frame.reset();
        Settle();
    }

    // Every test starts with no recent files.
    static void ClearSettings() { QSettings().clear(); }

    // Runs what was posted (deferred deletes included) without waiting.
    static void Settle() {
        for (int i = 0; i < 5; ++i) {
            QApplication::processEvents();
            QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

    QString Write(const QString& name, const std::string& text) {
        const QString path = dir.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(text.data(), static_cast<qint64>(text.size()));
        return path;
    }

    // A console "CON" and a log file "LOG" routed both ways; the LOG window
    // stored with showCmd logShow, and the frame's bars as given.
    std::string TwoPorts(int logShow = 1, int consoleBarShown = 268435456) const {
        using namespace SetupText;
        std::string log = Port("FILE", "LOG");
        const std::string normal = "showCmd=1\n";
        log.replace(log.find(normal), normal.size(), "showCmd=" + std::to_string(logShow) + "\n");
        return Header(2) + Port("CON", "CON") + CommandRouter() + log +
               Line("FileName", dir.filePath("log.txt").toStdString()) + CtRouter(5, 2) +
               Routes(0, {2, 0}) + Routes(0, {1, 0}) + Placement(1, 0, 0, 500, 300) +
               Placement(1, 20, 30, 780, 570) + Placement(1, 0, 0, 300, 30) +
               Placement(1, 0, 880, 1200, 900) + Placement(1, 0, 30, 400, 60) +
               Line("MainFrameToolbar.showwindow", std::to_string(consoleBarShown)) +
               "m_wndStatusBar.showwindow=268435456\nm_wndToolBar.showwindow=268435456\n";
    }

    CGuiDocument& OpenTwoPorts(int logShow = 1, int consoleBarShown = 268435456) {
        CGuiDocument* document =
            frame->OpenDocument(Write("demo.ini", TwoPorts(logShow, consoleBarShown)));
        Settle();
        return *document;
    }

    // The window of a port by name.
    static CChildFrame* WindowOf(CGuiDocument& document, const std::string& name) {
        for (CChildFrame* window : document.Windows()) {
            if (window->PortName() == name) {
                return window;
            }
        }
        return nullptr;
    }

    QtEventLoop loop;
    SystemClock clock;
    QTemporaryDir dir;
    std::unique_ptr<CMainFrame> frame;
};
