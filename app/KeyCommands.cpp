#include "app/KeyCommands.h"

#include <QStringList>

namespace lum {

namespace {

struct Binding {
    QKeyCombination keys;
    KeyCommand command;
    bool repeats;  // held down, the key asks again and again
};

constexpr Binding kBindings[] = {
    {Qt::Key_Space, KeyCommand::PlayPause, false},
    {Qt::Key_Left, KeyCommand::SeekBack, true},
    {Qt::Key_Right, KeyCommand::SeekForward, true},
    {Qt::SHIFT | Qt::Key_Left, KeyCommand::SeekBackLong, true},
    {Qt::SHIFT | Qt::Key_Right, KeyCommand::SeekForwardLong, true},
    {Qt::Key_PageUp, KeyCommand::Previous, false},
    {Qt::Key_PageDown, KeyCommand::Next, false},
    {Qt::Key_Plus, KeyCommand::Faster, true},
    {Qt::Key_Minus, KeyCommand::Slower, true},
    {Qt::Key_F, KeyCommand::FullScreen, false},
    {Qt::Key_Escape, KeyCommand::LeaveFullScreen, false},
    {Qt::CTRL | Qt::Key_O, KeyCommand::Open, false},
    {Qt::CTRL | Qt::Key_S, KeyCommand::Snapshot, false},
    {Qt::Key_M, KeyCommand::Mute, false},
    {Qt::Key_Delete, KeyCommand::Delete, false},
};

}  // namespace

std::optional<KeyCommand> CommandOfKey(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat) {
    // The keypad's keys count as the main ones; "+" needs Shift on many layouts.
    modifiers &= ~Qt::KeypadModifier;
    if (key == Qt::Key_Plus || key == Qt::Key_Minus) {
        modifiers &= ~Qt::ShiftModifier;
    }
    for (const Binding& b : kBindings) {
        if (b.keys.key() == key && b.keys.keyboardModifiers() == modifiers) {
            if (autoRepeat && !b.repeats) {
                return std::nullopt;
            }
            return b.command;
        }
    }
    return std::nullopt;
}

std::vector<KeyHelpRow> KeyHelp() {
    const auto text = [](std::initializer_list<QKeyCombination> keys) {
        QStringList names;
        for (QKeyCombination k : keys) {
            names << QKeySequence(k).toString(QKeySequence::NativeText);
        }
        return names.join(QStringLiteral(" / "));
    };
    return {
        {text({Qt::Key_Space}), 221},
        {text({Qt::Key_Left, Qt::Key_Right}), 222},
        {text({Qt::SHIFT | Qt::Key_Left, Qt::SHIFT | Qt::Key_Right}), 223},
        {text({Qt::Key_PageUp, Qt::Key_PageDown}), 224},
        {text({Qt::Key_Plus, Qt::Key_Minus}), 225},
        {text({Qt::Key_F}), 226},
        {text({Qt::Key_Escape}), 227},
        {text({Qt::CTRL | Qt::Key_O}), 228},
        {text({Qt::CTRL | Qt::Key_S}), 229},
        {text({Qt::Key_M}), 230},
        {text({Qt::Key_Delete}), 231},
    };
}

}  // namespace lum
