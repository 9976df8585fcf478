// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// What the panel's message says, so that what follows it (a run's outcome) is chosen by kind, never by its
// words. A new warning or refusal adds its kind here and says in isWarning whether it warns of a file that
// may still be destroyed.
enum class MessageKind {
    None,              // no target
    Question,          // the plain question
    UncheckedOpeners,  // the question, saying that other users' programs cannot be seen
    CopiesWarning,     // the file system may keep copies or further names
    NoSpaceWarning,    // the sweeps may not fit the free space
    LookAlikeScan,     // the folder is looked through for names the target's may stand for
    LookAlikeChoice,   // one of several look-alikes is to be chosen
    FolderRefusal,     // a folder is no file to destroy
    UnreadableRefusal, // the target cannot be read
    ReadOnlyRefusal,   // the medium is read-only
    PseudoFileRefusal, // a file the kernel only shows
    UnopenableRefusal, // no run would open it: a FIFO, socket or device, or a file marked immutable
    CloudOnlyRefusal,  // a cloud file whose data is not on this disk
    CloudWarning,      // a cloud provider keeps its own copies and versions
    StreamsQuestion,   // the question, telling of further data streams that are overwritten too
    LeftoverNotice,    // what a killed run left beside the file was found and finished
};

// Whether the message warns of a file that may still be destroyed (the delete button stays).
constexpr bool isWarning(MessageKind kind)
{
    return kind == MessageKind::CopiesWarning || kind == MessageKind::NoSpaceWarning ||
           kind == MessageKind::CloudWarning || kind == MessageKind::StreamsQuestion;
}

// What the information panel shows for the current target, as the window's model worked it out. Texts
// are UTF-8. A field left empty (nullopt) leaves its label as it was.
struct PanelState
{
    std::string title;
    // No target: the invitation (lblEmpty) in place of every label of the panel.
    bool empty = true;
    // The name, shortened in the middle to its label; whole for screen readers.
    std::string fileName;
    std::string fileNameWhole;
    bool fileNameVisible = false;
    // The look-alike choice in place of the name.
    bool choiceVisible = false;
    // The folder the file lies in, whole; shortened to the folder label where it is shown (modCompactPath).
    std::string folder;
    std::optional<std::string> attributes;
    // The file's length, told in the unit that fits sizeRoomPixels (PanelText::sizeText), unless sizeText
    // says it could not be read.
    std::optional<std::int64_t> sizeBytes;
    std::optional<std::string> sizeText;
    int sizeRoomPixels = 0;
    // The red line below the description: the question, or what stands in its place.
    std::string message;
    MessageKind messageKind = MessageKind::None;
    bool deleteEnabled = false;
};
