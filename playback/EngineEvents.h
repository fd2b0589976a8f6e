// The engine's events as typed Qt signals. libvlc calls back on its own
// threads: the callback only touches the pending-seek atomic and emits signals,
// which reach their receivers through queued connections on the UI thread.
#pragma once

#include <QObject>
#include <atomic>
#include <cstdint>

#include "playback/VlcPlayer.h"

namespace lum {

class VlcPlayer;

class CEngineEvents : public QObject {
    Q_OBJECT
  public:
    explicit CEngineEvents(QObject* parent = nullptr) : QObject(parent) {}

    // Subscribes to the player's events; the player keeps the subscription
    // across a re-creation of the engine.
    void Attach(VlcPlayer& player);

    // A seek the user asked for that the engine has not made yet: while it is
    // set, time reports are held back so the seek bar stays where the user left it.
    std::atomic<std::int64_t> pendingSeekMs{0};

    // libvlc's callback (engine thread); self is this object.
    static void Callback(const libvlc_event_t* event, void* self);

    // What StateChanged reports.
    enum State { Playing, Paused };

  signals:
    void TimeChanged(qint64 ms);
    void StateChanged(int state);
    void EndReached();
    void EncounteredError();
};

}  // namespace lum
