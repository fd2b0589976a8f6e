// LUM: start-up. The window is the whole program. "lum PATH" opens a card, a
// folder or one recording at start, as OPEN would.
#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/CLumDlg.h"
#include "dialogs/QtTranslations.h"
#include "playback/VlcPlayer.h"
#include "settings/CLumSettings.h"
#include "views/CTesToolTipCtrl.h"

namespace {

constexpr const char* kUsage =
    "Usage: lum [PATH]\n"
    "A viewer for dash-camera recordings and their telemetry.\n"
    "\n"
    "  PATH       a card's mount point, a folder or one recording, opened at start\n"
    "             as OPEN would open it; without PATH the window starts empty\n"
    "  --help     print this text and exit\n"
    "  --version  print the version and exit\n";

// --help and --version answer on the terminal before Qt looks for a display, so they
// work over ssh and in scripts. Returns the exit code, or -1 to start the window.
int AnswerOnTerminal(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("lum %d.%d.%d\n", lum::CLumDlg::kVersion[0], lum::CLumDlg::kVersion[1],
                        lum::CLumDlg::kVersion[2]);
            return 0;
        }
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (const int code = AnswerOnTerminal(argc, argv); code >= 0) {
        return code;
    }
    // libvlc draws into X11 windows: on a Wayland desktop run through XWayland.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);  // the map's web view needs it
    // Only the video surface and its ancestors need X windows of their own.
    QApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
    QApplication app(argc, argv);
    app.setApplicationName("LUM");
    app.setStyleSheet(lum::CTesToolTipCtrl::BalloonStyleSheet());

    lum::CLumSettings& settings = lum::CLumSettings::Instance();
    // Qt's own dialogs (file and folder pickers, message-box buttons) in the interface language.
    lum::ApplyQtTranslations(settings.LangId());
    lum::CLumDlg window(settings, std::make_unique<lum::VlcPlayer>());
    window.InitDialog();
    window.show();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) {
        window.OpenPath(arguments.at(1));
    }
    return app.exec();
}
