// What reaches the screen: the main window with the real engine, the real map
// and a sample card under Xvfb, read back from the root window (the engine
// draws on the surface's own X window, which QWidget::grab cannot see).
#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "app/CLumDlg.h"
#include "app/Messages.h"
#include "app/PlaybackController.h"
#include "playback/ScanPanel.h"
#include "settings/CLumSettings.h"
#include "tests/support/WindowUnderTest.h"

using namespace lum;

namespace {

// A pixel a person would see as light: anything brighter than the window's
// dark background and the black bars.
bool IsLight(QRgb c) {
    return qRed(c) > 15 || qGreen(c) > 15 || qBlue(c) > 15;
}

struct Finding {
    int count = 0;
    QPoint first;
    QRgb colour = 0;
};

// The pixels of region (screen coordinates) that fail the test.
template <typename Bad>
Finding Scan(const QImage& screen, const QRegion& region, Bad bad) {
    Finding f;
    for (const QRect& r : region) {
        const QRect clipped = r.intersected(screen.rect());
        for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
            for (int x = clipped.left(); x <= clipped.right(); ++x) {
                const QRgb c = screen.pixel(x, y);
                if (bad(c)) {
                    if (f.count++ == 0) {
                        f.first = QPoint(x, y);
                        f.colour = c;
                    }
                }
            }
        }
    }
    return f;
}

QString Describe(const char* what, const Finding& f) {
    return QString("%1: %2 pixels, first at (%3, %4) = #%5")
        .arg(what)
        .arg(f.count)
        .arg(f.first.x())
        .arg(f.first.y())
        .arg(f.colour & 0xFFFFFF, 6, 16, QChar('0'));
}

}  // namespace

class PaintTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir home_;
    QString card_;

    std::unique_ptr<CLumDlg> MakeWindow(bool openCard) {
        auto dlg = std::make_unique<test::WindowUnderTest>();
        if (!dlg->ShowAndWait()) {
            return nullptr;
        }
        dlg->SetSmallSize();
        if (openCard) {
            dlg->OpenSource(CLumDlg::Source::Disk, card_);
            if (!QTest::qWaitFor([&] { return !dlg->Playback().Scanning(); }, 15000)) {
                return nullptr;
            }
        }
        return dlg;
    }

    static QImage Screen() {
        QTest::qWait(700);  // the window's own repaints after the change, nothing more
        return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(
            QImage::Format_RGB32);
    }

    static void Keep(const QImage& shot, const QString& name) {
        const QString folder = qEnvironmentVariable("LUM_PAINT_SHOTS");
        if (!folder.isEmpty()) {
            shot.save(QDir(folder).filePath(name + ".png"));
        }
    }

    static QRect Global(const QWidget* w) { return QRect(w->mapToGlobal(QPoint(0, 0)), w->size()); }

    // What the window paints itself: everything not covered by a shown child,
    // less the separator lines and the G-sensor legend.
    static QRegion DarkBackground(const CLumDlg& dlg) {
        QRegion r(Global(&dlg));
        for (const QWidget* child : dlg.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (child->isVisible() && !child->isWindow()) {
                r -= Global(child);
            }
        }
        if (!dlg.FullScreen()) {
            const QPoint o = dlg.mapToGlobal(QPoint(0, 0));
            const LayoutRect& legend = dlg.LastLayout().gsensorLegend;
            r -= QRect(legend.x, legend.y, legend.width, legend.height).translated(o);
            for (int x : {dlg.width() - 325, dlg.width() - 390, dlg.width() - 455}) {
                r -= QRect(x, 15, 1, 19).translated(o);
            }
        }
        return r;
    }

    // The video area around the letterboxed picture.
    static QRegion Bars(const CLumDlg& dlg) {
        const QWidget* background = dlg.Control(IDC_VIDEO_BG);
        QRegion r = QRegion(Global(background)) - Global(dlg.VideoSurface());
        // In full screen the map keeps a 1 x 1 place at the corner, above the video.
        for (const QWidget* child : dlg.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (child != background && child->isVisible()) {
                r -= Global(child);
            }
        }
        return r;
    }

    static void ExpectClean(const CLumDlg& dlg, const QImage& shot) {
        const Finding background =
            Scan(shot, DarkBackground(dlg), [](QRgb c) { return (c & 0xFFFFFF) != 0x0F0F0F; });
        QVERIFY2(background.count == 0, qPrintable(Describe("window background", background)));
        const Finding bars = Scan(shot, Bars(dlg), IsLight);
        QVERIFY2(bars.count == 0, qPrintable(Describe("black bars", bars)));
    }

    // Runs open() and closes the modal dialog it shows once it is on the screen.
    static void CloseDialogOpenedBy(const std::function<void()>& open) {
        bool seen = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                if (!seen) {
                    seen = true;
                    return;  // let it paint once more before it goes
                }
                poll.stop();
                modal->close();
            }
        });
        poll.start(400);
        open();
        QVERIFY(seen);
    }

  public:
    static void initMain() { test::PrepareApplication(); }

  private slots:
    void initTestCase() {
        card_ = test::MakeHomeWithCard(home_, QStringLiteral(LUM_MAKE_CARD), 20,
                                       QStringLiteral("320x180"), 10);
        QVERIFY(!card_.isEmpty());
    }

    void nothingLoadedShowsTheDarkWindow() {
        auto window = MakeWindow(false);
        QVERIFY(window != nullptr);
        const QImage shot = Screen();
        Keep(shot, "empty");
        ExpectClean(*window, shot);
        // The surface paints itself dark, with what to do first in the middle.
        const QRect surface = Global(window->VideoSurface());
        const QRegion margin = QRegion(surface) - surface.adjusted(16, 16, -16, -16);
        const Finding dark = Scan(shot, margin, [](QRgb c) { return (c & 0xFFFFFF) != 0x0F0F0F; });
        QVERIFY2(dark.count == 0, qPrintable(Describe("empty surface", dark)));
        QVERIFY(Scan(shot, surface, [](QRgb c) { return qGray(c) > 100; }).count > 50);
    }

    void closedDialogsLeaveNothingBehind() {
        auto window = MakeWindow(true);
        QVERIFY(window != nullptr);
        CLumDlg& dlg = *window;
        QTRY_VERIFY_WITH_TIMEOUT(dlg.Playback().TimeReports() > 1, 15000);
        Keep(Screen(), "playing");
        CloseDialogOpenedBy([&] { dlg.Button(IDC_CONF)->click(); });
        QImage shot = Screen();
        Keep(shot, "after-config");
        ExpectClean(dlg, shot);
        // Paused, the picture the dialog covered comes back: the surface's own
        // painting stays under the engine's picture.
        dlg.Playback().OnPlay();
        QTRY_VERIFY(!dlg.Player().Playing());
        CloseDialogOpenedBy([&] { dlg.Button(IDC_CONF)->click(); });
        shot = Screen();
        Keep(shot, "after-config-paused");
        ExpectClean(dlg, shot);
        const QRect surface = Global(dlg.VideoSurface());
        const Finding picture = Scan(shot, surface, IsLight);
        QVERIFY2(picture.count > surface.width() * surface.height() / 2,
                 qPrintable(Describe("paused picture", picture)));
        CloseDialogOpenedBy([&] { dlg.AskOverwrite("/tmp/x"); });
        shot = Screen();
        Keep(shot, "after-message");
        ExpectClean(dlg, shot);
        dlg.Player().Stop();
    }

    void scanPanelShowsOverThePicture() {
        auto window = MakeWindow(true);
        QVERIFY(window != nullptr);
        CLumDlg& dlg = *window;
        QTRY_VERIFY_WITH_TIMEOUT(dlg.Playback().TimeReports() > 1, 15000);
        // A new scan while the recording plays: the panel, its count and its
        // button are on the screen, then the picture comes back.
        dlg.ScanPanel()->Start("/media/card");
        dlg.ScanPanel()->SetCount(4321);
        QImage shot = Screen();
        Keep(shot, "scanning");
        const QRect panel = Global(dlg.ScanPanel());
        QVERIFY(panel.width() > 300 && panel.height() > 200);
        const auto countColour = [](QRgb c) { return (c & 0xFFFFFF) == 0xC4A800; };
        QVERIFY(Scan(shot, panel, countColour).count > 100);
        const QRect button = Global(dlg.ScanPanel()->CancelButton());
        QVERIFY(Scan(shot, button, IsLight).count > button.width() * button.height() / 2);
        dlg.ScanPanel()->hide();
        shot = Screen();
        Keep(shot, "scanned");
        ExpectClean(dlg, shot);
        const QRect surface = Global(dlg.VideoSurface());
        QVERIFY(Scan(shot, surface, IsLight).count > surface.width() * surface.height() / 2);
        dlg.Player().Stop();
    }

    void windowSizesLeaveNothingBehind() {
        auto window = MakeWindow(true);
        QVERIFY(window != nullptr);
        CLumDlg& dlg = *window;
        QTRY_VERIFY_WITH_TIMEOUT(dlg.Playback().TimeReports() > 1, 15000);
        dlg.SetMediumSize();
        QImage shot = Screen();
        Keep(shot, "medium");
        ExpectClean(dlg, shot);
        dlg.SetSmallSize();
        shot = Screen();
        Keep(shot, "small");
        ExpectClean(dlg, shot);
        dlg.Player().Stop();
    }

    void leavingFullScreenLeavesNothingBehind() {
        auto window = MakeWindow(true);
        QVERIFY(window != nullptr);
        CLumDlg& dlg = *window;
        QTRY_VERIFY_WITH_TIMEOUT(dlg.Playback().TimeReports() > 1, 15000);
        dlg.ToggleFullScreen();
        QVERIFY(dlg.FullScreen());
        QImage shot = Screen();
        Keep(shot, "full-screen");
        const Finding bars = Scan(shot, Bars(dlg), IsLight);
        QVERIFY2(bars.count == 0, qPrintable(Describe("full-screen bars", bars)));
        dlg.ToggleFullScreen();
        QVERIFY(!dlg.FullScreen());
        shot = Screen();
        Keep(shot, "after-full-screen");
        ExpectClean(dlg, shot);
        dlg.Player().Stop();
    }
};

QTEST_MAIN(PaintTest)
#include "PaintTest.moc"
