// The main window as the window tests and the playback benchmarks build it: the real
// engine with its silent audio output (test machines have no sound card) and the
// settings file of the current folder.
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QSize>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <string>
#include <vector>

#include "app/CLumDlg.h"
#include "playback/VlcPlayer.h"
#include "settings/CLumSettings.h"

namespace lum::test {

// Before the application exists: the map's web view shares GL contexts, and the
// video surface is a native window that must not turn its siblings native.
inline void PrepareApplication() {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QCoreApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
}

// Makes home the folder the program starts in (its settings file lives there), local time
// JST-9, and writes an 8-minute sample card into home/card with the sample-card program
// makeCard. The card's path, or an empty text when it could not be made.
inline QString MakeHomeWithCard(const QTemporaryDir& home, const QString& makeCard,
                                int secondsPerRecording, const QString& size, int fps) {
    qputenv("TZ", "JST-9");
    if (!home.isValid() || !QDir::setCurrent(home.path())) {
        return {};
    }
    const QString card = home.filePath(QStringLiteral("card"));
    QProcess make;
    make.start(makeCard,
               {card, QStringLiteral("--minutes"), QStringLiteral("8"),
                QStringLiteral("--seconds-per-recording"), QString::number(secondsPerRecording),
                QStringLiteral("--size"), size, QStringLiteral("--fps"), QString::number(fps)});
    const bool made = make.waitForFinished(120000) && make.exitStatus() == QProcess::NormalExit &&
                      make.exitCode() == 0;
    return made ? card : QString();
}

// An initialised main window, not shown yet.
class WindowUnderTest : public CLumDlg {
  public:
    WindowUnderTest()
        : CLumDlg(CLumSettings::Instance(),
                  std::make_unique<VlcPlayer>(std::vector<std::string>{"--aout=dummy"})) {
        InitDialog(true);
    }

    // Shows the window (at `size` when one is given) and waits until it is on the
    // screen; false when it never is (no display).
    bool ShowAndWait(QSize size = {}) {
        show();
        if (size.isValid()) {
            resize(size);
        }
        return QTest::qWaitForWindowExposed(this);
    }
};

}  // namespace lum::test
