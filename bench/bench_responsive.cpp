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
//
//   bench_responsive --delete FILE
//
// The window loaded with FILE, which "&Datei löschen" destroys. Prints the longest stretch the window's
// thread spent between two waits of its event loop, from the click to after the run's end (the main run
// prints it too).
//
//   bench_responsive --look-alikes FOLDER [ENTRIES]     (default 200000)
//
// Start-up with a command-line target whose name holds U+FFFD, as a file manager passes a name it could
// not decode, in a folder of ENTRIES photo names (made once, in FOLDER/look-alikes-ENTRIES) that also
// holds the name with the byte 0xE4 in its place: the window has to look through the folder for such
// neighbours. Prints the time from the window's creation to its first paint, the time until it tells of
// the look-alike, and the longest latency of pings posted meanwhile.

#include "BenchFiles.h"
#include "engine/Shredder.h"
#include "platform/CoreBridge.h"
#include "platform/NativePath.h"
#include "platform/gui/FileChooserDialog.h"
#include "platform/linux/FileManagerActions.h"
#include "platform/linux/IniSettingsStore.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/MenuRegistry.h"
#include "platform/linux/RunningProgram.h"
#include "platform/linux/UserFolders.h"
#include "ui/MainServices.h"
#include "ui/PanelLabel.h"
#include "ui/frmMain.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
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
#include <string>
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

// Posts answer a stamped ping every 50 ms from a thread of its own until stopped or destroyed.
class Pinger
{
public:
    explicit Pinger(PingAnswer& answer)
        : m_thread([this, &answer] {
            auto next = Clock::now();
            while (m_running.load()) {
                next += PingInterval;
                std::this_thread::sleep_until(next);
                QCoreApplication::postEvent(&answer, new PingEvent(Clock::now()));
            }
        })
    {}
    ~Pinger() { stop(); }
    Pinger(const Pinger&) = delete;
    Pinger& operator=(const Pinger&) = delete;

    void stop()
    {
        m_running = false;
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    std::atomic<bool> m_running{true};
    std::thread m_thread;
};

ProgramInfo programFor(char** argv, const QString& path)
{
    ProgramInfo program = RunningProgram::info(1, argv);
    program.arguments = {NativePath::toNative(path).toStdString()};
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

// The longest stretch the window's thread spends between two waits of its event loop: from the moment the
// loop wakes up to the moment it next goes to sleep. Nothing is answered in such a stretch.
class BusyProbe
{
public:
    BusyProbe()
    {
        auto* dispatcher = QAbstractEventDispatcher::instance();
        QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, [this] {
            if (m_awake == Clock::time_point{})
                m_awake = Clock::now();
        });
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, [this] {
            if (m_awake == Clock::time_point{})
                return;
            const double ms = std::chrono::duration<double, std::milli>(Clock::now() - m_awake).count();
            if (ms > longestMs) {
                longestMs = ms;
                longestEndedAt = Clock::now();
            }
            m_awake = {};
        });
    }
    double longestMs = 0;
    Clock::time_point longestEndedAt{};

private:
    Clock::time_point m_awake{};
};

// The window loaded with the file at argv[2], which "&Datei löschen" then destroys: the longest stretch
// between two waits of the window's event loop, from the load to after the run's end.
int deleteBench(char** argv)
{
    const QString path = QFile::decodeName(argv[2]);
    if (!QFile::exists(path))
        return 2;
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setFont(frmMain::dialogFont());
    BusyProbe busy;
    const auto start = Clock::now();
    Window shown(argv, path);
    const double loadMs = secondsSince(start) * 1000;
    QTimer::singleShot(200, [&] {
        shown.window.cmdDelete->click();
        QTimer::singleShot(500, [] { QCoreApplication::quit(); });
    });
    app.exec();
    std::printf("file %s: load %.1f ms, then longest stretch between two waits of the event loop %.1f ms "
                "(goal < 100 ms)\n",
                argv[2], loadMs, busy.longestMs);
    std::printf("the window says: %s\n",
                qPrintable(!shown.window.lblEmpty->isHidden() ? shown.window.lblEmpty->text()
                                                              : shown.window.lblMsg->text()));
    return QFile::exists(path) ? 1 : 0;
}

// Notes when the watched widget is first painted.
class FirstPaint : public QObject
{
public:
    Clock::time_point at{};

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && at == Clock::time_point{})
            at = Clock::now();
        return QObject::eventFilter(watched, event);
    }
};

// A folder of entries photo names, half of them holding the byte 0xE4 that is no UTF-8, among them the
// target's look-alike, and the target itself named with U+FFFD in that place; made once and kept.
const char* const PhotoName = "Urlaubsfoto vom Strand in K%1rnten, Nummer %2.jpg";

QString lookAlikeFolder(const QString& parent, long entries)
{
    const QString folder = parent + QStringLiteral("/look-alikes-%1").arg(entries);
    const QByteArray native = QFile::encodeName(folder);
    if (QFile::exists(folder + QStringLiteral("/complete")))
        return folder;
    QDir().mkpath(folder);
    const auto touch = [&](const QByteArray& name) {
        const int fd = ::open((native + '/' + name).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0)
            BenchFiles::fail("cannot create " + name.toStdString());
        ::close(fd);
    };
    for (long i = 0; i < entries; ++i)
        touch(QByteArray(PhotoName)
                  .replace("%1", i % 2 ? "\xe4" : "ae")
                  .replace("%2", QByteArray::number(qlonglong(i))));
    touch(QByteArray(PhotoName)
              .replace("%1", "\xef\xbf\xbd")
              .replace("%2", QByteArray::number(qlonglong(entries + 1))));
    touch(QByteArray(PhotoName)
              .replace("%1", "\xe4")
              .replace("%2", QByteArray::number(qlonglong(entries + 1))));
    touch("complete");
    return folder;
}

int lookAlikeBench(int argc, char** argv)
{
    const long entries = argc == 4 ? std::strtol(argv[3], nullptr, 10) : 200000;
    if (entries < 1)
        return 2;
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setFont(frmMain::dialogFont());
    const QString folder = lookAlikeFolder(QFile::decodeName(argv[2]), entries);

    LinuxFileSystem fileSystem;
    ProgramInfo program = RunningProgram::info(1, argv);
    const QString photo = folder + u'/' +
                          QString::fromUtf8(PhotoName)
                              .replace(QStringLiteral("%1"), QChar(0xFFFD))
                              .replace(QStringLiteral("%2"), QString::number(entries + 1));
    program.arguments = {"1%", NativePath::toNative(photo).toStdString()};
    IniSettingsStore settings;
    FileManagerActions actions(UserFolders::dataHome(), UserFolders::configHome());
    MenuRegistry registry(actions, program.executablePath);
    FileChooserDialog browseDialog(fileSystem);
    const MainServices services{fileSystem, settings, registry, browseDialog, program, false};

    PingAnswer answer;
    Pinger pinger(answer);

    const auto start = Clock::now();
    frmMain window(services);
    FirstPaint paint;
    window.installEventFilter(&paint);
    window.Form_Initialize();
    window.Form_Load();
    window.show();

    // The look-alike is told of in place of the question, with "&Datei löschen" disabled.
    Clock::time_point told{};
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (told == Clock::time_point{} &&
            window.lblMsg->text().startsWith(QStringLiteral("Nicht eindeutig")))
            told = Clock::now();
        if (told != Clock::time_point{} && paint.at != Clock::time_point{} &&
            Clock::now() - std::max(told, paint.at) > std::chrono::milliseconds(300))
            QCoreApplication::quit();
        if (Clock::now() - start > std::chrono::seconds(60))
            QCoreApplication::quit();
    });
    poll.start(2);
    app.exec();
    pinger.stop();

    const auto ms = [&](Clock::time_point at) {
        return at == Clock::time_point{} ? -1.0
                                         : std::chrono::duration<double, std::milli>(at - start).count();
    };
    const double longest = answer.latenciesMs.empty()
                               ? 0
                               : *std::max_element(answer.latenciesMs.begin(), answer.latenciesMs.end());
    std::printf("folder of %ld entries, target named with U+FFFD\n", entries);
    std::printf("first paint of the window  %8.1f ms after its creation (goal < 100 ms)\n", ms(paint.at));
    std::printf("look-alike told            %8.1f ms after its creation\n", ms(told));
    std::printf("latency longest %.1f ms over %zu pings (goal < 100 ms)\n", longest,
                answer.latenciesMs.size());
    return told != Clock::time_point{} ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && argc <= 4 && std::strcmp(argv[1], "--refresh") == 0)
        return refreshBench(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--delete") == 0)
        return deleteBench(argv);
    if (argc >= 3 && argc <= 4 && std::strcmp(argv[1], "--look-alikes") == 0)
        return lookAlikeBench(argc, argv);
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
        modShredder::ShredFile(CoreBridge::toPath(path), MainWindowPresenter::ShredPasses, fileSystem, {})
            .fullyOverwritten();
    const double engineSeconds = secondsSince(engineStart);

    BenchFiles::createFile(QFile::encodeName(path).toStdString(), size);
    Window shown(argv, path);

    PingAnswer answer;
    Pinger pinger(answer);
    BusyProbe busy;

    double windowSeconds = 0;
    Clock::time_point clicked{};
    QTimer::singleShot(100, [&] {
        clicked = Clock::now();
        answer.clickedAt = clicked.time_since_epoch().count();
        shown.window.cmdDelete->click();
        windowSeconds = secondsSince(clicked);
        // The loop waits once more, so that the stretch of the run's end is measured too.
        QTimer::singleShot(500, [&] {
            pinger.stop();
            QCoreApplication::quit();
        });
    });
    app.exec();
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
    std::printf("longest stretch between two waits of the event loop %.1f ms, ending %.2f s after the click "
                "(goal < 100 ms)\n",
                busy.longestMs, secondsSince(clicked) - secondsSince(busy.longestEndedAt));
    std::printf("window/engine %.3f (goal <= 1.05)\n", windowSeconds / engineSeconds);
    return engineComplete && windowComplete ? 0 : 1;
}
