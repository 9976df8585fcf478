#pragma once

#include "platform/ProgramInfo.h"

class BrowseDialog;
class Desktop;
class FileSystem;
class Registry;
class SettingsStore;

// Everything the main window needs from outside: the platform's services and what the program knows of
// itself. main() hands in the real ones; tests hand in doubles.
struct MainServices
{
    FileSystem& fileSystem;
    SettingsStore& settings;
    Registry& registry;
    Desktop& desktop;
    BrowseDialog& browseDialog;
    ProgramInfo program;
    // Started as root on behalf of another user (sudo, pkexec): the file-manager entries would land in
    // root's home, so the window offers no context-menu entry then.
    bool rootForOtherUser = false;
};
