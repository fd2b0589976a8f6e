// Loads every skin picture from the resources, as the program does, and checks that each is
// there, has the size its control expects and really shows something.

#include <QDir>
#include <QImage>
#include <QSet>
#include <QTest>
#include <QtMath>
#include <algorithm>
#include <cmath>
#include <vector>

#include "SkinResources.h"

namespace {

struct Expected {
    int number;
    int width;
    int height;
};

constexpr int kButton = 48;

// Every picture the program loads, with its pixel size.
const std::vector<Expected> kPictures = {
    // Buttons and their alternate pictures.
    {129, kButton, kButton},
    {132, kButton, kButton},
    {133, kButton, kButton},
    {137, kButton, kButton},
    {136, kButton, kButton},
    {1047, kButton, kButton},
    {1046, kButton, kButton},
    {138, kButton, kButton},
    {142, kButton, kButton},
    {141, kButton, kButton},
    {140, kButton, kButton},
    {139, kButton, kButton},
    {143, kButton, kButton},
    {176, kButton, kButton},
    {145, kButton, kButton},
    {146, kButton, kButton},
    {1048, kButton, kButton},
    {147, kButton, kButton},
    {151, kButton, kButton},
    {152, kButton, kButton},
    {153, kButton, kButton},
    {154, kButton, kButton},
    {1045, kButton, kButton},
    {187, kButton, kButton},
    {188, kButton, kButton},
    {156, kButton, kButton},
    {155, kButton, kButton},
    // Compass rose, needle at N, NW, W, SW, S, SE, E, NE.
    {167, 32, 32},
    {168, 32, 32},
    {169, 32, 32},
    {170, 32, 32},
    {171, 32, 32},
    {172, 32, 32},
    {173, 32, 32},
    {174, 32, 32},
    // Picture controls, gauges, slider, progress board, map marker.
    {150, 40, 40},
    {157, 248, 51},
    {202, 162, 100},
    {203, 162, 100},
    {199, 10, 16},
    {189, 30, 30},
    {190, 32, 41},
};

QImage Load(int number) {
    return QImage(lum::SkinPicturePath(number)).convertToFormat(QImage::Format_ARGB32);
}

}  // namespace

class SkinTest : public QObject {
    Q_OBJECT

  private slots:
    void everyPictureIsThereWithItsSizeAndContent_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QSize>("size");
        for (const Expected& e : kPictures) {
            QTest::addRow("%d", e.number) << e.number << QSize(e.width, e.height);
        }
    }

    void everyPictureIsThereWithItsSizeAndContent() {
        QFETCH(int, number);
        QFETCH(QSize, size);
        const QImage image = Load(number);
        QVERIFY2(!image.isNull(), qPrintable(lum::SkinPicturePath(number) + " does not load"));
        QCOMPARE(image.size(), size);

        bool anyVisible = false;
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                anyVisible = anyVisible || qAlpha(pixel) > 0;
                colours.insert(pixel);
            }
        }
        QVERIFY2(anyVisible, "fully transparent");
        QVERIFY2(colours.size() > 1, "a single flat colour");
    }

    void theResourcesHoldExactlyTheListedPictures() {
        QStringList expected;
        for (const Expected& e : kPictures) {
            expected << QStringLiteral("%1.png").arg(e.number);
        }
        expected.sort();
        QStringList actual = QDir(QStringLiteral(":/skin")).entryList(QDir::Files);
        actual.sort();
        QCOMPARE(actual, expected);
    }

    // The gauge writes the speed and its unit below the needle's centre, at y 80..100 between
    // x 50 and 112; the dial must leave that area one plain colour.
    void theSpeedDialLeavesTheTextAreaClear() {
        const QImage dial = Load(202);
        const QRgb plain = dial.pixel(50, 80);
        for (int y = 80; y < 100; ++y) {
            for (int x = 50; x < 112; ++x) {
                QVERIFY2(dial.pixel(x, y) == plain,
                         qPrintable(QStringLiteral("pixel %1,%2 drawn").arg(x).arg(y)));
            }
        }
    }

    // The compass control picks picture k for the k-th direction; the red tip of the needle
    // must point that way, 45 degrees further anticlockwise for each picture from N.
    void theCompassNeedlesPointNorthThenAnticlockwise() {
        for (int k = 0; k < 8; ++k) {
            const QImage rose = Load(167 + k);
            double sumX = 0;
            double sumY = 0;
            double weight = 0;
            for (int y = 0; y < rose.height(); ++y) {
                for (int x = 0; x < rose.width(); ++x) {
                    const QRgb pixel = rose.pixel(x, y);
                    const double redness =
                        qAlpha(pixel) * std::max(0, qRed(pixel) - qGreen(pixel)) / (255.0 * 255.0);
                    sumX += redness * (x + 0.5 - rose.width() / 2.0);
                    sumY += redness * (y + 0.5 - rose.height() / 2.0);
                    weight += redness;
                }
            }
            QVERIFY2(weight > 0, qPrintable(QStringLiteral("picture %1 has no red").arg(167 + k)));
            // Screen y grows downward; north is up, angles grow anticlockwise from north.
            const double angle = qRadiansToDegrees(std::atan2(-sumX, -sumY));
            double off = std::fmod(angle - 45.0 * k + 540.0, 360.0) - 180.0;
            QVERIFY2(
                std::abs(off) < 8.0,
                qPrintable(QStringLiteral("picture %1 points %2 degrees").arg(167 + k).arg(angle)));
        }
    }
};

QTEST_GUILESS_MAIN(SkinTest)
#include "SkinTest.moc"
