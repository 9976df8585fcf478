// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <stdexcept>
#include <system_error>

// Raised when a file's length or attributes cannot be queried or changed.
// It ends the running routine and passes up to the one handler that traps it.
class FileError : public std::runtime_error
{
public:
    FileError(const std::filesystem::path& path, std::error_code error, const char* operation);

    const std::filesystem::path& path() const { return m_path; }
    // The system's reason for the failure (no such file, access denied, a directory ...).
    std::error_code error() const { return m_error; }

private:
    std::filesystem::path m_path;
    std::error_code m_error;
};
