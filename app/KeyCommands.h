// The keys of the main window: which key asks for which command, and the rows the
// about box and the README list. Keys work whichever child has the focus, except
// while a text field is being edited.
#pragma once

#include <QKeySequence>
#include <QString>
#include <optional>
#include <vector>

namespace lum {

enum class KeyCommand {
    PlayPause,
    SeekBack,         // 5 s
    SeekForward,      // 5 s
    SeekBackLong,     // 60 s
    SeekForwardLong,  // 60 s
    Previous,
    Next,
    Faster,
    Slower,
    FullScreen,
    LeaveFullScreen,
    Open,
    Snapshot,
    Mute,
    Delete,
};

// The command a key press asks for; nullopt for any other key. Auto-repeated presses
// ask only for the commands that make sense held down (seeking, rates, recordings).
std::optional<KeyCommand> CommandOfKey(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat);

// One line of the list of keys: the keys in the platform's own words, and the string
// id of what they do.
struct KeyHelpRow {
    QString keys;
    int textId;
};
std::vector<KeyHelpRow> KeyHelp();

}  // namespace lum
