// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <stdexcept>

// Raised when a file's length or attributes cannot be queried or changed.
// It ends the running routine and passes up to the one handler that traps it.
class FileError : public std::runtime_error
{
public:
    FileError(const QString& path, int errorNumber, const char* operation);

    const QString& path() const { return m_path; }
    // The errno value behind the failure (ENOENT, EACCES, EISDIR ...).
    int errorNumber() const { return m_errorNumber; }

private:
    QString m_path;
    int m_errorNumber;
};
