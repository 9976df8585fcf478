// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileError.h"

#include <string.h>

namespace {

// strerror's text without its shared buffer: a FileError can be made on the run's worker thread while the
// window's thread makes one too.
std::string errorText(int errorNumber)
{
    char buffer[256] = {};
    return ::strerror_r(errorNumber, buffer, sizeof buffer); // the GNU form returns the text to use
}

} // namespace

FileError::FileError(const QString& path, int errorNumber, const char* operation)
    : std::runtime_error(std::string(operation) + " failed for " + path.toStdString() + ": " +
                         errorText(errorNumber))
    , m_path(path)
    , m_errorNumber(errorNumber)
{}
