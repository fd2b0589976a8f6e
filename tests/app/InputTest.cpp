// The window's keys and drops with the real engine, map and a real sample card under
// Xvfb: each key reaches its command whether the list, the video or the map has the
// focus, a text field being edited keeps its keys, and a folder or a recording dropped
// on the window opens as OPEN would.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMimeData>
#include <QTemporaryDir>
#include <QWebEngineView>
#include <QtTest>
#include <functional>

#include "app/CLumDlg.h"
#include "app/Messages.h"
#include "dialogs/CLumFileListCtrl.h"
#include "recordings/Paths.h"
#include "settings/CLumSettings.h"
#include "tests/support/WindowUnderTest.h"
#include "views/map/CHtmlMapDlg.h"

using namespace lum;

class InputTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir home_;
    QString card_;

  public:
    static void initMain() { test::PrepareApplication(); }

  private slots:
    void initTestCase() {
        // Recordings of 20 s, so that 5 s seeks stay inside one.
        card_ = test::MakeHomeWithCard(home_, QStringLiteral(LUM_MAKE_CARD), 20,
                                       QStringLiteral("160x90"), 5);
        QVERIFY(!card_.isEmpty());
    }

    void eachKeyReachesItsCommandFromTheListTheVideoAndTheMap() {
        CLumDlg dlg(CLumSettings::Instance(),
                    std::make_unique<VlcPlayer>(std::vector<std::string>{"--aout=dummy"}));
        dlg.InitDialog(true);
        dlg.show();
        dlg.resize(1024, 576);
        dlg.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        QStringList asked;  // captions of the questions, and the snapshot picker
        dlg.messageBox = [&](QMessageBox::Icon, const QString& caption, const QString&,
                             QMessageBox::StandardButtons) {
            asked << caption;
            return QMessageBox::Cancel;
        };
        dlg.pickSnapshotFile = [&](QWidget*) {
            asked << "snapshot";
            return QString();
        };
        dlg.OpenSource(CLumDlg::Source::Disk, card_);
        QTRY_VERIFY_WITH_TIMEOUT(dlg.Playback().TimeReports() > 1, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(dlg.MapPanel()->IsPageReady(), 15000);
        QWebEngineView* web = dlg.MapPanel()->View();
        QTRY_VERIFY(web->focusProxy() != nullptr);

        CPlaybackController& playback = dlg.Playback();
        const auto pending = [&] { return playback.Events().pendingSeekMs.load(); };
        // A paused recording at a known place, no seek on its way.
        const auto holdAt = [&](std::int64_t ms) {
            if (dlg.Player().Playing()) {
                dlg.Player().Pause();
            }
            playback.Events().pendingSeekMs = 0;
            dlg.Player().SetTime(ms);
            QTest::qWait(600);
        };

        struct Case {
            const char* name;
            int key;
            Qt::KeyboardModifiers modifiers;
            std::function<void()> before;
            std::function<bool()> done;
        };
        bool playingBefore = false;
        int currentBefore = 0;
        bool mutedBefore = false;
        std::int64_t length = 0;
        const std::vector<Case> cases = {
            {"Space", Qt::Key_Space, Qt::NoModifier,
             [&] { playingBefore = dlg.Player().Playing(); },
             [&] { return dlg.Player().Playing() != playingBefore; }},
            {"Right", Qt::Key_Right, Qt::NoModifier, [&] { holdAt(8000); },
             [&] { return std::abs(pending() - 13000) < 600; }},
            {"Left", Qt::Key_Left, Qt::NoModifier, [&] { holdAt(8000); },
             [&] { return std::abs(pending() - 3000) < 600; }},
            {"Shift+Right", Qt::Key_Right, Qt::ShiftModifier,
             [&] {
                 holdAt(8000);
                 length = dlg.Player().GetLength();
             },
             [&] { return pending() == length - 1; }},
            {"Shift+Left", Qt::Key_Left, Qt::ShiftModifier, [&] { holdAt(8000); },
             [&] { return pending() == 1; }},
            {"PageDown", Qt::Key_PageDown, Qt::NoModifier,
             [&] { currentBefore = playback.Current(); },
             [&] { return playback.Current() == currentBefore + 1; }},
            {"PageUp", Qt::Key_PageUp, Qt::NoModifier, [&] { currentBefore = playback.Current(); },
             [&] { return playback.Current() == currentBefore - 1; }},
            {"+",
             Qt::Key_Plus,
             Qt::ShiftModifier,
             {},
             [&] { return playback.RateIndex() == kNormalRate + 1; }},
            {"-",
             Qt::Key_Minus,
             Qt::NoModifier,
             {},
             [&] { return playback.RateIndex() == kNormalRate; }},
            {"M", Qt::Key_M, Qt::NoModifier,
             [&] { mutedBefore = dlg.Button(IDC_VOL)->m_bShowAlternate; },
             [&] { return dlg.Button(IDC_VOL)->m_bShowAlternate != mutedBefore; }},
            {"Ctrl+S", Qt::Key_S, Qt::ControlModifier, [&] { asked.clear(); },
             [&] { return asked == QStringList{"snapshot"}; }},
            {"Delete", Qt::Key_Delete, Qt::NoModifier,
             [&] {
                 asked.clear();
                 dlg.FileList()->topLevelItem(0)->setSelected(true);  // the question is answered No
             },
             [&] { return asked == QStringList{QString::fromStdString(LoadUiString(128))}; }},
        };

        const std::vector<std::pair<const char*, QWidget*>> targets = {
            {"list", dlg.FileList()},
            {"video", dlg.VideoSurface()},
            {"map", web->focusProxy()},
        };
        for (const auto& [where, target] : targets) {
            for (const Case& c : cases) {
                target->setFocus(Qt::OtherFocusReason);
                QTRY_COMPARE(QApplication::focusWidget(), target);
                if (c.before) {
                    c.before();
                }
                QTest::keyClick(target, static_cast<Qt::Key>(c.key), c.modifiers);
                QVERIFY2(QTest::qWaitFor(c.done, 5000),
                         qPrintable(QString("%1 with the %2 focused; pending %3, time %4")
                                        .arg(c.name, where)
                                        .arg(pending())
                                        .arg(dlg.Player().GetTime())));
                QTRY_VERIFY_WITH_TIMEOUT(!playback.SwitchInProgress(), 15000);
            }

            // F enters full screen and Escape leaves it, from where the focus then is.
            target->setFocus(Qt::OtherFocusReason);
            QTest::keyClick(target, Qt::Key_F);
            QVERIFY2(dlg.FullScreen(), where);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            QVERIFY2(!dlg.FullScreen(), where);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);  // otherwise nothing
            QVERIFY2(!dlg.FullScreen(), where);

            // Ctrl+O opens the media-open dialog.
            target->setFocus(Qt::OtherFocusReason);
            QString opened;
            QTimer::singleShot(0, [&] {
                if (QWidget* modal = QApplication::activeModalWidget()) {
                    opened = modal->metaObject()->className();
                    modal->close();
                }
            });
            QTest::keyClick(target, Qt::Key_O, Qt::ControlModifier);
            QVERIFY2(opened == "lum::CMediaOpenDialog", where);
        }
    }

    void aDroppedFolderOrRecordingOpensAsOpenWould() {
        CLumDlg dlg(CLumSettings::Instance(),
                    std::make_unique<VlcPlayer>(std::vector<std::string>{"--aout=dummy"}));
        dlg.InitDialog(true);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTRY_VERIFY_WITH_TIMEOUT(dlg.MapPanel()->View()->focusProxy() != nullptr, 15000);
        // A drag that enters, then the drop; true when both were accepted.
        const auto drop = [](QWidget* target, const QString& path) {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(path)});
            const QPoint at = target->rect().center();
            QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &enter);
            if (!enter.isAccepted()) {
                return false;
            }
            QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &dropped);
            return dropped.isAccepted();
        };

        // The card's folder, dropped on the list: every recording is listed and the first plays.
        QVERIFY(drop(dlg.FileList()->viewport(), card_));
        QTRY_VERIFY_WITH_TIMEOUT(dlg.Playback().TimeReports() > 0, 20000);
        const std::size_t all = dlg.Catalogue().Entries().size();
        QVERIFY(all > 5);
        QCOMPARE(dlg.Playback().SourcePath(), card_);
        QTRY_VERIFY_WITH_TIMEOUT(!dlg.Playback().SwitchInProgress(), 15000);

        // One recording, dropped on the map: it alone is listed, and it plays.
        const RecordingEntry one = dlg.Catalogue().Entries()[3];
        QVERIFY(drop(dlg.MapPanel()->View()->focusProxy(), QString::fromStdString(FullPath(one))));
        QTRY_VERIFY_WITH_TIMEOUT(dlg.Catalogue().Entries().size() == 1, 20000);
        QCOMPARE(dlg.Catalogue().Entries()[0].fileName, one.fileName);
        QTRY_VERIFY_WITH_TIMEOUT(dlg.Player().Playing(), 15000);
        QCOMPARE(dlg.MapPanel()->View()->url().scheme(), QString("qrc"));  // the page stays

        // A path that does not exist is refused on the picture and changes nothing.
        QVERIFY(!drop(dlg.VideoSurface(), card_ + "/missing"));
        QTest::qWait(200);
        QCOMPARE(dlg.Catalogue().Entries().size(), std::size_t{1});
    }

    void aTextFieldBeingEditedKeepsItsKeys() {
        CLumDlg dlg(CLumSettings::Instance(),
                    std::make_unique<VlcPlayer>(std::vector<std::string>{"--aout=dummy"}));
        dlg.InitDialog(true);
        dlg.show();
        dlg.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        dlg.OpenSource(CLumDlg::Source::Disk, card_);
        QTRY_VERIFY_WITH_TIMEOUT(!dlg.Playback().Scanning(), 20000);
        auto* field = dlg.VolumeEdit();
        field->show();
        field->setFocus(Qt::OtherFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(field));
        field->clear();
        QTest::keyClicks(field, "f m");
        QCOMPARE(field->text(), QString("f m"));
        QVERIFY(!dlg.FullScreen());
        QCOMPARE(dlg.Playback().RateIndex(), kNormalRate);
        QTest::keyClick(field, Qt::Key_Plus);
        QCOMPARE(dlg.Playback().RateIndex(), kNormalRate);
    }
};

QTEST_MAIN(InputTest)
#include "InputTest.moc"
