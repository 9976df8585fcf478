// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Thunar keeps all custom actions of a user in one file, uca.xml. This merges the program's own actions
// into such a file: an action of ours is recognised by its unique-id and replaced, every other action
// (and whatever else the file holds) is kept.
class ThunarActions
{
public:
    struct Action
    {
        QString uniqueId; // starts with idPrefix()
        QString name;
        QString command; // with Thunar's field codes, not yet XML-escaped
        QString description;
        QString icon;
    };

    struct Merged
    {
        QByteArray xml;
        bool hadIt = false; // the input held an action with the unique-id
    };

    // "tilgomatic-": the unique-ids of our actions start with it, and no others do.
    static QString idPrefix();

    // xml without the actions whose unique-id is uniqueId, and with replacement, when given, appended at
    // the end of <actions>. std::nullopt when xml is not a well-formed document whose root element is
    // <actions>; the caller must then leave the file alone.
    static std::optional<Merged> merge(const QByteArray& xml, const QString& uniqueId,
                                       const std::optional<Action>& replacement);

    // A document with no actions, to start from when there is no file at all.
    static QByteArray emptyDocument();
};
