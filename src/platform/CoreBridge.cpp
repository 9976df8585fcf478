// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/CoreBridge.h"

#include "platform/NativePath.h"

#include <QLocale>

#include <utility>

namespace CoreBridge {

std::filesystem::path toPath(const QString& path)
{
    bool ok = false;
    std::string bytes = NativePath::toNative(path, &ok).toStdString();
    if (!ok)
        bytes += '\0';
    return std::filesystem::path(std::move(bytes));
}

QString fromPath(const std::filesystem::path& path)
{
    return NativePath::fromNative(QByteArray::fromStdString(path.native()));
}

QStringList fromPaths(const std::vector<std::filesystem::path>& paths)
{
    QStringList list;
    list.reserve(qsizetype(paths.size()));
    for (const std::filesystem::path& path : paths)
        list.append(fromPath(path));
    return list;
}

std::vector<std::string> toNative(const QStringList& texts)
{
    std::vector<std::string> bytes;
    bytes.reserve(std::size_t(texts.size()));
    for (const QString& text : texts)
        bytes.push_back(toPath(text).native());
    return bytes;
}

QDateTime toDateTime(const std::optional<std::chrono::system_clock::time_point>& time)
{
    if (!time)
        return {};
    return QDateTime::fromMSecsSinceEpoch(
        std::chrono::duration_cast<std::chrono::milliseconds>(time->time_since_epoch()).count());
}

std::string toText(const QString& text)
{
    return text.toStdString();
}

QString fromText(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QStringList fromTexts(const std::vector<std::string>& texts)
{
    QStringList list;
    list.reserve(qsizetype(texts.size()));
    for (const std::string& text : texts)
        list.append(fromText(text));
    return list;
}

NumberFormat numberFormat(const QLocale& locale)
{
    return {locale.decimalPoint().toStdString(), locale.groupSeparator().toStdString()};
}

} // namespace CoreBridge
