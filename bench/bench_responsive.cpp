// SPDX-License-Identifier: GPL-3.0-or-later
// How well the real window answers while it destroys a file, against the engine alone.
//
//   bench_responsive FOLDER [SIZE_MIB]     (default 256 MiB)
//   bench_responsive --refresh FILE [COUNT] (default 20)
//
// First ShredFile alone on a fresh file in FOLDER (the reference). Then the program's window, with its real
// services, is loaded with a fresh file of the same size and "&Datei löschen" is clicked. Meanwhile another
// thread posts the window's thread an event every 50 ms, stamped with the time it was posted; the time
// until the window's thread handles it is that event's latency. Prints the longest and the 99th-percentile
// latency and the window's run time over the engine's. With --refresh, the window is loaded with FILE (which
// it does not touch) and describes it COUNT times; each description blocks the window's thread, so its
// time is how long the window does not answer. Run it through bench/responsiveness, which gives it a
// throw-away home folder.

#include "BenchFiles.h"
#include "engine/Shredder.h"
#include "platform/ProgramInfo.h"
#include "platform/gui/FileChooserDialog.h"
#include "platform/linux/FileManagerActions.h"
#include "platform/linux/IniSettingsStore.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/MenuRegistry.h"
#include "platform/linux/UserFolders.h"
#include "ui/MainServices.h"
#include "ui/PanelLabel.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using BenchFiles::MiB;
using BenchFiles::secondsSince;
constexpr auto PingInterval = std::chrono::milliseconds(50);

const QEvent::Type PingType = QEvent::Type(QEvent::registerEventType());

struct PingEvent : QEvent
{
    explicit PingEvent(Clock::time_point posted)
        : QEvent(PingType)
        , posted(posted)
    {}
    const Clock::time_point posted;
};

// Lives on the window's thread and notes how late each ping is handled.
class PingAnswer : public QObject
{
public:
    std::vector<double> latenciesMs;
    std::vector<double> firstSecondMs; // of the pings posted in the first second after the click
    std::atomic<Clock::rep> clickedAt{0};

protected:
    bool event(QEvent* event) override
    {
        if (event->type() != PingType)
            return QObject::event(event);
        const auto posted = static_cast<PingEvent*>(event)->posted;
        const double latency = std::chrono::duration<double, std::milli>(Clock::now() - posted).count();
        latenciesMs.push_back(latency);
        const Clock::time_point clicked{Clock::duration(clickedAt.load())};
        if (clickedAt.load() != 0 && posted >= clicked && posted - clicked < std::chrono::seconds(1))
            firstSecondMs.push_back(latency);
        return true;
    }
};

ProgramInfo programFor(char** argv, const QString& path)
{
    ProgramInfo program = ProgramInfo::current(1, argv);
    program.arguments = QStringList{path};
    return program;
}

// The window with its real services, loaded with path.
struct Window
{
    Window(char** argv, const QString& path)
        : program(programFor(argv, path))
        , actions(UserFolders::dataHome(), UserFolders::configHome())
        , registry(actions, program.executablePath)
        , browseDialog(fileSystem)
        , window(MainServices{fileSystem, settings, registry, browseDialog, program, false})
    {
        window.Form_Initialize();
        window.Form_Load();
        window.show();
    }
    LinuxFileSystem fileSystem;
    ProgramInfo program;
    IniSettingsStore settings;
    FileManagerActions actions;
    MenuRegistry registry;
    FileChooserDialog browseDialog;
    frmMain window;
};

int refreshBench(int argc, char** argv)
{
    const QString path = QFile::decodeName(argv[2]);
    const long count = argc == 4 ? std::strtol(argv[3], nullptr, 10) : 20;
    if (count < 1 || !QFile::exists(path))
        return 2;
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setFont(frmMain::dialogFont());
    Window shown(argv, path);
    QCoreApplication::processEvents();
    std::vector<double> ms;
    for (long i = 0; i < count; ++i) {
        const auto start = Clock::now();
        shown.window.RefreshTarget();
        ms.push_back(secondsSince(start) * 1000);
        QCoreApplication::processEvents();
    }
    std::sort(ms.begin(), ms.end());
    std::printf("file %s: %ld descriptions, longest %.1f ms, median %.1f ms (goal < 100 ms)\n", argv[2],
                count, ms.back(), ms[ms.size() / 2]);
    std::printf("the window says: %s\n", qPrintable(shown.window.lblMsg->text()));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && argc <= 4 && std::strcmp(argv[1], "--refresh") == 0)
        return refreshBench(argc, argv);
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s FOLDER [SIZE_MIB]\n", argv[0]);
        return 2;
    }
    const QString folder = QFile::decodeName(argv[1]);
    const long sizeMiB = argc == 3 ? std::strtol(argv[2], nullptr, 10) : 256;
    if (sizeMiB < 1)
        return 2;
    const qint64 size = sizeMiB * MiB;
    const QString path = folder + QStringLiteral("/bench-responsive-%1.dat").arg(::getpid());

    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setFont(frmMain::dialogFont());

    // The reference: the engine alone, on this thread, as the window's worker runs it.
    BenchFiles::createFile(QFile::encodeName(path).toStdString(), size);
    LinuxFileSystem fileSystem;
    const auto engineStart = Clock::now();
    const bool engineComplete =
        modShredder::ShredFile(path, frmMain::ShredPasses, fileSystem, {}).fullyOverwritten();
    const double engineSeconds = secondsSince(engineStart);

    BenchFiles::createFile(QFile::encodeName(path).toStdString(), size);
    ProgramInfo program = ProgramInfo::current(1, argv);
    program.arguments = QStringList{path};
    IniSettingsStore settings;
    FileManagerActions actions(UserFolders::dataHome(), UserFolders::configHome());
    MenuRegistry registry(actions, program.executablePath);
    FileChooserDialog browseDialog(fileSystem);
    const MainServices services{fileSystem, settings, registry, browseDialog, program, false};
    frmMain window(services);
    window.Form_Initialize();
    window.Form_Load();
    window.show();

    PingAnswer answer;
    std::atomic<bool> pinging{true};
    std::thread pinger([&] {
        auto next = Clock::now();
        while (pinging.load()) {
            next += PingInterval;
            std::this_thread::sleep_until(next);
            QCoreApplication::postEvent(&answer, new PingEvent(Clock::now()));
        }
    });

    double windowSeconds = 0;
    QTimer::singleShot(100, [&] {
        const auto start = Clock::now();
        answer.clickedAt = start.time_since_epoch().count();
        window.cmdDelete->click();
        windowSeconds = secondsSince(start);
        pinging = false;
        QCoreApplication::quit();
    });
    app.exec();
    pinger.join();
    QCoreApplication::processEvents();
    const bool windowComplete = !QFile::exists(path);

    std::vector<double> sorted = answer.latenciesMs;
    std::sort(sorted.begin(), sorted.end());
    const double longest = sorted.empty() ? 0 : sorted.back();
    const double p99 = sorted.empty() ? 0 : sorted[std::min(sorted.size() - 1, sorted.size() * 99 / 100)];
    std::printf("folder %s, file %ld MiB, %zu pings every 50 ms\n", argv[1], sizeMiB, sorted.size());
    std::printf("engine alone %8.2f s%s\n", engineSeconds, engineComplete ? "" : "  INCOMPLETE RUN");
    std::printf("window       %8.2f s%s\n", windowSeconds, windowComplete ? "" : "  FILE STILL THERE");
    std::printf("latency longest %.1f ms, 99th percentile %.1f ms (goal < 100 ms)\n", longest, p99);
    const auto firstLongest = std::max_element(answer.firstSecondMs.begin(), answer.firstSecondMs.end());
    std::printf("first second after the click: %zu pings, longest %.1f ms (goal < 100 ms)\n",
                answer.firstSecondMs.size(),
                firstLongest == answer.firstSecondMs.end() ? 0.0 : *firstLongest);
    std::printf("window/engine %.3f (goal <= 1.05)\n", windowSeconds / engineSeconds);
    return engineComplete && windowComplete ? 0 : 1;
}
