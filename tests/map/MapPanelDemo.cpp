// Shows the map panel with a sample track, the driven part and the marker for a few seconds,
// so that a person can look at it (under Xvfb: take a screenshot of the root window).
//   lum_map_demo [seconds]
#include <QApplication>
#include <QTimer>
#include <cmath>
#include <string>

#include "views/map/CHtmlMapDlg.h"

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::stoi(argv[1]) : 10;

    lum::CHtmlMapDlg map;
    map.resize(640, 400);
    map.show();

    // The same calls the catalogue makes for a recording, sent before the page has loaded.
    map.RunScript("pathdrived_delete()");
    map.RunScript("path_delete()");
    const int points = 40;
    const int driven = 26;
    auto latAt = [](int i) { return 35.655 + i * 0.00022 + (i > 20 ? (i - 20) * 0.00012 : 0.0); };
    auto lonAt = [](int i) { return 139.738 + i * 0.00035; };
    for (int i = 0; i < points; ++i) {
        const QString xy =
            QStringLiteral("(%1,%2)").arg(latAt(i), 0, 'f', 6).arg(lonAt(i), 0, 'f', 6);
        map.RunScript(QStringLiteral("path_plot") + xy);
        if (i < driven - 1) {
            map.RunScript(QStringLiteral("pathdrived_plot") + xy);
        }
    }
    // The last driven point comes with the marker; MovePosition takes degrees and minutes / 100.
    auto toDegreesMinutes = [](double v) { return std::trunc(v) + (v - std::trunc(v)) * 0.6; };
    map.MovePosition(toDegreesMinutes(latAt(driven - 1)), toDegreesMinutes(lonAt(driven - 1)), 90);

    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    return app.exec();
}
