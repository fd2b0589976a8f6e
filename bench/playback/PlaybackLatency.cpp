// How long a person waits: from OPEN of a card to the engine's first time
// report, and from a list double-click to the first report of that recording.
//   xvfb-run -a build/bench/lum_playback_latency CARD_DIR [REPEATS]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/CLumDlg.h"
#include "catalogue/core/CLumSettings.h"

using namespace lum;

namespace {

// Milliseconds until the window has seen more time reports than before, or -1.
qint64 WaitForReport(CLumDlg& dlg, int before, QElapsedTimer& clock) {
    while (clock.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (dlg.Playback().TimeReports() > before) {
            return clock.elapsed();
        }
    }
    return -1;
}

qint64 Median(std::vector<qint64> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QCoreApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: lum_playback_latency CARD_DIR [REPEATS]\n");
        return 2;
    }
    const QString card = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
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

    std::vector<qint64> open, play;
    for (int r = 0; r < repeats; ++r) {
        QElapsedTimer clock;
        int before = dlg.Playback().TimeReports();
        clock.start();
        dlg.OpenSource(CLumDlg::Source::Disk, card);
        open.push_back(WaitForReport(dlg, before, clock));
        const int count = static_cast<int>(dlg.Catalogue().entries.size());
        before = dlg.Playback().TimeReports();
        clock.restart();
        dlg.Playback().OnPlayItem((r + 1) % std::max(count, 1));
        play.push_back(WaitForReport(dlg, before, clock));
    }
    dlg.Player().Stop();
    std::printf("recordings on the card: %zu\n", dlg.Catalogue().entries.size());
    std::printf("OPEN to first time report: median %lld ms over %d runs\n",
                static_cast<long long>(Median(open)), repeats);
    std::printf(
        "list double-click to first time report: median %lld ms (includes the 200 ms pause after a "
        "stop)\n",
        static_cast<long long>(Median(play)));
    return 0;
}
