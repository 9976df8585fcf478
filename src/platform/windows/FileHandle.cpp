// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/windows/FileHandle.h"

#include <windows.h>

// CreateFileW and ReOpenFile fail with INVALID_HANDLE_VALUE; a null handle is taken as none too.
FileHandle::FileHandle(void* handle)
    : m_handle(handle ? handle : invalid())
{}

FileHandle::~FileHandle()
{
    if (valid())
        ::CloseHandle(m_handle);
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept
{
    if (this != &other) {
        if (valid())
            ::CloseHandle(m_handle);
        m_handle = other.release();
    }
    return *this;
}

bool FileHandle::valid() const
{
    return m_handle != INVALID_HANDLE_VALUE;
}
