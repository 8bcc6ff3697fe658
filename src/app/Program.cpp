#include "app/Program.h"

#include "app/ConsoleInput.h"
#include "app/HeadlessUi.h"
#include "app/StdStreams.h"
#include "document/SpotweaverDoc.h"
#include "platform/CommandIds.h"
#include "platform/qt/QtArguments.h"
#include "platform/qt/QtEventLoop.h"
#include "platform/qt/SignalWatcher.h"
#include "platform/qt/SystemClock.h"
#include "transport/FileHandler.h"
#include "transport/PortFactory.h"

#if defined(SPOTWEAVER_WITH_GUI) && SPOTWEAVER_WITH_GUI && __has_include("ui/GuiMain.h")
#include "ui/GuiMain.h"
#define SW_HAVE_GUI 1
#endif

#include <QCoreApplication>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int ExitMended = 3;

void Complain(const std::string& text) {
    StdStreams::Error("spotweaver: " + text + "\n");
}

// The text of --help or --version on standard output. Text that could not
// be written (a full disk) is a failure, not a success.
int PrintText(const std::string& text) {
    std::fputs(text.c_str(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        Complain(std::string("write error: ") + std::strerror(errno));
        return 1;
    }
    return 0;
}

// Every caller of a server port and every log file takes a descriptor; a
// server raises its soft limit to the hard one, as far as it may.
// "file descriptors: limit raised from 1024 to 524288"
std::string RaiseDescriptorLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        return std::string("file descriptors: limit unknown: ") + std::strerror(errno);
    }
    const rlim_t before = limit.rlim_cur;
    if (before == limit.rlim_max) {
        return "file descriptors: limit " + std::to_string(before);
    }
    limit.rlim_cur = limit.rlim_max;
    if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) {
        return "file descriptors: limit " + std::to_string(before) +
               ", not raised: " + std::strerror(errno);
    }
    return "file descriptors: limit raised from " + std::to_string(before) + " to " +
           std::to_string(limit.rlim_max);
}

// SIGHUP, as after a log rotation: every connected log file port opens its
// file again; nothing is disconnected.
void ReopenLogFiles(const CSpotweaverDoc& doc) {
    int reopened = 0;
    int logs = 0;
    for (int i = 0; i < doc.PortCount(); ++i) {
        if (auto* log = dynamic_cast<CFileHandler*>(doc.Port(i)); log && log->IsConnected()) {
            ++logs;
            reopened += log->Reopen() ? 1 : 0;
        }
    }
    StdStreams::Error("SIGHUP: " + std::to_string(reopened) + " of " + std::to_string(logs) +
                      " log files opened again\n");
}

// spotweaver --headless setup.ini [/START] [--follow]
int RunHeadless(char** argv, const CommandLine& cl) {
    const std::string descriptors = RaiseDescriptorLimit();
    QtArguments qtArgs(argv);
    QCoreApplication app(qtArgs.count, qtArgs.args);
    StdStreams::LoopScope streams;
    if (cl.follow) {
        StdStreams::Error(descriptors + "\n");
    }
    QtEventLoop loop;
    SystemClock clock;
    CHeadlessUi ui(cl.follow, true);
    CPortFactory factory;
    CSpotweaverDoc doc(loop, clock, ui, factory);
    doc.SetCountReports(cl.follow);
    // Installed first: a stop asked for while loading is carried out as soon
    // as the loop runs.
    CSignalWatcher stopOnSignal(
        [&doc](int) {
            doc.DeleteAllPorts();
            QCoreApplication::quit();
        },
        [&doc] { ReopenLogFiles(doc); });
    if (!stopOnSignal.Problem().empty()) {
        StdStreams::Error(stopOnSignal.Problem());
    }

    std::string error;
    if (!doc.ReadFile(cl.setupFile, error)) {
        Complain(error);
        return 1;
    }
    doc.LoadPorts();
    if (cl.start) {
        // Setup > Connect! on the port selector's "ALL".
        doc.OnCommand(CommandId::Connect);
    }
    CConsoleInput input(STDIN_FILENO, loop, [&ui] { return ui.ConsoleInputPort(); });
    QCoreApplication::exec();
    return 0;
}

// spotweaver --check setup.ini [--save-as out.ini]: loads as the document
// does, without connecting anything or running the event loop. 0: loaded
// without a word; 1: not loaded, or loaded only in part; 3: loaded, with
// rules, out-of-range values or script steps dropped or clamped.
int RunCheck(char** argv, const CommandLine& cl) {
    QtArguments qtArgs(argv);
    QCoreApplication app(qtArgs.count, qtArgs.args);
    QtEventLoop loop;
    SystemClock clock;
    CHeadlessUi ui(true, false);
    CPortFactory factory;
    CSpotweaverDoc doc(loop, clock, ui, factory);

    std::string error;
    if (!doc.ReadFile(cl.setupFile, error)) {
        Complain(error);
        return 1;
    }
    doc.LoadPorts();
    // Read now: removing the ports writes to their windows too.
    const bool mended = ui.PortWindowWritten();
    if (!cl.saveAs.empty() && !doc.SaveFile(cl.saveAs, error)) {
        Complain(error);
        return 1;
    }
    doc.DeleteAllPorts();
    if (ui.MessageBoxCount() != 0) {
        return 1;
    }
    return mended ? ExitMended : 0;
}

int RunDesktop(int argc, char** argv, const CommandLine& cl) {
#ifdef SW_HAVE_GUI
    RaiseDescriptorLimit();
    return RunGui(argc, argv, GuiStart{cl.setupFile, cl.start, cl.ignored});
#else
    (void)argc;
    (void)argv;
    (void)cl;
    Complain("the desktop window is not built into this program; use --headless");
    return 1;
#endif
}

} // namespace

int Program::Run(int argc, char** argv, const CommandLine& cl) {
    // A log pipe or an output whose reader left is a write error the port
    // reports, not the end of the program.
    std::signal(SIGPIPE, SIG_IGN);
    // A file size limit is a full disk to the log file port, which holds
    // its lines, not a reason to end.
    std::signal(SIGXFSZ, SIG_IGN);
    try {
        switch (cl.mode) {
        case CommandLine::Mode::Help:
            return PrintText(CommandLine::HelpText());
        case CommandLine::Mode::Version:
            return PrintText(std::string("spotweaver ") + SPOTWEAVER_VERSION + "\n");
        case CommandLine::Mode::Error:
            std::fprintf(stderr, "spotweaver: %s\nTry 'spotweaver --help' for more information.\n",
                         cl.error.c_str());
            return 2;
        case CommandLine::Mode::Headless:
            return RunHeadless(argv, cl);
        case CommandLine::Mode::Check:
            return RunCheck(argv, cl);
        case CommandLine::Mode::Gui:
            return RunDesktop(argc, argv, cl);
        }
    } catch (const std::exception& e) {
        Complain(std::string("internal error: ") + e.what());
    }
    return 1;
}
