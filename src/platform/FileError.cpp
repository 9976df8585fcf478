#include "platform/FileError.h"

#include <cstring>

FileError::FileError(const QString& path, int errorNumber, const char* operation)
    : std::runtime_error(std::string(operation) + " failed for " + path.toStdString() + ": " +
                         std::strerror(errorNumber))
    , m_path(path)
    , m_errorNumber(errorNumber)
{}
