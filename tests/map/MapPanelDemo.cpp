// Shows the map panel with a sample track, the driven part and the marker for a few seconds,
// so that a person can look at it (under Xvfb: take a screenshot of the root window).
//   lum_map_demo [seconds]
#include <QApplication>
#include <QTimer>
#include <string>
#include <vector>

#include "views/map/CHtmlMapDlg.h"

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::stoi(argv[1]) : 10;

    lum::CHtmlMapDlg map;
    map.resize(640, 400);
    map.show();

    // The same calls the catalogue makes for a recording, sent before the page has loaded.
    map.ClearTrack();
    const int points = 40;
    const int driven = 26;
    auto latAt = [](int i) { return 35.655 + i * 0.00022 + (i > 20 ? (i - 20) * 0.00012 : 0.0); };
    auto lonAt = [](int i) { return 139.738 + i * 0.00035; };
    std::vector<lum::MapTrackPoint> track;
    for (int i = 0; i < points; ++i) {
        track.push_back({{latAt(i), lonAt(i)}, 20 + i * 3});
    }
    map.ShowTrack(track);
    map.ShowDriven(driven - 1);
    // The last driven point comes with the car.
    map.MoveCar({latAt(driven - 1), lonAt(driven - 1)}, 90);

    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    return app.exec();
}
