// The main window's keys: one filter on the application sees every key pressed in
// this window, whichever child has the focus, and runs its command. The same filter
// hands drags and drops to Drops.cpp.
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "app/CLumDlg.h"
#include "app/KeyCommands.h"
#include "app/Messages.h"
#include "playback/ScanPanel.h"

namespace lum {

namespace {

constexpr std::int64_t kShortSeekMs = 5000;
constexpr std::int64_t kLongSeekMs = 60000;

// A text field being edited keeps its keys: arrows move the cursor, letters are typed.
bool EditsText(const QWidget* w) {
    if (const auto* line = qobject_cast<const QLineEdit*>(w)) {
        return !line->isReadOnly();
    }
    if (const auto* text = qobject_cast<const QTextEdit*>(w)) {
        return !text->isReadOnly();
    }
    if (const auto* plain = qobject_cast<const QPlainTextEdit*>(w)) {
        return !plain->isReadOnly();
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(w)) {
        return combo->isEditable();
    }
    return qobject_cast<const QAbstractSpinBox*>(w) != nullptr;
}

}  // namespace

void CLumDlg::ConnectKeys() {
    qApp->installEventFilter(this);
}

bool CLumDlg::eventFilter(QObject* watched, QEvent* event) {
    if (!watched->isWidgetType()) {
        return QWidget::eventFilter(watched, event);
    }
    auto* w = static_cast<QWidget*>(watched);
    const QEvent::Type type = event->type();
    // A drop anywhere on the window opens what was dropped; the map page would
    // otherwise open a dropped file itself.
    if ((type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop) &&
        w->window() == this) {
        return HandleDrag(event);
    }
    if (type != QEvent::KeyPress) {
        return QWidget::eventFilter(watched, event);
    }
    // Only this window's keys; a dialog or a menu over it keeps its own.
    if (w->window() != this || EditsText(w)) {
        return QWidget::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const std::optional<KeyCommand> command =
        CommandOfKey(key->key(), key->modifiers(), key->isAutoRepeat());
    if (!command) {
        return QWidget::eventFilter(watched, event);
    }
    RunKeyCommand(*command);
    return true;
}

void CLumDlg::RunKeyCommand(KeyCommand command) {
    switch (command) {
        case KeyCommand::PlayPause:
            playback_->OnPlay();
            break;
        case KeyCommand::SeekBack:
            playback_->SeekBy(-kShortSeekMs);
            break;
        case KeyCommand::SeekForward:
            playback_->SeekBy(kShortSeekMs);
            break;
        case KeyCommand::SeekBackLong:
            playback_->SeekBy(-kLongSeekMs);
            break;
        case KeyCommand::SeekForwardLong:
            playback_->SeekBy(kLongSeekMs);
            break;
        case KeyCommand::Previous:
            playback_->OnPrev();
            break;
        case KeyCommand::Next:
            playback_->OnNext();
            break;
        case KeyCommand::Faster:
            playback_->OnFaster();
            break;
        case KeyCommand::Slower:
            playback_->OnSlower();
            break;
        case KeyCommand::FullScreen:
            ToggleFullScreen();
            break;
        case KeyCommand::LeaveFullScreen:
            // A running scan is cancelled first; otherwise Escape only leaves full screen.
            if (playback_->Scanning()) {
                playback_->CancelScan();
            } else if (fullScreen_) {
                ToggleFullScreen();
            }
            break;
        case KeyCommand::Open:
            OnOpen();
            break;
        case KeyCommand::Snapshot:
            OnSnapshot();
            break;
        case KeyCommand::Mute: {
            // As a click on Vol: its picture switches, and the engine follows the picture.
            CGdipButton* vol = Button(IDC_VOL);
            vol->m_bShowAlternate = !vol->m_bShowAlternate;
            vol->update();
            playback_->OnMute();
            break;
        }
        case KeyCommand::Delete:
            OnDelete();
            break;
    }
}

}  // namespace lum
