#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// Thunar keeps all custom actions of a user in one file, uca.xml. This merges the program's own actions
// into such a file: ours are recognised by the prefix of their unique-id and replaced, every other
// action (and whatever else the file holds) is kept.
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
        bool hadOurs = false; // the input held at least one of our actions
    };

    // "tilgomatic-": the unique-ids of our actions start with it, and no others do.
    static QString idPrefix();

    // xml with all of our actions removed and ours appended, in order, at the end of <actions>.
    // std::nullopt when xml is not a well-formed document whose root element is <actions>; the caller
    // must then leave the file alone.
    static std::optional<Merged> merge(const QByteArray& xml, const QList<Action>& ours);

    // A document with no actions, to start from when there is no file at all.
    static QByteArray emptyDocument();
};
