#include "platform/linux/HiveRegistry.h"

#include "platform/linux/AtomicFile.h"
#include "platform/linux/FileManagerActions.h"
#include "platform/linux/UserFolders.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <utility>
#include <vector>

struct HiveNode
{
    QString name;
    bool hasValue = false;
    int type = 0;
    QString value;
    std::vector<HiveNode> children;
};

namespace {

using Node = HiveNode;

const QString keysField = QStringLiteral("keys");
const QString nameField = QStringLiteral("name");
const QString valueField = QStringLiteral("value");
const QString typeField = QStringLiteral("type");

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The names of a key path; empty parts (doubled or trailing backslashes) are ignored.
QStringList splitPath(const QString& path)
{
    return path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
}

const Node* child(const Node& node, const QString& name)
{
    for (const Node& c : node.children) {
        if (sameName(c.name, name))
            return &c;
    }
    return nullptr;
}

Node* child(Node& node, const QString& name)
{
    return const_cast<Node*>(child(std::as_const(node), name));
}

// The key at path below root; null when any part of it is missing.
const Node* find(const Node& root, const QStringList& path)
{
    const Node* node = &root;
    for (const QString& name : path) {
        node = child(*node, name);
        if (!node)
            return nullptr;
    }
    return node;
}

Node* find(Node& root, const QStringList& path)
{
    return const_cast<Node*>(find(std::as_const(root), path));
}

// The key at path below node, creating what is missing. created tells whether anything was; path
// receives the stored spelling of each part.
Node& findOrCreate(Node& node, const QStringList& names, QStringList& path, bool& created)
{
    Node* current = &node;
    for (const QString& name : names) {
        Node* next = child(*current, name);
        if (!next) {
            current->children.push_back(Node{name, false, 0, QString(), {}});
            next = &current->children.back();
            created = true;
        }
        path.append(next->name);
        current = next;
    }
    return *current;
}

// Reads the subkeys of a stored key; entries that are not well-formed keys, and second spellings of a
// name already read, are dropped.
void readChildren(const QJsonObject& object, Node& node)
{
    const QJsonArray keys = object.value(keysField).toArray();
    for (const QJsonValue& value : keys) {
        const QJsonObject key = value.toObject();
        const QString name = key.value(nameField).toString();
        if (name.isEmpty() || name.contains(QLatin1Char('\\')) || child(node, name))
            continue;
        Node c{name, false, 0, QString(), {}};
        if (key.value(valueField).isString()) {
            c.hasValue = true;
            c.value = key.value(valueField).toString();
            c.type = key.value(typeField).toInt(Registry::StringValue);
        }
        readChildren(key, c);
        node.children.push_back(std::move(c));
    }
}

QJsonObject toJson(const Node& node)
{
    QJsonObject object;
    if (!node.name.isEmpty())
        object.insert(nameField, node.name);
    if (node.hasValue) {
        object.insert(typeField, node.type);
        object.insert(valueField, node.value);
    }
    if (!node.children.empty()) {
        QJsonArray keys;
        for (const Node& c : node.children)
            keys.append(toJson(c));
        object.insert(keysField, keys);
    }
    return object;
}

bool isBelowShell(const QStringList& path)
{
    return path.size() >= 2 && sameName(path.at(0), QStringLiteral("*")) &&
           sameName(path.at(1), QStringLiteral("shell"));
}

} // namespace

HiveRegistry::HiveRegistry(const QString& hivePath, FileManagerActions* actions)
    : m_hivePath(hivePath)
    , m_actions(actions)
{}

HiveRegistry::~HiveRegistry() = default;

std::unique_ptr<HiveRegistry> HiveRegistry::forUser(const QString& programName)
{
    const QString name = programName.isEmpty() ? QStringLiteral("tilgomatic") : programName;
    const QString dataHome = UserFolders::dataHome();
    std::unique_ptr<FileManagerActions> actions = FileManagerActions::forUser();
    auto hive = std::make_unique<HiveRegistry>(
        dataHome + QLatin1Char('/') + name + QStringLiteral("/registry.json"), actions.get());
    hive->m_ownedActions = std::move(actions);
    return hive;
}

HiveNode HiveRegistry::load(bool* damaged) const
{
    Node root;
    if (damaged)
        *damaged = false;
    QFile file(m_hivePath);
    if (!file.open(QIODevice::ReadOnly)) {
        if (damaged)
            *damaged = file.exists(); // there, but not for us to read
        return root;                  // no hive yet: empty
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        qWarning("Registry hive %s is damaged; taken as empty", qUtf8Printable(m_hivePath));
        if (damaged)
            *damaged = true;
        return root;
    }
    readChildren(document.object(), root);
    return root;
}

bool HiveRegistry::save(const Node& root) const
{
    return AtomicFile::write(m_hivePath, QJsonDocument(toJson(root)).toJson(QJsonDocument::Indented));
}

std::optional<QStringList> HiveRegistry::handlePath(Key handle) const
{
    if (handle == ClassesRoot)
        return QStringList();
    const auto it = m_handles.constFind(handle);
    if (it == m_handles.constEnd())
        return std::nullopt;
    return *it;
}

Registry::Key HiveRegistry::openHandle(const QStringList& path)
{
    Key handle = m_nextHandle++;
    if (handle == NoKey || handle == ClassesRoot)
        handle = m_nextHandle++;
    m_handles.insert(handle, path);
    return handle;
}

void HiveRegistry::afterChange(const Node& root, const QStringList& path)
{
    if (isBelowShell(path))
        syncFileManagers(root);
}

bool HiveRegistry::syncFileManagers() const
{
    // A hive that cannot be read says nothing about the wish: the entries stay as they are.
    bool damaged = false;
    const Node root = load(&damaged);
    return !damaged && syncFileManagers(root);
}

bool HiveRegistry::syncFileManagers(const Node& root) const
{
    if (!m_actions)
        return true;
    QList<FileManagerActions::Verb> verbs;
    if (const Node* shell = find(root, {QStringLiteral("*"), QStringLiteral("shell")})) {
        for (const Node& verb : shell->children) {
            const Node* command = child(verb, QStringLiteral("command"));
            if (command && command->hasValue)
                verbs.append(FileManagerActions::Verb{verb.name, command->value});
        }
    }
    return m_actions->sync(verbs);
}

struct HiveRegistry::Reach
{
    Node tree;
    Node* key = nullptr;
    QStringList path; // of key, in the stored spelling
    bool created = false;
};

long HiveRegistry::reach(Key root, const QString& subKey, Reach& into) const
{
    const std::optional<QStringList> base = handlePath(root);
    if (!base)
        return RegistryStatus::InvalidHandle;
    into.tree = load();
    Node* start = find(into.tree, *base);
    if (!start)
        return RegistryStatus::FileNotFound;
    into.path = *base;
    into.key = &findOrCreate(*start, splitPath(subKey), into.path, into.created);
    return RegistryStatus::Success;
}

long HiveRegistry::createKey(Key root, const QString& subKey, Key* result)
{
    if (result)
        *result = NoKey;
    Reach reached;
    if (const long status = reach(root, subKey, reached); status != RegistryStatus::Success)
        return status;
    // A new key holds no value yet, so the file managers have nothing new to show.
    if (reached.created && !save(reached.tree))
        return RegistryStatus::WriteFault;
    if (result)
        *result = openHandle(reached.path);
    return RegistryStatus::Success;
}

long HiveRegistry::setValue(Key root, const QString& subKey, int type, const QString& data)
{
    Reach reached;
    if (const long status = reach(root, subKey, reached); status != RegistryStatus::Success)
        return status;
    Node& key = *reached.key;
    bool changed = reached.created;
    if (!key.hasValue || key.type != type || key.value != data) {
        key.hasValue = true;
        key.type = type;
        key.value = data;
        changed = true;
    }
    if (changed && !save(reached.tree))
        return RegistryStatus::WriteFault;
    // Also when nothing changed: registering again restores action files the user may have deleted.
    afterChange(reached.tree, reached.path);
    return RegistryStatus::Success;
}

long HiveRegistry::openKey(Key root, const QString& subKey, int options, int access, Key* result)
{
    Q_UNUSED(options);
    Q_UNUSED(access); // the hive has no rights of its own: whoever may write the file may do anything
    if (result)
        *result = NoKey;
    const std::optional<QStringList> base = handlePath(root);
    if (!base)
        return RegistryStatus::InvalidHandle;
    Node tree = load();
    QStringList path = *base;
    path.append(splitPath(subKey));
    if (!find(tree, path))
        return RegistryStatus::FileNotFound;

    // Store the spelling of creation, as the handle of a created key does.
    QStringList stored;
    Node* node = &tree;
    for (const QString& name : path) {
        node = child(*node, name);
        stored.append(node->name);
    }
    if (result)
        *result = openHandle(stored);
    return RegistryStatus::Success;
}

long HiveRegistry::deleteKey(Key key, const QString& name)
{
    const std::optional<QStringList> base = handlePath(key);
    if (!base)
        return RegistryStatus::InvalidHandle;
    const QStringList names = splitPath(name);
    if (names.isEmpty())
        return RegistryStatus::AccessDenied; // a key is not deleted through its own handle

    Node tree = load();
    QStringList parentPath = *base;
    parentPath.append(names.mid(0, names.size() - 1));
    Node* parent = find(tree, parentPath);
    if (!parent)
        return RegistryStatus::FileNotFound;
    const auto victim = std::find_if(parent->children.begin(), parent->children.end(),
                                     [&names](const Node& c) { return sameName(c.name, names.last()); });
    if (victim == parent->children.end())
        return RegistryStatus::FileNotFound;
    if (!victim->children.empty())
        return RegistryStatus::AccessDenied;

    QStringList path = parentPath;
    path.append(victim->name);
    // Only a key with a value can have been a verb's command the file managers show.
    const bool hadValue = victim->hasValue;
    parent->children.erase(victim);
    if (!save(tree))
        return RegistryStatus::WriteFault;
    if (hadValue)
        afterChange(tree, path);
    return RegistryStatus::Success;
}

long HiveRegistry::closeKey(Key key)
{
    if (key == ClassesRoot)
        return RegistryStatus::Success;
    return m_handles.remove(key) ? RegistryStatus::Success : RegistryStatus::InvalidHandle;
}

std::optional<QString> HiveRegistry::defaultValue(const QString& path) const
{
    const Node tree = load();
    const Node* node = find(tree, splitPath(path));
    if (!node || !node->hasValue)
        return std::nullopt;
    return node->value;
}

QStringList HiveRegistry::subKeys(const QString& path) const
{
    Node tree = load();
    QStringList names;
    if (const Node* node = find(tree, splitPath(path))) {
        for (const Node& c : node->children)
            names.append(c.name);
    }
    return names;
}

bool HiveRegistry::keyExists(const QString& path) const
{
    Node tree = load();
    return find(tree, splitPath(path)) != nullptr;
}
