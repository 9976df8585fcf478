// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <utility>

// A Windows handle owned by one scope: closed when the scope ends unless released. Holds a HANDLE as
// void*, so that headers need not include <windows.h>; no handle is INVALID_HANDLE_VALUE.
class FileHandle
{
public:
    FileHandle() = default;
    explicit FileHandle(void* handle);
    ~FileHandle();
    FileHandle(FileHandle&& other) noexcept
        : m_handle(other.release())
    {}
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    void* get() const { return m_handle; }
    bool valid() const;
    explicit operator bool() const { return valid(); }
    // Gives up ownership: the caller closes the handle.
    void* release() { return std::exchange(m_handle, invalid()); }

    static void* invalid() { return reinterpret_cast<void*>(-1); }

private:
    void* m_handle = invalid();
};
