#include "playback/EngineEvents.h"

#include <vlc/vlc.h>

namespace lum {

void CEngineEvents::Attach(VlcPlayer& player) {
    player.AttachEvents(&CEngineEvents::Callback, this);
}

void CEngineEvents::Callback(const libvlc_event_t* event, void* self) {
    auto* events = static_cast<CEngineEvents*>(self);
    switch (event->type) {
        case libvlc_MediaPlayerOpening:
            events->pendingSeekMs = 0;
            break;
        case libvlc_MediaPlayerPlaying:
            emit events->StateChanged(Playing);
            break;
        case libvlc_MediaPlayerPaused:
            events->pendingSeekMs = 0;
            emit events->StateChanged(Paused);
            break;
        case libvlc_MediaPlayerEndReached:
            emit events->EndReached();
            events->pendingSeekMs = 0;
            break;
        case libvlc_MediaPlayerEncounteredError:
            emit events->EncounteredError();
            break;
        case libvlc_MediaPlayerTimeChanged:
            if (events->pendingSeekMs.load() == 0) {
                emit events->TimeChanged(event->u.media_player_time_changed.new_time);
            }
            break;
        default:
            break;
    }
}

}  // namespace lum
