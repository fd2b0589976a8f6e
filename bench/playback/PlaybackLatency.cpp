// How long a person waits: from OPEN of a card, and from a list double-click, to
// the first time report of the recording asked for and to its first picture on
// the screen.
//   xvfb-run -a build/bench/playback/lum_playback_latency CARD_DIR [REPEATS]
// The clock stops on a report only once the asked recording is the one the
// player opened (reports of the recording still playing do not count), and the
// picture is taken from the video surface's window every 10 ms by a timer; the
// wait is an event loop, never a busy loop.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/CLumDlg.h"
#include "playback/VideoWidgets.h"
#include "settings/CLumSettings.h"
#include "tests/support/WindowUnderTest.h"

using namespace lum;

namespace {

constexpr int kGiveUpMs = 20000;

// The camera's pictures are in colour; the empty surface, its hint text and the
// scan panel are grey. A grab shows a recording when enough of it is coloured.
bool ShowsPicture(const QImage& image) {
    if (image.width() < 8 || image.height() < 8) {
        return false;
    }
    int coloured = 0, seen = 0;
    for (int y = 0; y < image.height(); y += 8) {
        for (int x = 0; x < image.width(); x += 8) {
            ++seen;
            coloured += QColor(image.pixel(x, y)).hsvSaturation() > 100 ? 1 : 0;
        }
    }
    return coloured * 20 > seen;  // more than 5 %
}

struct Waits {
    qint64 report = -1;   // ms to the first time report of the asked recording
    qint64 picture = -1;  // ms to its first picture on the screen
};

// Runs `ask`, then the event loop until the asked recording (`isAsked` says
// whether the player has opened it) has reported a time and shown a picture, or
// until kGiveUpMs passed.
template <typename Ask, typename IsAsked>
Waits Measure(CLumDlg& dlg, Ask ask, IsAsked isAsked) {
    Waits w;
    QElapsedTimer clock;
    QEventLoop loop;
    const auto done = [&] {
        if (w.report >= 0 && w.picture >= 0) {
            loop.quit();
        }
    };
    const QMetaObject::Connection reports =
        QObject::connect(&dlg.Playback(), &CPlaybackController::PlayTimeShown, &loop, [&] {
            if (w.report < 0 && isAsked()) {
                w.report = clock.elapsed();
                done();
            }
        });
    QTimer grabber;
    QObject::connect(&grabber, &QTimer::timeout, &loop, [&] {
        if (w.picture >= 0 || !isAsked()) {
            return;
        }
        const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(
            static_cast<WId>(dlg.VideoSurface()->NativeId()));
        if (ShowsPicture(shot.toImage())) {
            w.picture = clock.elapsed();
            done();
        }
    });
    QTimer::singleShot(kGiveUpMs, &loop, &QEventLoop::quit);
    clock.start();
    grabber.start(10);
    ask();
    loop.exec();
    QObject::disconnect(reports);
    return w;
}

qint64 Median(std::vector<qint64> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

void Print(const char* what, std::vector<qint64> v) {
    const auto [low, high] = std::minmax_element(v.begin(), v.end());
    std::printf("%-40s median %5lld ms  (min %lld, max %lld, %zu runs)\n", what,
                static_cast<long long>(Median(v)), static_cast<long long>(*low),
                static_cast<long long>(*high), v.size());
}

}  // namespace

int main(int argc, char** argv) {
    test::PrepareApplication();
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: lum_playback_latency CARD_DIR [REPEATS]\n");
        return 2;
    }
    const QString card = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    QTemporaryDir home;
    QDir::setCurrent(home.path());  // a settings file of its own

    test::WindowUnderTest dlg;
    if (!dlg.ShowAndWait(QSize(1024, 576))) {
        std::fprintf(stderr, "the window was never shown (no display?)\n");
        return 1;
    }

    std::vector<qint64> openReport, openPicture, switchReport, switchPicture;
    int failures = 0;
    for (int r = 0; r < repeats; ++r) {
        // OPEN is measured from a window at rest: the recording of the previous
        // round is stopped and its last reports are let through first, so that
        // none of them is taken for a report of the card's first recording.
        dlg.Playback().OnStop();
        QEventLoop rest;
        QTimer::singleShot(500, &rest, &QEventLoop::quit);
        rest.exec();
        bool scanned = false;
        const QMetaObject::Connection ended = QObject::connect(
            &dlg.Playback(), &CPlaybackController::ScanEnded, [&] { scanned = true; });
        const Waits open = Measure(
            dlg, [&] { dlg.OpenSource(CLumDlg::Source::Disk, card); },
            [&] { return scanned && !dlg.Playback().CurrentPath().isEmpty(); });
        QObject::disconnect(ended);
        openReport.push_back(open.report);
        openPicture.push_back(open.picture);
        failures += (open.report < 0 || open.picture < 0) ? 1 : 0;
        const QString first = dlg.Playback().CurrentPath();
        const int count = static_cast<int>(dlg.Catalogue().Entries().size());
        const int next = (r + 1) % std::max(count, 1);
        const QString path =
            QString::fromStdString(FullPath(dlg.Catalogue().Entries()[static_cast<size_t>(next)]));
        if (path == first) {
            continue;
        }
        const Waits w = Measure(
            dlg, [&] { dlg.Playback().OnPlayItem(next); },
            [&] { return dlg.Playback().CurrentPath() == path; });
        switchReport.push_back(w.report);
        switchPicture.push_back(w.picture);
        failures += (w.report < 0 || w.picture < 0) ? 1 : 0;
    }
    dlg.Player().Stop();
    std::printf("recordings on the card: %zu\n", dlg.Catalogue().Entries().size());
    Print("OPEN to first time report:", openReport);
    Print("OPEN to first picture:", openPicture);
    Print("double-click to first time report:", switchReport);
    Print("double-click to first picture:", switchPicture);
    std::printf(
        "(a switch includes the 200 ms the player is given to close the old recording; "
        "-1 means nothing came within %d ms)\n",
        kGiveUpMs);
    return failures == 0 ? 0 : 1;
}
