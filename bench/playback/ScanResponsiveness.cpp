// How the window answers while a card is scanned: the largest gap between two
// turns of the UI thread's event loop during the scan of a large card, with the
// real window and engine. Run under Xvfb:
//   lum_scan_responsiveness CARD [REPEATS]
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/CLumDlg.h"
#include "catalogue/core/CLumSettings.h"
#include "playback/ScanPanel.h"

using namespace lum;

int main(int argc, char** argv) {
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: lum_scan_responsiveness CARD [REPEATS]\n");
        return 2;
    }
    const QString card = QString::fromLocal8Bit(argv[1]);
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    QTemporaryDir home;
    QDir::setCurrent(home.path());  // a settings file of its own

    CLumDlg dlg(CLumSettings::Instance(),
                std::make_unique<VlcPlayer>(std::vector<std::string>{"--aout=dummy"}));
    dlg.InitDialog(true);
    dlg.show();
    dlg.resize(1024, 576);
    if (!QTest::qWaitForWindowExposed(&dlg)) {
        std::fprintf(stderr, "the window was never shown (no display?)\n");
        return 1;
    }
    for (int r = 0; r < repeats; ++r) {
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
        turn.stop();
        std::printf(
            "run %d: %zu recordings scanned in %lld ms; largest gap between two turns of "
            "the event loop %lld ms over %d turns; the count changed %d times on screen\n",
            r + 1, dlg.Catalogue().entries.size(), static_cast<long long>(scan.elapsed()),
            static_cast<long long>(largest), turns, countsShown);
        std::fflush(stdout);
        // The next OPEN waits until the engine has started the card's first recording.
        if (!QTest::qWaitFor([&] { return !dlg.Playback().SwitchInProgress(); }, 15000)) {
            std::fprintf(stderr, "the engine never started the first recording\n");
            return 1;
        }
    }
    return 0;
}
