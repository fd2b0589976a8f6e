// The telemetry views and skinned controls as widgets, offscreen.
#include <QSignalSpy>
#include <QtTest>

#include "views/CGSensorCtrl.h"
#include "views/CGdipButton.h"
#include "views/CMySliderControl.h"
#include "views/CSpeedLabelStatic.h"
#include "views/CTesToolTipCtrl.h"
#include "views/SmallDisplays.h"

using namespace lum;

namespace {

QImage Solid(QSize size, QColor colour) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

int CountPixels(const QImage& image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
        }
    }
    return n;
}

}  // namespace

class ViewsWidgetsTest : public QObject {
    Q_OBJECT
  private slots:
    void curveDrawsFrameCurvesAndCursor() {
        CGSensorCtrl curve;
        curve.resize(408, 108);
        std::vector<GSensorSample> s(400);
        for (std::size_t i = 0; i < s.size(); ++i) {
            s[i] = {static_cast<std::int8_t>(i % 2 ? 20 : -20),
                    static_cast<std::int8_t>(i % 3 ? 10 : -10), 0};
        }
        curve.SetScale(8.0, 2.0);
        curve.ClearSamples();
        QVERIFY(curve.LoadSamples(s.data(), s.size()));
        curve.SetSampleRate(400.0 / 20000.0);
        curve.SetPosition(10000);
        const QImage shot = curve.grab().toImage();
        QCOMPARE(shot.pixel(0, 0) & 0xFFFFFF, qRgb(64, 64, 64) & 0xFFFFFF);
        QCOMPARE(shot.pixel(3, 3) & 0xFFFFFF, 0u);
        QVERIFY(CountPixels(shot, CGSensorCtrl::kAxisColours[0]) > 100);
        QVERIFY(CountPixels(shot, CGSensorCtrl::kAxisColours[1]) > 100);
        const PlotRect plot = CurveModel::PlotFor(408, 108);
        QCOMPARE(shot.pixel(plot.left + 200, plot.bottom - 2) & 0xFFFFFF,
                 qRgb(0, 0, 255) & 0xFFFFFF);

        // Stopped: curves hidden, cursor back at the left edge.
        curve.m_bHideCurves = true;
        curve.SetPosition(0);
        const QImage stopped = curve.grab().toImage();
        QCOMPARE(CountPixels(stopped, CGSensorCtrl::kAxisColours[1]) < 40,
                 true);  // only its legend label
        double a = 1, b = 1, c = 1;
        curve.GetCurrentValues(a, b, c);
        QCOMPARE(a, (20 - -20) / 2 * 8.0 / 128);  // first entry: half the first step
    }

    void curveLegendClicksToggleAnAxis() {
        CGSensorCtrl curve;
        curve.resize(408, 108);
        const QPoint onSecond = curve.AxisHitArea(1).center();
        QTest::mouseClick(&curve, Qt::LeftButton, {}, onSecond);
        QVERIFY(!curve.AxisVisible(1));
        QVERIFY(curve.AxisVisible(0));
        QTest::mouseClick(&curve, Qt::LeftButton, {}, onSecond);
        QVERIFY(curve.AxisVisible(1));
        QTest::mouseClick(&curve, Qt::LeftButton, {}, QPoint(200, 60));  // on the plot: nothing
        QVERIFY(curve.AxisVisible(0) && curve.AxisVisible(1) && curve.AxisVisible(2));
    }

    void speedDialRepaintsOnChangeAndTogglesUnit() {
        CSpeedLabelStatic dial;
        dial.SetSpeed(true, 0);
        QCOMPARE(dial.RepaintRequests(), 0);  // unchanged
        dial.SetSpeed(true, 120);
        QCOMPARE(dial.RepaintRequests(), 1);
        const QImage fast = dial.grab().toImage();
        QVERIFY(CountPixels(fast, qRgb(255, 0, 0)) > 10);  // red from 100 km/h
        QTest::mouseDClick(&dial, Qt::LeftButton, {}, QPoint(80, 50));
        QVERIFY(!dial.Kph());
        QCOMPARE(QString::fromStdString(dial.Model().UnitText()), QString("MPH"));
        dial.SetSpeed(false, 0);
        QCOMPARE(QString::fromStdString(dial.Model().SpeedText()), QString("?"));
        QCOMPARE(CountPixels(dial.grab().toImage(), qRgb(255, 0, 0)), 0);
    }

    void compassPicksTheSectorPicture() {
        CPngCompassStatic compass;
        QVERIFY(!compass.SetHeading(90));  // no pictures: nothing to show
        QVERIFY(!compass.AddPicture(QImage()));
        const QColor colours[8] = {Qt::red,     Qt::green,  Qt::blue,  Qt::cyan,
                                   Qt::magenta, Qt::yellow, Qt::white, Qt::gray};
        for (const QColor& c : colours) {
            QVERIFY(compass.AddPicture(Solid({8, 8}, c)));
        }
        compass.resize(32, 32);
        QVERIFY(compass.SetHeading(90));
        QCOMPARE(compass.Index(), 7u);
        QCOMPARE(compass.grab().toImage().pixel(16, 16) & 0xFFFFFF,
                 QColor(Qt::white).rgb() & 0xFFFFFF);
        QVERIFY(compass.SetIndex(0));  // no fix: the first picture in grey
        const QRgb grey = compass.grab().toImage().pixel(16, 16);
        QCOMPARE(qRed(grey), qGreen(grey));
        QCOMPARE(qRed(grey), 77);  // 0.3 x 255
        QVERIFY(!compass.SetIndex(9));
    }

    void boardFillsWithThePattern() {
        CStatusBoardStatic board;
        board.resize(200, 20);
        board.pattern = Solid({30, 30}, QColor(0, 0, 200));
        board.ShowPercent(0);
        QCOMPARE(board.caption, QString("0 %"));
        QCOMPARE(CountPixels(board.grab().toImage(), qRgb(0, 0, 200)), 0);
        board.ShowPercent(100);
        QVERIFY(CountPixels(board.grab().toImage(), qRgb(0, 0, 200)) > 200 * 20 / 2);
    }

    void buttonLooksToggleAndClicks() {
        QWidget parent;
        CGdipButton play(&parent);
        play.resize(32, 32);
        QVERIFY(play.SetNormalImage(Solid({16, 16}, QColor(0, 200, 0))));
        QVERIFY(play.SetAlternateImage(Solid({16, 16}, QColor(200, 0, 0))));
        play.m_bToggleMode = true;
        parent.show();
        QSignalSpy clicks(&play, &QAbstractButton::clicked);
        QTest::mousePress(&play, Qt::LeftButton, {}, QPoint(10, 10));
        play.grab();
        QCOMPARE(play.CurrentLook(), ButtonLook::AlternatePressed);
        QTest::mouseRelease(&play, Qt::LeftButton, {}, QPoint(10, 10));
        const QImage after = play.grab().toImage();
        QCOMPARE(play.CurrentLook(), ButtonLook::Alternate);
        QCOMPARE(QColor(after.pixel(16, 16)), QColor(200, 0, 0));
        QCOMPARE(clicks.count(), 1);
        play.m_bGreyed = true;
        play.grab();
        QCOMPARE(play.CurrentLook(), ButtonLook::Grey);

        // A double click counts as two clicks; a button without its picture still clicks.
        CGdipButton blank(&parent);
        blank.resize(20, 20);
        blank.show();
        QVERIFY(!blank.SetNormalImage(QImage()));
        QSignalSpy blankClicks(&blank, &QAbstractButton::clicked);
        // What the platform delivers for a double click: press, release, double click, release.
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                  QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
            const bool down = type != QEvent::MouseButtonRelease;
            QMouseEvent e(type, QPointF(5, 5), blank.mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                          down ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(&blank, &e);
        }
        QCOMPARE(blankClicks.count(), 2);
        QCOMPARE(CountPixels(blank.grab().toImage(), qRgb(0, 200, 0)), 0);
    }

    void sliderReportsOnlyWhileDraggingAndOnRelease() {
        CMySliderControl slider;
        slider.resize(110, 16);
        QSignalSpy changed(&slider, &CMySliderControl::VolumeChanged);
        QCOMPARE(slider.value(), 60);
        QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(55, 8));
        QCOMPARE(slider.value(), 50);  // (55 - 5) x 100 / 100
        QCOMPARE(changed.count(), 0);
        QMouseEvent move(QEvent::MouseMove, QPointF(85, 8), slider.mapToGlobal(QPointF(85, 8)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&slider, &move);
        QCOMPARE(slider.value(), 80);
        QCOMPARE(changed.count(), 1);
        QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(85, 8));
        QCOMPARE(changed.count(), 2);
        QVERIFY(!slider.Dragging());
        const QImage shot = slider.grab().toImage();
        // The bar spans rows 4 to 7 of the 16: white up to the thumb, grey after it.
        QCOMPARE(QColor(shot.pixel(slider.ChannelLeft() + 2, 5)), QColor(Qt::white));
        QCOMPARE(QColor(shot.pixel(slider.ChannelRight() - 2, 5)), QColor(64, 64, 64));
        QCOMPARE(QColor(shot.pixel(slider.ChannelLeft() + 2, 12)), QColor(Qt::black));
    }

    void tooltipsRegisterOnceAndGoTogether() {
        CTesToolTipCtrl tips;
        QWidget a, b;
        tips.AddTool(&a, "Stop");
        tips.AddTool(&b, "Volume");
        tips.AddTool(&a, "停止");
        QCOMPARE(tips.ToolCount(), 2u);
        QCOMPARE(a.toolTip(), QString("停止"));
        tips.RemoveAllTools();
        QCOMPARE(tips.ToolCount(), 0u);
        QVERIFY(a.toolTip().isEmpty() && b.toolTip().isEmpty());
    }
};

QTEST_MAIN(ViewsWidgetsTest)
#include "ViewsWidgetsTest.moc"
