#pragma once

#include <QString>

// Hands documents to the user's desktop.
class Desktop
{
public:
    virtual ~Desktop() = default;

    // Opens path with the program the desktop has registered for its type. False when the file is
    // missing or no program is registered for its type; nothing is shown then.
    virtual bool openDocument(const QString& path) = 0;
};
