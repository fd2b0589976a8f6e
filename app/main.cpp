// LUM: start-up. The window is the whole program. "lum PATH" opens a card, a
// folder or one recording at start, as OPEN would.
#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <memory>

#include "app/CLumDlg.h"
#include "dialogs/QtTranslations.h"
#include "playback/VlcPlayer.h"
#include "settings/CLumSettings.h"
#include "views/CTesToolTipCtrl.h"

int main(int argc, char** argv) {
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
