// The main window's file commands (the list's context menu, the hidden DEL, LOCK and
// SAVE buttons, and KML) on real files of a small built card, with a stand-in engine
// and the message box answered by the test.
#include <QDir>
#include <QImage>
#include <QLocale>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/CLumDlg.h"
#include "app/Messages.h"
#include "dialogs/CLumFileListCtrl.h"
#include "playback/VlcApi.h"
#include "settings/CLumSettings.h"
#include "tests/support/Builders.h"
#include "tests/support/WindowUnderTest.h"
#include "views/SmallDisplays.h"

using namespace lum;
namespace fs = std::filesystem;

namespace {

// An engine that accepts every call and shows nothing: enough for the window to
// know whether it plays.
int handles[4];
VlcApi StandInEngine() {
    const auto none = [](auto...) {};
    const auto zero = [](auto...) { return 0; };
    const auto time = [](auto...) -> libvlc_time_t { return 0; };
    VlcApi a;
    a.new_ = [](int, const char* const*) {
        return reinterpret_cast<libvlc_instance_t*>(&handles[0]);
    };
    a.release = none;
    a.media_player_new = [](libvlc_instance_t*) {
        return reinterpret_cast<libvlc_media_player_t*>(&handles[1]);
    };
    a.media_player_release = none;
    a.media_player_event_manager = [](libvlc_media_player_t*) {
        return reinterpret_cast<libvlc_event_manager_t*>(&handles[2]);
    };
    a.event_attach = zero;
    a.media_new_path = [](libvlc_instance_t*, const char*) {
        return reinterpret_cast<libvlc_media_t*>(&handles[3]);
    };
    a.media_add_option = none;
    a.media_release = none;
    a.media_player_set_media = none;
    a.set_window = none;
    a.media_player_play = zero;
    a.media_player_pause = none;
    a.media_player_stop = none;
    a.media_player_get_length = time;
    a.media_player_get_time = time;
    a.media_player_set_time = none;
    a.media_player_set_rate = zero;
    a.audio_set_volume = zero;
    a.audio_set_mute = none;
    a.video_set_key_input = none;
    a.video_set_mouse_input = none;
    a.video_set_marquee_string = none;
    a.video_set_marquee_int = none;
    a.video_set_crop_geometry = none;
    // The picture is a red frame, written where the window asks for it.
    a.video_take_snapshot = [](libvlc_media_player_t*, unsigned, const char* path, unsigned,
                               unsigned) {
        QImage frame(64, 48, QImage::Format_RGB32);
        frame.fill(Qt::red);
        return frame.save(QString::fromUtf8(path), "PNG") ? 0 : -1;
    };
    a.video_get_width = zero;
    a.video_get_height = zero;
    a.log_set = none;
    a.log_unset = none;
    a.log_get_context = none;
    return a;
}

QString Ui(int id) {
    return QString::fromStdString(LoadUiString(id));
}

struct Shown {
    QMessageBox::Icon icon;
    QString caption;
    QString text;
    QMessageBox::StandardButtons buttons;
};

// The window, with what its status board showed at every progress step.
class Window : public CLumDlg {
  public:
    Window() : CLumDlg(CLumSettings::Instance(), std::make_unique<VlcPlayer>(StandInEngine())) {}
    void ShowProgress(int percent, const std::string& text) override {
        CLumDlg::ShowProgress(percent, text);
        const auto* board = static_cast<CStatusBoardStatic*>(Control(IDC_STATUS_BOARD));
        progress.append(QString("%1 %2 %3")
                            .arg(board->isVisibleTo(this) ? "shown" : "hidden")
                            .arg(board->percent)
                            .arg(board->caption));
    }
    QStringList progress;
};

std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

using Command = void (CLumDlg::*)();

}  // namespace

Q_DECLARE_METATYPE(Command)

class FileCommandsTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir home_;
    std::unique_ptr<test::TempDir> card_;
    std::unique_ptr<Window> dlg_;
    QList<Shown> shown_;
    QList<QMessageBox::StandardButton> answers_;  // taken in order; OK once used up

    fs::path Card(const char* relative) const { return card_->path() / relative; }

    // Two continuous recordings in DCIM make group 0; a name-locked one in the root, group 1.
    void LoadCard() {
        card_->Write("DCIM/FILE140101-120000.MP4", test::MinuteMp4("2014-01-01 12:00:00"));
        card_->Write("DCIM/FILE140101-120100.MP4", test::MinuteMp4("2014-01-01 12:01:00"));
        card_->Write("EMEG140101-130000.MP4", test::MinuteMp4("2014-01-01 13:00:00"));
        QVERIFY(dlg_->Catalogue().Load(card_->path().string(), ""));
        QCOMPARE(dlg_->Catalogue().Groups().size(), std::size_t{2});
        QCOMPARE(dlg_->Catalogue().Groups()[0].entryCount, 2);
        QCOMPARE(dlg_->FileList()->RowCount(), 3);
    }

    // Selects the rows of the marked groups in the list, as Ctrl-clicks would.
    void SelectGroups(const std::vector<bool>& marked) {
        CLumFileListCtrl* list = dlg_->FileList();
        list->clearSelection();
        const RecordingCatalogue& c = dlg_->Catalogue();
        for (std::size_t g = 0; g < c.Groups().size() && g < marked.size(); ++g) {
            for (int k = 0; marked[g] && k < c.Groups()[g].entryCount; ++k) {
                const int row = list->RowOfItemData(c.Groups()[g].firstEntry + k);
                list->selectionModel()->select(
                    list->model()->index(row, 0),
                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
            }
        }
    }

    QAction* MenuAction(QMenu& menu, const char* name) { return menu.findChild<QAction*>(name); }

  public:
    static void initMain() { test::PrepareApplication(); }

  private slots:
    void initTestCase() {
        qputenv("TZ", "JST-9");
        QVERIFY(home_.isValid());
        QVERIFY(QDir::setCurrent(home_.path()));  // the settings file lives here
    }

    void init() {
        card_ = std::make_unique<test::TempDir>();
        dlg_ = std::make_unique<Window>();
        dlg_->InitDialog(true);
        shown_.clear();
        answers_.clear();
        dlg_->messageBox = [this](QMessageBox::Icon icon, const QString& caption,
                                  const QString& text, QMessageBox::StandardButtons buttons) {
            shown_.append({icon, caption, text, buttons});
            return answers_.isEmpty() ? QMessageBox::Ok : answers_.takeFirst();
        };
        dlg_->pickFolder = [](QWidget*, const QString&) -> QString {
            QTest::qFail("no folder should be asked for", __FILE__, __LINE__);
            return {};
        };
    }

    void cleanup() { dlg_.reset(); }

    void emptyListStopsEveryCommand_data() {
        QTest::addColumn<int>("button");
        QTest::newRow("DEL") << int(IDC_DEL);
        QTest::newRow("LOCK") << int(IDC_LOCK);
        QTest::newRow("SAVE") << int(IDC_SAVE);
        QTest::newRow("KML") << int(IDC_KML);
    }
    void emptyListStopsEveryCommand() {
        QFETCH(int, button);
        // The hidden buttons still reach their handlers.
        QVERIFY(dlg_->Button(button)->isHidden());
        dlg_->Button(button)->click();
        QCOMPARE(shown_.size(), 1);
        QCOMPARE(shown_[0].caption, Ui(145));
        QCOMPARE(shown_[0].text, Ui(136));
        QCOMPARE(shown_[0].text, QString("No files in list."));
        QCOMPARE(shown_[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }

    void nothingSelectedIsReported_data() {
        QTest::addColumn<Command>("command");
        QTest::addColumn<int>("questions");  // boxes shown before the report
        QTest::newRow("DEL") << Command(&CLumDlg::OnDelete) << 0;
        QTest::newRow("LOCK") << Command(&CLumDlg::OnUnlock) << 0;
        QTest::newRow("SAVE") << Command(&CLumDlg::OnSaveAs) << 0;
    }
    void nothingSelectedIsReported() {
        QFETCH(Command, command);
        QFETCH(int, questions);
        LoadCard();
        test::TempDir target;
        dlg_->pickFolder = [&](QWidget*, const QString&) {
            return QString::fromStdString(target.path().string());
        };
        (dlg_.get()->*command)();
        QCOMPARE(shown_.size(), questions + 1);
        QCOMPARE(shown_.last().caption, Ui(144));
        QCOMPARE(shown_.last().text, Ui(135));
        QCOMPARE(shown_.last().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(dlg_->Catalogue().Entries().size(), std::size_t{3});
        QVERIFY(fs::is_empty(target.path()));
        QVERIFY(fs::exists(Card("EMEG140101-130000.MP4")));
    }

    void deleteAsksThenRemovesTheSelectedGroup_data() {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<int>("left");
        QTest::newRow("OK") << QMessageBox::Ok << 1;
        QTest::newRow("Cancel") << QMessageBox::Cancel << 3;
    }
    void deleteAsksThenRemovesTheSelectedGroup() {
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(int, left);
        LoadCard();
        dlg_->Playback().StartRecording(0);
        QVERIFY(dlg_->Player().Playing());
        SelectGroups({true, false});
        answers_ = {answer};
        // The question names how many recordings and how much they hold.
        const auto bytes = static_cast<qint64>(fs::file_size(Card("DCIM/FILE140101-120000.MP4")) +
                                               fs::file_size(Card("DCIM/FILE140101-120100.MP4")));
        dlg_->OnDelete();
        // The engine lets go of the file before the question.
        QVERIFY(!dlg_->Player().Playing());
        QCOMPARE(shown_[0].caption, Ui(128));
        QCOMPARE(shown_[0].text, Ui(238).arg(2).arg(QLocale().formattedDataSize(
                                     bytes, 1, QLocale::DataSizeTraditionalFormat)));
        QCOMPARE(shown_[0].buttons, QMessageBox::Ok | QMessageBox::Cancel);
        const bool kept = answer != QMessageBox::Ok;
        QCOMPARE(shown_.size(), kept ? 1 : 2);
        if (!kept) {
            QCOMPARE(shown_[1].icon, QMessageBox::Information);
            QCOMPARE(shown_[1].text, Ui(239).arg(2).arg(2));
        }
        QCOMPARE(fs::exists(Card("DCIM/FILE140101-120000.MP4")), kept);
        QCOMPARE(fs::exists(Card("DCIM/FILE140101-120100.MP4")), kept);
        QVERIFY(fs::exists(Card("EMEG140101-130000.MP4")));
        QCOMPARE(dlg_->Catalogue().Entries().size(), std::size_t(left));
        QCOMPARE(dlg_->FileList()->RowCount(), left);
        QCOMPARE(dlg_->Catalogue().Groups().size(), std::size_t(kept ? 2 : 1));
    }

    void unlockRenamesANameLockedRecording() {
        LoadCard();
        SelectGroups({false, true});
        dlg_->OnUnlock();
        QCOMPARE(shown_.size(), 1);
        QCOMPARE(shown_[0].text, Ui(240).arg(1).arg(1));
        QVERIFY(!fs::exists(Card("EMEG140101-130000.MP4")));
        QVERIFY(fs::exists(Card("EME_140101-130000.MP4")));
        QCOMPARE(dlg_->Catalogue().Entries()[2].fileName, std::string("EME_140101-130000.MP4"));
        QCOMPARE(dlg_->Catalogue().Entries()[2].flags & EntryFlagNameLocked, 0);
        // The unselected group keeps its names.
        QVERIFY(fs::exists(Card("DCIM/FILE140101-120000.MP4")));
        QCOMPARE(dlg_->FileList()->RowCount(), 3);
    }

    void saveCopiesKeepingFoldersAndAsksBeforeOverwriting_data() {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::newRow("overwrite") << QMessageBox::Ok;
        QTest::newRow("skip") << QMessageBox::Cancel;
    }
    void saveCopiesKeepingFoldersAndAsksBeforeOverwriting() {
        QFETCH(QMessageBox::StandardButton, answer);
        LoadCard();
        dlg_->Playback().StartRecording(0);
        test::TempDir target;
        test::WriteFile(target.path() / "DCIM" / "FILE140101-120100.MP4", test::Text("older"));
        QString title;
        dlg_->pickFolder = [&](QWidget*, const QString& t) {
            title = t;
            return QString::fromStdString(target.path().string());
        };
        SelectGroups({true, true});
        answers_ = {answer};
        dlg_->OnSaveAs();

        QVERIFY(!dlg_->Player().Playing());
        QCOMPARE(title, Ui(130));
        const fs::path existing = target.path() / "DCIM" / "FILE140101-120100.MP4";
        QCOMPARE(shown_.size(), 2);
        QCOMPARE(shown_[0].caption, Ui(140));
        QVERIFY(shown_[0].text.contains(QString::fromStdString(existing.string())));
        QCOMPARE(shown_[0].buttons, QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(shown_[1].text, Ui(241)
                                     .arg(answer == QMessageBox::Ok ? 3 : 2)
                                     .arg(3)
                                     .arg(QString::fromStdString(target.path().string())));

        QCOMPARE(Read(target.path() / "DCIM" / "FILE140101-120000.MP4"),
                 Read(Card("DCIM/FILE140101-120000.MP4")));
        QCOMPARE(Read(target.path() / "EMEG140101-130000.MP4"),
                 Read(Card("EMEG140101-130000.MP4")));
        QCOMPARE(Read(existing), answer == QMessageBox::Ok
                                     ? Read(Card("DCIM/FILE140101-120100.MP4"))
                                     : std::string("older"));
        // A skipped file still counts towards the progress.
        QCOMPARE(dlg_->progress,
                 QStringList({"shown 0 0 %", "shown 33 33 %", "shown 66 66 %", "shown 100 100 %"}));
        QVERIFY(dlg_->Control(IDC_STATUS_BOARD)->isHidden());
    }

    void saveReportsTheFilesNotCopied() {
        LoadCard();
        test::TempDir target;
        dlg_->pickFolder = [&](QWidget*, const QString&) {
            return QString::fromStdString(target.path().string());
        };
        // The recording vanishes between the scan and the copy.
        const fs::path gone = Card("DCIM/FILE140101-120100.MP4");
        fs::remove(gone);
        SelectGroups({true, false});
        dlg_->OnSaveAs();
        QVERIFY(fs::exists(target.path() / "DCIM" / "FILE140101-120000.MP4"));
        QCOMPARE(shown_.size(), 1);
        QCOMPARE(shown_[0].icon, QMessageBox::Warning);
        QVERIFY(shown_[0].text.contains(QString::fromStdString(gone.string())));
        QVERIFY(!shown_[0].text.contains("FILE140101-120000"));
    }

    void saveNeedsAnExistingFolder_data() {
        QTest::addColumn<QString>("picked");
        QTest::addColumn<bool>("warned");
        QTest::newRow("cancelled") << QString() << false;
        QTest::newRow("a file") << "DCIM/FILE140101-120000.MP4" << true;
        QTest::newRow("missing") << "NOWHERE" << true;
    }
    void saveNeedsAnExistingFolder() {
        QFETCH(QString, picked);
        QFETCH(bool, warned);
        LoadCard();
        dlg_->pickFolder = [&](QWidget*, const QString&) {
            return picked.isEmpty() ? QString()
                                    : QString::fromStdString(Card(qPrintable(picked)).string());
        };
        SelectGroups({true, true});
        dlg_->OnSaveAs();
        QCOMPARE(shown_.size(), warned ? 1 : 0);
        if (warned) {
            QCOMPARE(shown_[0].icon, QMessageBox::Warning);
            QCOMPARE(shown_[0].caption, Ui(131));
            QCOMPARE(shown_[0].text, Ui(132));
            QCOMPARE(shown_[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        }
        QVERIFY(dlg_->progress.isEmpty());
        QVERIFY(!fs::exists(Card("NOWHERE")));
    }

    void listMenuActsOnTheRowsSelectedWithCtrl() {
        LoadCard();
        CLumFileListCtrl* list = dlg_->FileList();
        dlg_->show();
        QVERIFY(QTest::qWaitForWindowExposed(dlg_.get()));
        {
            // Nothing selected: every command is there, none can be chosen.
            list->clearSelection();
            const std::unique_ptr<QMenu> menu = dlg_->MakeListMenu();
            for (const char* name :
                 {"play", "export-gpx", "evidence", "save", "unlock", "delete", "show"}) {
                QVERIFY2(
                    MenuAction(*menu, name) != nullptr && !MenuAction(*menu, name)->isEnabled(),
                    name);
            }
        }
        // A click and a Ctrl-click select the first DCIM recording and the locked one.
        const auto click = [&](int entry, Qt::KeyboardModifiers modifiers) {
            const QRect r = list->visualItemRect(list->topLevelItem(list->RowOfItemData(entry)));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, r.center());
        };
        click(0, Qt::NoModifier);
        click(2, Qt::ControlModifier);
        QCOMPARE(dlg_->SelectedEntries(), (std::vector<int>{0, 2}));

        test::TempDir out;
        QStringList titles;
        dlg_->pickFolder = [&](QWidget*, const QString& title) {
            titles << title;
            return QString::fromStdString(out.path().string());
        };
        const auto run = [&](const char* name) {
            const std::unique_ptr<QMenu> menu = dlg_->MakeListMenu();
            QAction* action = MenuAction(*menu, name);
            QVERIFY2(action != nullptr && action->isEnabled(), name);
            action->trigger();
        };
        // Tracks: one file per selected recording, through the same writers as lumtool.
        run("export-gpx");
        run("export-csv");
        QVERIFY(Read(out.path() / "FILE140101-120000.gpx").starts_with("<?xml"));
        QVERIFY(fs::exists(out.path() / "EMEG140101-130000.gpx"));
        QVERIFY(fs::exists(out.path() / "EMEG140101-130000.csv"));
        QVERIFY(!fs::exists(out.path() / "FILE140101-120100.gpx"));
        QCOMPARE(titles.first(), Ui(245));
        QCOMPARE(shown_.last().text,
                 Ui(242).arg(2).arg(2).arg(QString::fromStdString(out.path().string())));

        // Copies keep the card's folders.
        run("save");
        QCOMPARE(Read(out.path() / "DCIM" / "FILE140101-120000.MP4"),
                 Read(Card("DCIM/FILE140101-120000.MP4")));
        QVERIFY(fs::exists(out.path() / "EMEG140101-130000.MP4"));
        QVERIFY(!fs::exists(out.path() / "DCIM" / "FILE140101-120100.MP4"));

        // The folder of the first selected recording goes to the file manager.
        QUrl opened;
        dlg_->openUrl = [&](const QUrl& url) {
            opened = url;
            return true;
        };
        run("show");
        QCOMPARE(opened, QUrl::fromLocalFile(QString::fromStdString(Card("DCIM").string())));

        // Play starts the first selected row, as a double-click would.
        run("play");
        QTRY_COMPARE(dlg_->Playback().Current(), 0);

        run("unlock");
        QVERIFY(fs::exists(Card("EME_140101-130000.MP4")));
        QCOMPARE(dlg_->FileList()->RowCount(), 3);

        // Delete stops the recording that plays, asks, and removes both.
        shown_.clear();
        answers_ = {QMessageBox::Ok};
        click(0, Qt::NoModifier);
        click(2, Qt::ControlModifier);
        run("delete");
        QVERIFY(!dlg_->Player().Playing());
        QCOMPARE(shown_.size(), 2);
        QCOMPARE(shown_[0].caption, Ui(128));
        QVERIFY(!fs::exists(Card("DCIM/FILE140101-120000.MP4")));
        QVERIFY(!fs::exists(Card("EME_140101-130000.MP4")));
        QVERIFY(fs::exists(Card("DCIM/FILE140101-120100.MP4")));
        QCOMPARE(dlg_->Catalogue().Entries().size(), std::size_t{1});
        QCOMPARE(list->RowCount(), 1);
    }

    // One folder per selected recording, the snapshot only in the one being played.
    void evidenceFoldersWithTheSnapshotOfThePlayingRecording() {
        LoadCard();
        dlg_->Playback().StartRecording(0);
        QCOMPARE(dlg_->Playback().Current(), 0);
        test::TempDir out;
        QString title;
        dlg_->pickFolder = [&](QWidget*, const QString& t) {
            title = t;
            return QString::fromStdString(out.path().string());
        };
        SelectGroups({true, false});
        const std::unique_ptr<QMenu> menu = dlg_->MakeListMenu();
        QAction* action = MenuAction(*menu, "evidence");
        QVERIFY(action != nullptr && action->isEnabled());
        QCOMPARE(action->text(), Ui(275));
        action->trigger();

        QCOMPARE(title, Ui(276));
        QCOMPARE(shown_.size(), 1);
        QCOMPARE(shown_[0].icon, QMessageBox::Information);
        QCOMPARE(shown_[0].text,
                 Ui(279).arg(2).arg(2).arg(QString::fromStdString(out.path().string())));
        std::vector<std::string> made;
        for (const fs::directory_entry& e : fs::directory_iterator(out.path())) {
            made.push_back(e.path().filename().string());
        }
        std::sort(made.begin(), made.end());
        QCOMPARE(made, (std::vector<std::string>{"FILE140101-120000", "FILE140101-120100"}));
        const fs::path played = out.path() / "FILE140101-120000";
        QCOMPARE(Read(played / "FILE140101-120000.MP4"), Read(Card("DCIM/FILE140101-120000.MP4")));
        QVERIFY(!fs::exists(out.path() / "FILE140101-120100" / "snapshot.png"));
        // The picture, with a band under it for the moment it shows.
        const QImage snapshot(QString::fromStdString((played / "snapshot.png").string()));
        QCOMPARE(snapshot.width(), 64);
        QVERIFY(snapshot.height() > 48);
        QCOMPARE(snapshot.pixelColor(10, 10), QColor(Qt::red));
        QVERIFY(Read(played / "manifest.json").find("snapshot.png") != std::string::npos);
    }

    void evidenceIsNeverWrittenOnTheCard_data() {
        QTest::addColumn<QString>("picked");
        QTest::newRow("the card") << QString();
        QTest::newRow("a folder of it") << "DCIM";
    }
    void evidenceIsNeverWrittenOnTheCard() {
        QFETCH(QString, picked);
        LoadCard();
        dlg_->pickFolder = [&](QWidget*, const QString&) {
            return QString::fromStdString(
                (picked.isEmpty() ? card_->path() : Card(qPrintable(picked))).string());
        };
        SelectGroups({true, true});
        const auto before = std::distance(fs::recursive_directory_iterator(card_->path()),
                                          fs::recursive_directory_iterator());
        dlg_->OnExportEvidence();
        QCOMPARE(shown_.size(), 1);
        QCOMPARE(shown_[0].icon, QMessageBox::Warning);
        QCOMPARE(shown_[0].text, Ui(277).arg(QString::fromStdString(card_->path().string())));
        QCOMPARE(std::distance(fs::recursive_directory_iterator(card_->path()),
                               fs::recursive_directory_iterator()),
                 before);
    }

    // A recording gone between the scan and the export: the ones before it are kept,
    // its own folder is not left half-written, and the report names it.
    void aFailedEvidenceExportLeavesNoPartialFolder() {
        LoadCard();
        test::TempDir out;
        dlg_->pickFolder = [&](QWidget*, const QString&) {
            return QString::fromStdString(out.path().string());
        };
        fs::remove(Card("DCIM/FILE140101-120100.MP4"));
        SelectGroups({true, false});
        dlg_->OnExportEvidence();
        QCOMPARE(shown_.size(), 1);
        QCOMPARE(shown_[0].icon, QMessageBox::Warning);
        QVERIFY2(shown_[0].text.startsWith(Ui(281).arg("FILE140101-120100.MP4", Ui(283))),
                 qPrintable(shown_[0].text));
        QVERIFY(shown_[0].text.endsWith(
            Ui(279).arg(1).arg(2).arg(QString::fromStdString(out.path().string()))));
        std::vector<std::string> left;
        for (const fs::directory_entry& e : fs::directory_iterator(out.path())) {
            left.push_back(e.path().filename().string());
        }
        QCOMPARE(left, std::vector<std::string>{"FILE140101-120000"});
    }

    void cancelledEvidenceExportStopsBeforeTheNextRecording() {
        LoadCard();
        test::TempDir out;
        dlg_->pickFolder = [&](QWidget*, const QString&) {
            return QString::fromStdString(out.path().string());
        };
        // Cancel is pressed before the first recording is taken up.
        dlg_->onEvidenceProgress = [](QProgressDialog& progress) {
            QPushButton* cancel = progress.findChild<QPushButton*>();
            QVERIFY(cancel != nullptr);
            cancel->click();
        };
        SelectGroups({true, true});
        dlg_->OnExportEvidence();
        QCOMPARE(shown_.size(), 1);
        QCOMPARE(shown_[0].text,
                 Ui(280).arg(0).arg(3).arg(QString::fromStdString(out.path().string())));
        QVERIFY(fs::is_empty(out.path()));
    }

    void aRecordingThatCannotBeDeletedIsReportedAndKept() {
        LoadCard();
        const fs::path dcim = Card("DCIM");
        fs::permissions(dcim,
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
        const fs::path probe = dcim / "probe";
        const bool enforced = !std::ofstream(probe).good();
        fs::remove(probe);
        if (!enforced) {
            fs::permissions(dcim, fs::perms::owner_write, fs::perm_options::add);
            QSKIP("this user writes into read-only folders (the unprivileged run covers it)");
        }
        SelectGroups({true, true});
        answers_ = {QMessageBox::Ok};
        dlg_->OnDelete();
        fs::permissions(dcim, fs::perms::owner_write, fs::perm_options::add);
        QCOMPARE(shown_.size(), 2);
        QCOMPARE(shown_[1].icon, QMessageBox::Warning);
        QVERIFY(shown_[1].text.startsWith(Ui(239).arg(1).arg(3)));
        for (const char* kept : {"DCIM/FILE140101-120000.MP4", "DCIM/FILE140101-120100.MP4"}) {
            QVERIFY(fs::exists(Card(kept)));
            QVERIFY2(shown_[1].text.contains(QString::fromStdString(Card(kept).string())), kept);
        }
        QVERIFY(!fs::exists(Card("EMEG140101-130000.MP4")));
        QCOMPARE(dlg_->FileList()->RowCount(), 2);
    }

    void kmlExportWritesBelowTheDocumentsFolder() {
        LoadCard();
        test::TempDir documents;
        dlg_->documentsFolder = QString::fromStdString(documents.path().string());
        dlg_->Playback().LoadRecording(0);
        dlg_->Button(IDC_KML)->click();
        const fs::path written =
            documents.path() / "LUM" / "KML" / "FILE140101-120000_2014_01_01_12-00-00.KML";
        QVERIFY(fs::exists(written));
        QVERIFY(Read(written).starts_with("<?xml"));
        QCOMPARE(shown_.size(), 1);
        QCOMPARE(shown_[0].caption, Ui(127));
        QCOMPARE(shown_[0].text, Ui(125).replace("%s", QString::fromStdString(written.string())));
        QCOMPARE(shown_[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }

    void kmlExportFailure_data() {
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<bool>("documentsIsAFile");
        QTest::newRow("no current recording") << false << false;
        QTest::newRow("documents folder unusable") << true << true;
    }
    void kmlExportFailure() {
        QFETCH(bool, loaded);
        QFETCH(bool, documentsIsAFile);
        LoadCard();
        test::TempDir documents;
        fs::path folder = documents.path();
        if (documentsIsAFile) {
            folder /= "file";
            test::WriteFile(folder, test::Text("not a folder"));
        }
        dlg_->documentsFolder = QString::fromStdString(folder.string());
        if (loaded) {
            dlg_->Playback().LoadRecording(0);
        }
        dlg_->OnExportKml();
        QCOMPARE(shown_.size(), 1);
        QCOMPARE(shown_[0].caption, Ui(127));
        QCOMPARE(shown_[0].text, QString("Save KML file: Failed."));
        const fs::path kml = documents.path() / "LUM" / "KML";
        QVERIFY(!fs::exists(kml) || fs::is_empty(kml));
    }
};

QTEST_MAIN(FileCommandsTest)
#include "FileCommandsTest.moc"
