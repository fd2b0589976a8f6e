// What the media engine leaves on the terminal while the viewer plays a card: every
// recording of a folder tree, one after another, in a window, with the engine set up as
// the viewer sets it up (no test outputs: on a machine without a sound device it gets the
// same fallback), for a given time. Count the lines it writes:
//   xvfb-run -a build/bench/playback/lum_engine_terminal CARD_DIR SECONDS 2>lines.txt
//   wc -l lines.txt
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "playback/EngineEvents.h"
#include "playback/VlcPlayer.h"

using namespace lum;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stdout, "usage: lum_engine_terminal CARD_DIR SECONDS\n");
        return 2;
    }
    QStringList recordings;
    QDirIterator it(QString::fromLocal8Bit(argv[1]), {"*.MP4", "*.MOV", "*.AVI"}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        recordings << it.next();
    }
    recordings.sort();
    if (recordings.isEmpty()) {
        std::fprintf(stdout, "no recordings under %s\n", argv[1]);
        return 1;
    }
    const qint64 seconds = std::atoll(argv[2]);

    QWidget surface;
    surface.setAttribute(Qt::WA_NativeWindow);
    surface.resize(640, 360);
    surface.show();
    VlcPlayer player;
    if (!player.Loaded()) {
        std::fprintf(stdout, "the engine could not be loaded\n");
        return 1;
    }
    player.SetWindow(surface.winId());
    // The end and the errors of a recording, counted on the engine's thread.
    std::atomic<int> ended{0};
    CEngineEvents events;
    events.Attach(player);
    const auto count = [&ended] { ++ended; };
    QObject::connect(&events, &CEngineEvents::EndReached, &events, count, Qt::DirectConnection);
    QObject::connect(&events, &CEngineEvents::EncounteredError, &events, count,
                     Qt::DirectConnection);

    int next = 0;
    int seen = 0;
    int started = 0;
    const auto playNext = [&] {
        player.Stop();
        player.Open(recordings[next % recordings.size()].toStdString());
        player.Play();
        ++next;
        ++started;
    };
    QElapsedTimer clock;
    clock.start();
    playNext();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (clock.elapsed() >= seconds * 1000) {
            player.Stop();
            app.quit();
            return;
        }
        if (ended > seen) {
            seen = ended;
            playNext();
        }
    });
    poll.start(100);
    app.exec();
    std::fprintf(stdout, "played %d recordings in %lld s\n", started,
                 static_cast<long long>(clock.elapsed() / 1000));
    return 0;
}
