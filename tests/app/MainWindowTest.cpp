// The main window with the real engine, the real map and a real sample card,
// under Xvfb.
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>

#include "app/CAboutDlg.h"
#include "app/CLumDlg.h"
#include "app/Messages.h"
#include "dialogs/CLumFileListCtrl.h"
#include "recordings/RecordingTypes.h"
#include "settings/CLumSettings.h"
#include "tests/support/WindowUnderTest.h"
#include "views/map/CHtmlMapDlg.h"

using namespace lum;

class MainWindowTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir home_;
    QString card_;

    // A shown window at the small size with the sample card opened as a disk.
    std::unique_ptr<CLumDlg> OpenCard() {
        auto dlg = std::make_unique<test::WindowUnderTest>();
        if (!dlg->ShowAndWait(QSize(1024, 576))) {
            return nullptr;
        }
        dlg->OpenSource(CLumDlg::Source::Disk, card_);
        // The card is loaded on a worker thread; the window answers meanwhile.
        if (!QTest::qWaitFor([&] { return !dlg->Playback().Scanning(); }, 15000)) {
            return nullptr;
        }
        return dlg;
    }

  public:
    // Before the application exists: the map's web view shares GL contexts.
    static void initMain() { test::PrepareApplication(); }

  private slots:
    void initTestCase() {
        card_ = test::MakeHomeWithCard(home_, QStringLiteral(LUM_MAKE_CARD), 4,
                                       QStringLiteral("320x180"), 10);
        QVERIFY(!card_.isEmpty());
    }

    void startsWithDefaultsAndClosesIntoTheSettingsFile() {
        {
            test::WindowUnderTest dlg;
            QVERIFY(dlg.ShowAndWait());
            QCOMPARE(dlg.windowTitle(), QString("1.0.33"));
            QVERIFY(dlg.width() >= 800 && dlg.height() >= 560);
            QVERIFY(!dlg.Maximised());
            QVERIFY(dlg.MapEnabled() && dlg.GsensorEnabled());
            QVERIFY(dlg.Player().Loaded());
            // Escape does nothing; the close button closes and writes the placement.
            QTest::keyClick(&dlg, Qt::Key_Escape);
            QVERIFY(dlg.isVisible());
            dlg.move(40, 30);
            QTest::qWait(100);
            dlg.close();
        }
        QFile ini(home_.filePath("Lum.ini"));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(ini.readAll());
        QVERIFY(text.contains("MAXSCREEN=0"));
        QVERIFY(text.contains("RIGHT="));
        CAboutDlg about;
        QCOMPARE(about.VersionLine(), QString("Version 1.0.33"));
    }

    void layoutAtTheSmallSize() {
        test::WindowUnderTest dlg;
        dlg.show();
        dlg.resize(1024, 576);
        QTRY_COMPARE(dlg.size(), QSize(1024, 576));
        QCOMPARE(dlg.MapPanel()->geometry(), QRect(619, 48, 400, 220));
        QCOMPARE(dlg.Control(IDC_PLAY)->geometry(), QRect(120, 518, 40, 40));
        QVERIFY(!dlg.Control(IDC_STOP)->isVisible());
        QVERIFY(!dlg.Control(IDC_DEL)->isVisible());
        QCOMPARE(dlg.Control(IDC_PLAY)->toolTip(), QString("Play/Pause video"));
        QCOMPARE(dlg.Control(IDC_SPEED)->toolTip(), QString("Change Speed Unit KPH/MPH."));
    }

    void opensTheCardAndPlaysTheFirstRecording() {
        auto window = OpenCard();
        QVERIFY(window != nullptr);
        CLumDlg& dlg = *window;
        QVERIFY(dlg.Catalogue().Entries().size() > 5);
        QCOMPARE(dlg.Catalogue().CurrentIndex(), 0);
        QVERIFY(dlg.Player().Playing());
        // Time reports come back through the queued path and move the seek bar and the text.
        QTRY_VERIFY_WITH_TIMEOUT(dlg.Playback().TimeReports() > 2, 15000);
        QVERIFY(!dlg.Playback().SwitchInProgress());
        QVERIFY(dlg.TimeText()->text() != "0:00 / 0:00");
        // The telemetry follows the picture: the compass turned and the dial shows a fix.
        QVERIFY(dlg.Compass()->Index() > 0);
        QVERIFY(dlg.Speed()->Model().Valid());
        // The surface is letterboxed to the recording's 16:9.
        const QRect surface = dlg.VideoSurface()->geometry();
        QVERIFY(qAbs(surface.width() * 9 - surface.height() * 16) <= 16 * 2);
        // The screenshot a person looks at.
        const QByteArray shot = qgetenv("LUM_SCREENSHOT");
        if (!shot.isEmpty()) {
            QTest::qWait(1500);
            QProcess::execute("import", {"-window", "root", QString::fromLocal8Bit(shot)});
        }
        dlg.Playback().OnPlay();  // pauses
        QTRY_VERIFY(!dlg.Player().Playing());
        // A list double-click plays that recording.
        const int last = static_cast<int>(dlg.Catalogue().Entries().size()) - 1;
        dlg.Playback().OnPlayItem(last);
        QVERIFY(dlg.Playback().SwitchInProgress());
        QTRY_COMPARE(dlg.Catalogue().CurrentIndex(), last);  // after the pause that follows a stop
        QTRY_VERIFY_WITH_TIMEOUT(!dlg.Playback().SwitchInProgress(), 15000);
        // Window modes: the small size, then full screen and back.
        dlg.SetSmallSize();
        QTRY_COMPARE(dlg.size(), QSize(1024, 576));
        dlg.ToggleFullScreen();
        QVERIFY(dlg.FullScreen());
        QVERIFY(!dlg.Control(IDC_PLAY)->isVisible());
        QVERIFY(!dlg.FileList()->isVisible());
        dlg.ToggleFullScreen();
        QVERIFY(!dlg.FullScreen());
        QVERIFY(dlg.Control(IDC_PLAY)->isVisible());
        QVERIFY(dlg.Control(IDC_ABOUT)->isVisible());  // shown once full screen was left
        QVERIFY(!dlg.Control(IDC_NOTICE)->isVisible());
        dlg.Player().Stop();
    }

    void zoomSnapshotAndFlip() {
        auto window = OpenCard();
        QVERIFY(window != nullptr);
        CLumDlg& dlg = *window;
        QTRY_VERIFY_WITH_TIMEOUT(dlg.Playback().TimeReports() > 1, 15000);

        // The engine knows the picture's size; a picture smaller than the surface
        // is never zoomed past one picture pixel a screen pixel, so it stays whole.
        const QSize surface = dlg.VideoSurface()->size();
        QVERIFY(surface.width() > 320);
        dlg.ZoomAt(120, surface.width() / 2, surface.height() / 2);
        QCOMPARE(dlg.CurrentView(), (LayoutRect{0, 0, 320, 180}));

        // A ".jpg" snapshot holds a JPEG of the picture's size; playback goes on.
        const QString shot = home_.filePath("snap.jpg");
        dlg.pickSnapshotFile = [&](QWidget*) { return shot; };
        dlg.OnSnapshot();
        QImageReader reader(shot);
        QCOMPARE(reader.format(), QByteArray("jpeg"));
        QCOMPARE(reader.size(), QSize(320, 180));
        QVERIFY(dlg.Player().Playing());
        // The conversion went through a temporary file, which is gone.
        QCOMPARE(QDir(home_.path())
                     .entryList({QStringLiteral(".lum-*"), QStringLiteral("*.part")},
                                QDir::Files | QDir::Hidden),
                 QStringList());

        // FLIP makes a new engine and goes on playing the same recording.
        const int current = dlg.Catalogue().CurrentIndex();
        const int reports = dlg.Playback().TimeReports();
        dlg.OnFlip();
        QVERIFY(dlg.Flipped());
        QVERIFY(dlg.Player().Loaded());
        QCOMPARE(dlg.Catalogue().CurrentIndex(), current);
        QTRY_VERIFY_WITH_TIMEOUT(dlg.Playback().TimeReports() > reports + 1, 15000);
        dlg.Player().Stop();
    }

    void aPathGivenAtStartPlaysAndAReloadedMapIsDrawnAgain() {
        test::WindowUnderTest dlg;
        QVERIFY(dlg.ShowAndWait());
        dlg.OpenPath(card_);  // what "lum CARD" does: no click needed
        QTRY_VERIFY_WITH_TIMEOUT(dlg.Player().Playing() && dlg.Playback().TimeReports() > 1, 15000);
        QCOMPARE(dlg.Catalogue().CurrentIndex(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(dlg.MapPanel()->IsPageReady(), 15000);
        const auto lengths = [&] {
            QVariant v;
            dlg.MapPanel()->View()->page()->runJavaScript("[path.length, pathDrived.length]",
                                                          [&](const QVariant& r) { v = r; });
            return QTest::qWaitFor([&] { return v.isValid(); }, 5000) ? v.toList() : QVariantList{};
        };
        QTRY_VERIFY_WITH_TIMEOUT(lengths().value(0).toInt() > 0, 5000);
        const int track = lengths().value(0).toInt();
        dlg.Playback().OnPlay();  // pause, so the driven part stays put
        QTRY_VERIFY(!dlg.Player().Playing());
        // The configuration dialog's OK reloads the page: the track comes back whole.
        dlg.ReloadMap();
        QTRY_VERIFY_WITH_TIMEOUT(dlg.MapPanel()->IsPageReady(), 15000);
        QTRY_COMPARE_WITH_TIMEOUT(lengths().value(0).toInt(), track, 5000);
        QVERIFY(lengths().value(1).toInt() > 0);
        dlg.Player().Stop();
    }

    void markerFollowsTheTelemetryAndAutoPlayRunsThrough() {
        auto window = OpenCard();
        QVERIFY(window != nullptr);
        CLumDlg& dlg = *window;
        QTRY_VERIFY_WITH_TIMEOUT(dlg.Playback().TimeReports() > 2, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(dlg.MapPanel()->IsPageReady(), 15000);
        dlg.Playback().OnPlay();  // pause, so the marker stays where the last record put it
        QTRY_VERIFY(!dlg.Player().Playing());
        QTest::qWait(300);
        const RecordingCatalogue& c = dlg.Catalogue();
        const GpsSample& s = c.GpsSamples().at(static_cast<std::size_t>(c.LastGpsIndex()));
        const double lat = NmeaToDegrees(s.latitude / 100.0),
                     lon = NmeaToDegrees(s.longitude / 100.0);
        QVariant marker;
        dlg.MapPanel()->View()->page()->runJavaScript(
            "[aitmarker.getLatLng().lat, aitmarker.getLatLng().lng]",
            [&](const QVariant& v) { marker = v; });
        QTRY_VERIFY_WITH_TIMEOUT(marker.isValid(), 5000);
        const QVariantList at = marker.toList();
        QCOMPARE(at.size(), 2);
        QVERIFY(qAbs(at[0].toDouble() - lat) < 1e-5);
        QVERIFY(qAbs(at[1].toDouble() - lon) < 1e-5);

        // A seek redraws the driven path up to the new place.
        const std::int64_t length = dlg.Player().GetLength();
        dlg.SeekBar()->setValue(750);
        dlg.Playback().OnSeekMoved();
        const double target = 750.0 * static_cast<double>(length / 1000);
        const std::size_t upTo = std::min(
            c.GpsSamples().size(), static_cast<std::size_t>(target * c.RecordsPerSecond() / 1000));
        int valid = 0;
        for (std::size_t k = 0; k < upTo; ++k) {
            valid += IsPlottable(c.GpsSamples()[k]) ? 1 : 0;
        }
        QTest::qWait(1000);  // the seek timer hands the target to the engine within 500 ms
        QVariant driven;
        dlg.MapPanel()->View()->page()->runJavaScript("pathDrived.length",
                                                      [&](const QVariant& v) { driven = v; });
        QTRY_VERIFY_WITH_TIMEOUT(driven.isValid(), 5000);
        // The engine's report after the jump may add the marker's new place once.
        QVERIFY(driven.toInt() == valid || driven.toInt() == valid + 1);
        QVERIFY(valid > 0);

        // At 4.0 X the whole card plays through and ends held on the first recording.
        for (int i = 0; i < 10; ++i) {
            dlg.Playback().OnFaster();
        }
        dlg.Playback().OnPlay();
        const int last = static_cast<int>(c.Entries().size()) - 1;
        QTRY_VERIFY_WITH_TIMEOUT(c.CurrentIndex() == last, 60000);
        QTRY_VERIFY_WITH_TIMEOUT(c.CurrentIndex() == 0 && !dlg.Player().Playing(), 30000);
        dlg.Player().Stop();
    }

    void languageChangeRelabels() {
        CLumSettings& settings = CLumSettings::Instance();
        test::WindowUnderTest dlg;
        QCOMPARE(dlg.Control(IDC_OPEN)->toolTip(), QString("Open files"));
        QVERIFY(settings.SetLanguage(kLanguageJapanese));
        dlg.OnLanguageChanged(kLanguageJapanese);
        QCOMPARE(dlg.Control(IDC_OPEN)->toolTip(), QString::fromUtf8("ファイルを開く"));
        QCOMPARE(dlg.FileList()->headerItem()->text(0), QString::fromUtf8("ファイル名"));
        QVERIFY(settings.SetLanguage(kLanguageEnglish));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
