// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The attribute word of a file: a bit set shared by the engine and the information panel.
namespace FileAttributes {
enum : int {
    ReadOnly = 1,
    Hidden = 2,
    System = 4,
    Directory = 16,
    Archive = 32,
};
} // namespace FileAttributes
