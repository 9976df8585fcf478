// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowFixture.h"

#include "platform/CoreBridge.h"
#include "platform/NativePath.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>

WindowFixture::WindowFixture()
{
    QGuiApplication::setQuitOnLastWindowClosed(false);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    program.executableName = "tilgomatic";
    program.programFolder = CoreBridge::toPath(programFolder.path());
    program.executablePath = CoreBridge::toPath(programFolder.filePath(QStringLiteral("tilgomatic")));
    program.workingFolder = CoreBridge::toPath(files.path());
}

WindowFixture::~WindowFixture()
{
    window.reset();
    QLocale::setDefault(QLocale::c());
}

frmMain& WindowFixture::open(const QStringList& arguments)
{
    program.arguments.clear();
    for (const QString& argument : arguments)
        program.arguments.push_back(NativePath::toNative(argument).toStdString());
    const MainServices services{fileSystem,
                                settings,
                                registry,
                                browseDialog,
                                program,
                                rootForOtherUser,
                                rootForOtherUser ? nullptr : &shellEntries};
    window = std::make_unique<frmMain>(services);
    window->Form_Initialize();
    window->Form_Load();
    window->show();
    return *window;
}

void WindowFixture::onUiThread(const std::function<void()>& fn)
{
    QMetaObject::invokeMethod(window.get(), fn, Qt::BlockingQueuedConnection);
}

QString WindowFixture::path(const QString& name) const
{
    return files.filePath(name);
}

QString WindowFixture::makeFile(const QString& name, qint64 size)
{
    const QString filePath = path(name);
    QDir().mkpath(QFileInfo(filePath).absolutePath());
    QFile file(filePath);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << filePath.toStdString();
    file.write(QByteArray(size, 'x'));
    return filePath;
}

std::unique_ptr<QMimeData> WindowFixture::filesData(const QStringList& paths)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& p : paths)
        urls << QUrl::fromLocalFile(p);
    data->setUrls(urls);
    return data;
}

DropOutcome WindowFixture::dragAndDrop(QWidget* widget, const QMimeData& data, std::optional<QPoint> pos)
{
    const QPoint at = pos.value_or(widget->rect().center());
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    DropOutcome outcome;
    QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &enter);
    outcome.enterAccepted = enter.isAccepted();
    outcome.enterAction = enter.dropAction();
    if (!outcome.enterAccepted)
        return outcome;
    QDragMoveEvent move(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
    // A drop follows whenever the enter was taken; a control that took it only to refuse must refuse again.
    QDropEvent drop(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &drop);
    outcome.dropSent = true;
    outcome.dropAccepted = drop.isAccepted() && drop.dropAction() != Qt::IgnoreAction;
    return outcome;
}

void WindowFixture::load(const QString& filePath)
{
    const auto data = filesData({filePath});
    const DropOutcome outcome = dragAndDrop(window.get(), *data, QPoint(1, 1));
    ASSERT_TRUE(outcome.dropAccepted) << filePath.toStdString();
    ASSERT_EQ(window->TargetPath(), filePath);
}

QString WindowFixture::openWithFile(const QString& name, qint64 size)
{
    open();
    const QString filePath = makeFile(name, size);
    load(filePath);
    return filePath;
}

void WindowFixture::sendKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(widget, &release);
}

void WindowFixture::click(QWidget* widget)
{
    const QPointF at = QPointF(widget->rect().center());
    const QPointF global = QPointF(widget->mapToGlobal(widget->rect().center()));
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}
