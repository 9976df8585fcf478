// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The questions about a file that only a real Windows answers (Wine has no streams, no Restart Manager, no
// cloud files, no protection programs): asked in this one place, so that tests can give recorded answers.
class FileQueries
{
public:
    // A file's attributes and reparse tag, as FILE_ATTRIBUTE_TAG_INFO gives them.
    struct AttributeTag
    {
        std::uint32_t attributes = 0;
        std::uint32_t reparseTag = 0;
    };

    virtual ~FileQueries() = default;

    // The names of the further data streams of the file at apiPath (":geheim:$DATA"), the unnamed one left
    // out; empty where the file system has none (FAT, Wine); nullopt when they cannot be listed.
    virtual std::optional<std::vector<std::wstring>> streamNames(const std::wstring& apiPath);
    // A program that holds the file at apiPath open, by the name of its executable without ".exe"
    // ("WINWORD"), or by the name it gives itself; empty when none can be told.
    virtual std::wstring holder(const std::wstring& apiPath);
    // The attributes and the reparse tag of the open file handle (a HANDLE); nullopt when they cannot be
    // read.
    virtual std::optional<AttributeTag> attributeTag(void* handle);
    // True when the file's security lets this user write and delete it: a write refused all the same was
    // refused by something else (a protection program, such as Controlled Folder Access).
    virtual bool rightsAllowWrite(const std::wstring& apiPath);
};
