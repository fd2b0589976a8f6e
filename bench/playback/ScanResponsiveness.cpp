// How the window answers while a card is scanned: the largest gap between two
// turns of the UI thread's event loop during the scan of a large card, with the
// real window and engine. Run under Xvfb:
//   lum_scan_responsiveness CARD
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/CLumDlg.h"
#include "playback/ScanPanel.h"
#include "settings/CLumSettings.h"
#include "tests/support/WindowUnderTest.h"

using namespace lum;

int main(int argc, char** argv) {
    test::PrepareApplication();
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: lum_scan_responsiveness CARD\n");
        return 2;
    }
    const QString card = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir home;
    QDir::setCurrent(home.path());  // a settings file of its own

    test::WindowUnderTest dlg;
    if (!dlg.ShowAndWait(QSize(1024, 576))) {
        std::fprintf(stderr, "the window was never shown (no display?)\n");
        return 1;
    }
    QElapsedTimer scan, sinceTurn;
    qint64 largest = 0;
    int turns = 0, countsShown = 0, lastCount = -1;
    QTimer turn;
    QObject::connect(&turn, &QTimer::timeout, [&] {
        largest = std::max(largest, sinceTurn.restart());
        ++turns;
        if (dlg.ScanPanel()->Count() != lastCount) {
            lastCount = dlg.ScanPanel()->Count();
            ++countsShown;
        }
    });
    sinceTurn.start();
    scan.start();
    turn.start(0);
    dlg.OpenSource(CLumDlg::Source::Folder, card);
    while (dlg.Playback().Scanning()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    // One more turn: the new catalogue is filled into the list after the scan.
    QCoreApplication::processEvents();
    turn.stop();
    std::printf(
        "%zu recordings scanned and listed in %lld ms; largest gap between two turns of "
        "the event loop %lld ms over %d turns; the count changed %d times on screen\n",
        dlg.Catalogue().Entries().size(), static_cast<long long>(scan.elapsed()),
        static_cast<long long>(largest), turns, countsShown);
    return 0;
}
