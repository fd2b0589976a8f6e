// The window's playback commands against an engine that writes down its calls.
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <memory>

#include "app/CLumDlg.h"
#include "dialogs/CLumFileListCtrl.h"
#include "playback/ScanPanel.h"
#include "playback/VideoWidgets.h"
#include "settings/CLumSettings.h"
#include "tests/support/Builders.h"
#include "tests/support/RecordingEngine.h"
#include "tests/support/WindowUnderTest.h"

using namespace lum;
using lum::test::EngineLog;

namespace {
QString Ui(int id) {
    return QString::fromStdString(LoadUiString(id));
}
}  // namespace

namespace {

// The calls since the last Clear that start with prefix.
std::vector<std::string> CallsStarting(const std::string& prefix) {
    std::vector<std::string> out;
    for (const std::string& c : EngineLog::Calls()) {
        if (c.rfind(prefix, 0) == 0) {
            out.push_back(c);
        }
    }
    return out;
}

void Clear() {
    EngineLog::Calls().clear();
}

std::string Last(const std::string& prefix) {
    const auto calls = CallsStarting(prefix);
    return calls.empty() ? std::string() : calls.back();
}

// A minute northwards at 66 km/h with a hard braking from 30.0 to 31.5 s: one
// fix a second, ten G-sensor readings a second at 8 g full scale.
lum::test::Bytes BrakingMinuteMp4(const std::string& idit) {
    using namespace lum::test;
    Bytes gps;
    for (int k = 0; k < 60; ++k) {
        GpsSample s = DatedSample({2014, 1, 1, 13, k / 60, k % 60});
        s.latitude += k * 0.01;
        s.speedKmh = 66;
        Append(gps, GpsRecord(s));
    }
    Bytes gsen;
    for (int i = 0; i < 600; ++i) {
        for (int v : {0, i >= 300 && i < 315 ? -10 : 0, 16}) {
            gsen.push_back(static_cast<std::uint8_t>(static_cast<std::int8_t>(v)));
        }
    }
    return Cat({Ftyp(), Box("gpsa", Attributes(1, 8)), Box("IDIT", Text(idit)), Box("gps0", gps),
                Box("gsen", gsen), Box("moov", {VideoTrak(640, 360, 1000, 60000)})});
}

void TimeChanged(CLumDlg& dlg, qint64 ms) {
    libvlc_event_t e{};
    e.type = libvlc_MediaPlayerTimeChanged;
    e.u.media_player_time_changed.new_time = ms;
    CEngineEvents::Callback(&e, &dlg.Playback().Events());
    QCoreApplication::processEvents();
}

}  // namespace

class ControllerTest : public QObject {
    Q_OBJECT
  public:
    static void initMain() { test::PrepareApplication(); }

  private:
    lum::test::TempDir card_;
    std::unique_ptr<CLumDlg> dlg_;

  private slots:
    void initTestCase() {
        QVERIFY(QDir::setCurrent(QString::fromStdString(card_.path().string())));
        for (const char* name :
             {"FILE140101-120000.MP4", "FILE140101-120100.MP4", "FILE140101-120200.MP4"}) {
            card_.Write(std::string("card/") + name, lum::test::MinuteMp4("2014-01-01 12:00:00"));
        }
    }

    void init() {
        dlg_ = std::make_unique<CLumDlg>(CLumSettings::Instance(),
                                         std::make_unique<VlcPlayer>(test::RecordingApi()));
        dlg_->InitDialog(true);
        Clear();
    }

    void cleanup() { dlg_.reset(); }

    // The card is loaded on a worker thread: wait until the catalogue holds it.
    void OpenCard() {
        dlg_->OpenSource(CLumDlg::Source::Folder,
                         QString::fromStdString((card_.path() / "card").string()));
        QTRY_VERIFY(!dlg_->Playback().Scanning());
        // A folder's first recording starts half a second after the scan.
        QTRY_COMPARE(dlg_->Catalogue().CurrentIndex(), 0);
    }

    void ratesStopAtTheirEnds() {
        OpenCard();
        for (int i = 0; i < 10; ++i) {
            dlg_->Playback().OnFaster();
        }
        QCOMPARE(dlg_->Playback().RateIndex(), 17);
        QCOMPARE(Last("marquee_string"), std::string("marquee_string 1 4.0 X"));
        QCOMPARE(Last("marquee_int 0"), std::string("marquee_int 0 1"));
        for (int i = 0; i < 20; ++i) {
            dlg_->Playback().OnSlower();
        }
        QCOMPARE(dlg_->Playback().RateIndex(), 0);
        QCOMPARE(Last("marquee_string"), std::string("marquee_string 1 0.3 X"));
        for (int i = 0; i < 7; ++i) {
            dlg_->Playback().OnFaster();
        }
        QCOMPARE(Last("marquee_string"), std::string("marquee_string 1 1.0 X"));
        QCOMPARE(Last("marquee_int 0"), std::string("marquee_int 0 0"));  // no overlay at 1.0
    }

    void nextOnTheLastAndPrevOnTheFirstHoldTheFirst() {
        OpenCard();
        QCOMPARE(dlg_->Catalogue().Entries().size(), std::size_t{3});
        dlg_->Playback().StartRecording(2);
        Clear();
        dlg_->Playback().OnNext();
        QCOMPARE(dlg_->Catalogue().CurrentIndex(), 0);
        // The pause follows the play by a short timer, not a sleep.
        QTRY_COMPARE(EngineLog::Calls().back(), std::string("pause"));
        const auto tail =
            std::vector<std::string>(EngineLog::Calls().end() - 2, EngineLog::Calls().end());
        QCOMPARE(tail, (std::vector<std::string>{"play", "pause"}));
        Clear();
        dlg_->Playback().OnPrev();
        QCOMPARE(dlg_->Catalogue().CurrentIndex(), 0);
        QCOMPARE(EngineLog::Calls().front(), std::string("stop"));
        QTRY_COMPARE(EngineLog::Calls().back(), std::string("pause"));
    }

    void anEmptyCatalogueOnlyStops() {
        dlg_->Playback().OnNext();
        dlg_->Playback().OnPrev();
        dlg_->Playback().OnEndReached();
        QVERIFY(CallsStarting("media_new_path").empty());
        QCOMPARE(CallsStarting("stop").size(), std::size_t{3});
    }

    void aPendingSeekHidesTimeReports() {
        OpenCard();
        dlg_->Playback().StartRecording(0);
        EngineLog::Length() = 62000;
        dlg_->SeekBar()->setValue(500);
        dlg_->Playback().OnSeekMoved();  // 500 x (62000 / 1000) ms
        const int before = dlg_->Playback().TimeReports();
        TimeChanged(*dlg_, 1000);
        QCOMPARE(dlg_->Playback().TimeReports(), before);  // the thumb stays where the user left it
        QTRY_COMPARE_WITH_TIMEOUT(Last("set_time"), std::string("set_time 31000"), 2000);
        TimeChanged(*dlg_, 31000);
        QCOMPARE(dlg_->Playback().TimeReports(), before + 1);
        EngineLog::Time() = 59999;
        EngineLog::Length() = 61500;
        TimeChanged(*dlg_, 59999);
        QCOMPARE(dlg_->TimeText()->text(), QString("0:59 / 1:02"));
    }

    void aDoubleClickDuringASwitchIsIgnored() {
        OpenCard();
        TimeChanged(*dlg_, 10);  // the switch of the open ends with the first report
        dlg_->Playback().OnPlayItem(1);
        QVERIFY(dlg_->Playback().SwitchInProgress());
        dlg_->Playback().OnPlayItem(2);
        QTRY_COMPARE(dlg_->Catalogue().CurrentIndex(), 1);  // after the pause that follows a stop
        TimeChanged(*dlg_, 20);
        QVERIFY(!dlg_->Playback().SwitchInProgress());
        dlg_->Playback().OnPlayItem(2);
        QTRY_COMPARE(dlg_->Catalogue().CurrentIndex(), 2);

        // Without any report from the engine the guard lifts by itself after its time-out.
        TimeChanged(*dlg_, 30);
        dlg_->Playback().switchTimeoutMs = 50;
        dlg_->Playback().OnPlayItem(0);
        QVERIFY(dlg_->Playback().SwitchInProgress());
        QTRY_VERIFY_WITH_TIMEOUT(!dlg_->Playback().SwitchInProgress(), 2000);
    }

    void theScanRunsOffTheWindowAndCancelKeepsTheCatalogue() {
        OpenCard();
        TimeChanged(*dlg_, 10);  // the engine started the card: OPEN may come again
        const std::string before = dlg_->Catalogue().Entries().front().fileName;
        // A card large enough that its scan takes many turns of the event loop.
        test::TempDir big;
        const lum::test::Bytes clip = test::MinuteMp4("2014-01-01 12:00:00");
        for (int i = 0; i < 20000; ++i) {
            char name[64];
            std::snprintf(name, sizeof name, "DCIM/%03d/FILE%06d-%06d.MP4", i / 500, 140101, i);
            big.Write(name, clip);
        }
        int turns = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++turns; });
        ticker.start(0);
        dlg_->OpenSource(CLumDlg::Source::Folder, QString::fromStdString(big.path().string()));
        QVERIFY(dlg_->Playback().Scanning());
        QVERIFY(!dlg_->ScanPanel()->isHidden());
        QTRY_VERIFY(dlg_->ScanPanel()->Count() > 0);  // the running count is shown
        QVERIFY(turns > 0);                           // and the window answers meanwhile
        QTest::mouseClick(dlg_->ScanPanel()->CancelButton(), Qt::LeftButton);
        QTRY_VERIFY(!dlg_->Playback().Scanning());
        QVERIFY(dlg_->ScanPanel()->isHidden());
        QCOMPARE(dlg_->Catalogue().Entries().size(), std::size_t{3});
        QCOMPARE(dlg_->Catalogue().Entries().front().fileName, before);
        QCOMPARE(dlg_->FileList()->RowCount(), 3);
        QVERIFY(!dlg_->Playback().SwitchInProgress());
    }

    void deadEndsAreTold() {
        QStringList told;
        dlg_->messageBox = [&](QMessageBox::Icon, const QString&, const QString& text,
                               QMessageBox::StandardButtons) {
            told << text;
            return QMessageBox::Ok;
        };
        test::TempDir empty;
        empty.Write("notes.txt", test::Text("no recordings here"));
        empty.Write("FILE140101-120000.MP4", test::Text("not an MP4"));
        const QString root = QString::fromStdString(empty.path().string());
        const QString missing = root + "/gone";
        const QString junk = root + "/FILE140101-120000.MP4";
        struct Case {
            CLumDlg::Source kind;
            QString path;
            int message;
        } cases[] = {{CLumDlg::Source::Folder, missing, 201},
                     {CLumDlg::Source::Disk, root, 202},
                     {CLumDlg::Source::File, junk, 207},
                     {CLumDlg::Source::File, missing + ".MP4", 201}};
        for (const Case& c : cases) {
            told.clear();
            dlg_->OpenSource(c.kind, c.path);
            QTRY_VERIFY(!dlg_->Playback().Scanning());
            QCOMPARE(told.size(), 1);
            QCOMPARE(told[0], Ui(c.message).replace("%s", QDir::toNativeSeparators(c.path)));
            QVERIFY(dlg_->Catalogue().Entries().empty());
        }
        // An engine error names the recording once, however often the engine repeats it.
        OpenCard();
        dlg_->Playback().StartRecording(1);
        told.clear();
        for (int i = 0; i < 3; ++i) {
            emit dlg_->Playback().Events().EncounteredError();
        }
        QTRY_COMPARE(told.size(), 1);
        QVERIFY(told[0].contains("FILE140101-120100.MP4"));
    }

    void exactlyTheCurrentRowIsHighlighted() {
        OpenCard();
        CLumFileListCtrl* list = dlg_->FileList();
        dlg_->show();
        QVERIFY(QTest::qWaitForWindowExposed(dlg_.get()));
        list->selectAll();  // a selection of the user's is not painted as a second highlight
        dlg_->Playback().StartRecording(0);
        dlg_->Playback().OnEndReached();  // the automatic advance
        const auto highlighted = [&] {
            QList<int> rows;
            for (int r = 0; r < list->RowCount(); ++r) {
                if (list->IsDropHighlighted(r)) {
                    rows << r;
                }
            }
            return rows;
        };
        QCOMPARE(highlighted(), QList<int>{1});
        // Every cell of the old row lost its highlight on the screen, every cell of the new one has
        // it.
        const QImage shot = list->viewport()->grab().toImage();
        const QColor highlight = list->palette().color(QPalette::Active, QPalette::Highlight);
        for (int row = 0; row < list->RowCount(); ++row) {
            for (int column = 0; column < 3; ++column) {
                const QRect cell = list->visualRect(list->model()->index(row, column));
                const QColor c = shot.pixelColor(cell.center().x(), cell.top() + 2);
                QCOMPARE(c == highlight, row == 1);
            }
        }
    }

    void volumeEditRules() {
        struct Case {
            const char* text;
            const char* engine;
            int slider;
        } cases[] = {{"75", "volume 150", 75},
                     {"150", "volume 120", 60},
                     {"-3", "volume 120", 60},
                     {"abc", "volume 0", 0}};
        for (const Case& c : cases) {
            dlg_->VolumeSlider()->setValue(60);
            dlg_->VolumeEdit()->setText(c.text);
            QCOMPARE(Last("volume"), std::string(c.engine));
            QCOMPARE(dlg_->VolumeSlider()->value(), c.slider);
        }
        QCOMPARE(dlg_->VolumeEdit()->text(), QString("abc"));
    }

    void eventMarksFollowTheRecordingAndTheWidthAndSeekBeforeTheEvent() {
        card_.Write("marks/FILE140101-130000.MP4", BrakingMinuteMp4("2014-01-01 13:00:00"));
        card_.Write("marks/FILE140101-130100.MP4", lum::test::MinuteMp4("2014-01-01 13:01:00"));
        dlg_->OpenSource(CLumDlg::Source::Folder,
                         QString::fromStdString((card_.path() / "marks").string()));
        QTRY_VERIFY(!dlg_->Playback().Scanning());
        QTRY_COMPARE(dlg_->Catalogue().CurrentIndex(), 0);
        CVideoSlider* bar = dlg_->SeekBar();
        QCOMPARE(bar->Marks().size(), std::size_t{1});
        const SeekMark mark = bar->Marks()[0];
        QCOMPARE(mark.colour, QColor::fromRgb(EventKindColour(DrivingEventKind::HarshBraking)));
        QCOMPARE(mark.seekMs, qint64{27000});
        QVERIFY2(mark.tip.contains(Ui(260)) && mark.tip.contains("0.63 g") &&
                     mark.tip.contains("13:00:30"),
                 qPrintable(mark.tip));

        // Half way along the channel, at any width.
        const auto middle = [bar] { return (bar->ChannelLeft() + bar->ChannelRight() + 1) / 2; };
        QCOMPARE(bar->MarkX(mark), middle());
        const int before = bar->MarkX(mark);
        bar->resize(bar->width() + 300, bar->height());
        QVERIFY(bar->MarkX(mark) != before);
        QCOMPARE(bar->MarkX(mark), middle());

        // A click on the mark seeks 3 s before the braking, the views first.
        Clear();
        QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->MarkX(mark) + 2, bar->height() / 2));
        QCOMPARE(bar->value(), 27000 * 1000 / EngineLog::Length());
        QTRY_VERIFY(!CallsStarting("set_time 27000").empty());
        QVERIFY(!bar->Dragging());

        // The next recording has no events: its start clears the marks.
        dlg_->Playback().StartRecording(1);
        QVERIFY(bar->Marks().empty());
        dlg_->Playback().StartRecording(0);
        QCOMPARE(bar->Marks().size(), std::size_t{1});
    }

    void flipRestoresTheState() {
        OpenCard();
        dlg_->Playback().StartRecording(1);
        EngineLog::Time() = 42000;
        Clear();
        dlg_->OnFlip();  // playing: plays on from the same time with argument set 1
        QCOMPARE(CallsStarting("new").front(), std::string("new []"));
        auto calls = EngineLog::Calls();
        QCOMPARE(std::vector<std::string>(calls.end() - 2, calls.end()),
                 (std::vector<std::string>{"play", "set_time 42000"}));
        QCOMPARE(dlg_->Catalogue().CurrentIndex(), 1);
        dlg_->Player().Pause();
        Clear();
        dlg_->OnFlip();  // paused: opened again without starting
        calls = EngineLog::Calls();
        QCOMPARE(std::vector<std::string>(calls.end() - 3, calls.end()),
                 (std::vector<std::string>{"pause", "set_time 42000", "pause"}));
        dlg_->Player().Stop();
        Clear();
        dlg_->OnFlip();  // stopped: stays stopped
        QCOMPARE(EngineLog::Calls().back(), std::string("stop"));
    }
};

QTEST_MAIN(ControllerTest)
#include "ControllerTest.moc"
