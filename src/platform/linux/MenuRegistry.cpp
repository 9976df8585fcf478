// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/MenuRegistry.h"

#include "platform/CoreBridge.h"
#include "platform/NativePath.h"
#include "platform/linux/ActionCommand.h"
#include "platform/linux/FileManagerActions.h"

namespace {

// A key path or a value's data with its exact bytes, as the action files take them.
QString nativeText(const std::string& bytes)
{
    return NativePath::fromNative(QByteArray::fromStdString(bytes));
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool isShell(const QStringList& path)
{
    return path.size() >= 2 && sameName(path.at(0), QStringLiteral("*")) &&
           sameName(path.at(1), QStringLiteral("shell"));
}

} // namespace

MenuRegistry::MenuRegistry(FileManagerActions& actions, const std::filesystem::path& program)
    : m_actions(actions)
    , m_program(CoreBridge::fromPath(program))
{}

QString MenuRegistry::verbOf(const QStringList& path, int depth)
{
    if (path.size() != depth || !isShell(path) ||
        (depth == 4 && !sameName(path.at(3), QStringLiteral("command"))))
        return QString();
    return path.at(2);
}

std::optional<QStringList> MenuRegistry::pathOf(Key root, const QString& subKey) const
{
    QStringList path;
    if (root != ClassesRoot) {
        const auto it = m_handles.constFind(root);
        if (it == m_handles.constEnd())
            return std::nullopt;
        path = *it;
    }
    path.append(subKey.split(QLatin1Char('\\'), Qt::SkipEmptyParts));
    return path;
}

bool MenuRegistry::exists(const QStringList& path) const
{
    if (path.size() <= 2)
        return path.isEmpty() || isShell(path) ||
               (path.size() == 1 && sameName(path.at(0), QStringLiteral("*")));
    const QString verb = path.size() == 3 ? verbOf(path, 3) : verbOf(path, 4);
    return !verb.isEmpty() && m_actions.has(verb);
}

Registry::Key MenuRegistry::open(const QStringList& path)
{
    Key handle = m_nextHandle++;
    if (handle == ClassesRoot)
        handle = m_nextHandle++;
    m_handles.insert(handle, path);
    return handle;
}

long MenuRegistry::createKey(Key root, const std::string& subKey, Key* result)
{
    const std::optional<QStringList> path = pathOf(root, nativeText(subKey));
    if (!path)
        return RegistryStatus::InvalidHandle;
    if (result)
        *result = open(*path);
    return RegistryStatus::Success;
}

long MenuRegistry::setValue(Key root, const std::string& subKey, int type, const std::string& data)
{
    const std::optional<QStringList> path = pathOf(root, nativeText(subKey));
    if (!path)
        return RegistryStatus::InvalidHandle;
    const QString verb = verbOf(*path, 4);
    const std::optional<ActionCommand> command = ActionCommand::fromValue(m_program, nativeText(data));
    if (verb.isEmpty() || type != StringValue || !command)
        return RegistryStatus::AccessDenied;
    return m_actions.add(verb, *command) ? RegistryStatus::Success : RegistryStatus::WriteFault;
}

long MenuRegistry::openKey(Key root, const std::string& subKey, int /*options*/, int /*access*/, Key* result)
{
    if (result)
        *result = NoKey;
    const std::optional<QStringList> path = pathOf(root, nativeText(subKey));
    if (!path)
        return RegistryStatus::InvalidHandle;
    if (!exists(*path))
        return RegistryStatus::FileNotFound;
    if (result)
        *result = open(*path);
    return RegistryStatus::Success;
}

long MenuRegistry::deleteKey(Key key, const std::string& name)
{
    std::optional<QStringList> path = pathOf(key, nativeText(name));
    if (!path)
        return RegistryStatus::InvalidHandle;
    if (const QString verb = verbOf(*path, 4); !verb.isEmpty()) {
        if (!m_actions.has(verb))
            return RegistryStatus::FileNotFound;
        return m_actions.remove(verb) ? RegistryStatus::Success : RegistryStatus::WriteFault;
    }
    if (const QString verb = verbOf(*path, 3); !verb.isEmpty() && m_actions.has(verb))
        return RegistryStatus::AccessDenied; // its command key is still there
    return RegistryStatus::FileNotFound;
}

long MenuRegistry::closeKey(Key key)
{
    if (key == ClassesRoot)
        return RegistryStatus::Success;
    return m_handles.remove(key) ? RegistryStatus::Success : RegistryStatus::InvalidHandle;
}
