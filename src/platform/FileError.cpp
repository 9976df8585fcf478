// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileError.h"

#include <string>

// The error code's message is made afresh for each error, without a buffer shared between threads: a
// FileError can be made on the run's worker thread while the window's thread makes one too.
FileError::FileError(const std::filesystem::path& path, std::error_code error, const char* operation)
    : std::runtime_error(std::string(operation) + " failed for " + path.string() + ": " + error.message())
    , m_path(path)
    , m_error(error)
{}
