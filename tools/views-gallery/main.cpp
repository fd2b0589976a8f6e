// Renders the telemetry views and skinned controls, fed with sample values, into
// one picture, to look at them without the main window:
//   QT_QPA_PLATFORM=offscreen lum-views-gallery OUT.png
#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <cmath>
#include <cstdio>
#include <vector>

#include "views/CGSensorCtrl.h"
#include "views/CGdipButton.h"
#include "views/CMySliderControl.h"
#include "views/CSpeedLabelStatic.h"
#include "views/Skin.h"
#include "views/SmallDisplays.h"

using namespace lum;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: lum-views-gallery OUT.png\n");
        return 2;
    }
    QWidget board;
    board.resize(720, 300);
    board.setAutoFillBackground(true);
    QPalette pal = board.palette();
    pal.setColor(QPalette::Window, QColor(15, 15, 15));
    board.setPalette(pal);

    CPngStatic logo(&board);
    logo.image = LoadSkin(157);
    logo.active = true;
    logo.setGeometry(15, 0, 232, 48);

    // A minute of driving with a hard brake and a pothole.
    std::vector<GSensorSample> samples(600);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / 10.0;
        samples[i].x = static_cast<std::int8_t>(6 * std::sin(t / 3));
        samples[i].y =
            static_cast<std::int8_t>(16 + 3 * std::sin(t * 2) + (i >= 400 && i < 404 ? 30 : 0));
        samples[i].z = static_cast<std::int8_t>(i >= 250 && i < 270 ? -40 : 2 * std::cos(t));
    }
    CGSensorCtrl curve(&board);
    curve.setGeometry(15, 60, 420, 110);
    curve.SetScale(8.0, 2.0);
    curve.ClearSamples();
    curve.LoadSamples(samples.data(), samples.size());
    curve.SetSampleRate(600.0 / 60000.0);
    curve.SetPosition(27000);

    CSpeedLabelStatic speed(&board);
    speed.move(450, 60);
    speed.SetSpeed(true, 104);

    CPngCompassStatic compass(&board);
    for (int n = 167; n <= 174; ++n) {
        compass.AddPicture(n);
    }
    compass.setGeometry(630, 70, 32, 32);
    compass.SetHeading(58);

    CStatusBoardStatic progress(&board);
    progress.setGeometry(450, 170, 162, 22);
    progress.pattern = LoadSkin(189);
    progress.textColour = Qt::white;
    progress.ShowPercent(37);

    CMySliderControl volume(&board);
    volume.setGeometry(15, 180, 120, 16);

    const int buttons[] = {139, 129, 133, 137, 136, 1046, 1047, 140, 138, 156, 146, 147, 1048, 151};
    int x = 15;
    std::vector<std::unique_ptr<CGdipButton>> row;
    for (int n : buttons) {
        auto b = std::make_unique<CGdipButton>(&board);
        b->SetNormalImage(n);
        b->setGeometry(x, 220, 32, 32);
        x += 40;
        row.push_back(std::move(b));
    }
    row[1]->SetAlternateImage(132);
    row[1]->m_bShowAlternate = true;  // PLAY showing pause while playing
    row[9]->m_bGreyed = true;

    board.show();
    const QImage shot = board.grab().toImage();
    if (!shot.save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
