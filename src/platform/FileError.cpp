// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileError.h"

#include <string>

// The message comes with the error code (the C library's text, thread-safe in glibc and MinGW's runtime): a
// FileError can be made on the run's worker thread while the window's thread makes one too.
FileError::FileError(const std::filesystem::path& path, std::error_code error, const char* operation)
    : std::runtime_error(std::string(operation) + " failed for " + path.string() + ": " + error.message())
    , m_path(path)
    , m_error(error)
{}
