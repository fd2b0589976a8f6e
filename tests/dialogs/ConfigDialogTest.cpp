// The configuration dialog offscreen: what each button writes to the settings file, in
// which order it tells the main window, and its own texts following the language.
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>
#include <fstream>
#include <memory>

#include "dialogs/CTesConfigDlg.h"
#include "dialogs/DialogUnits.h"
#include "dialogs/QtTranslations.h"
#include "settings/StringTables.h"
#include "tests/support/TextFits.h"

using namespace lum;
using D = CTesConfigDlg;

namespace {

template <class T>
T* Control(const QWidget& dialog, int id) {
    return qobject_cast<T*>(FindControl(&dialog, id));
}

QString Japanese(int id) {
    const std::string_view text = FindUiString(kLangIdJapanese, id);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

struct Texts {
    QString title, ok, cancel, mapApply, languageApply, mapGroup, languageGroup;
    friend bool operator==(const Texts&, const Texts&) = default;
};

Texts TextsOf(const QDialog& dialog) {
    return {dialog.windowTitle(),
            Control<QPushButton>(dialog, kIdOk)->text(),
            Control<QPushButton>(dialog, kIdCancel)->text(),
            Control<QPushButton>(dialog, D::kIdMapApply)->text(),
            Control<QPushButton>(dialog, D::kIdLanguageApply)->text(),
            Control<QGroupBox>(dialog, D::kIdMapGroup)->title(),
            Control<QGroupBox>(dialog, D::kIdLanguageGroup)->title()};
}

const Texts kEnglish{"Config", "OK", "Cancel", "Apply", "Apply", "Select map", "Select language"};

char* toString(const Texts& t) {
    return QTest::toString(QStringList{t.title, t.ok, t.cancel, t.mapApply, t.languageApply,
                                       t.mapGroup, t.languageGroup}
                               .join(" | "));
}

}  // namespace

class ConfigDialogTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString Ini() const { return dir_.filePath("Lum.ini"); }
    void WriteIni(const char* text) const {
        std::ofstream(Ini().toStdString(), std::ios::binary | std::ios::trunc) << text;
    }
    // The file as the next start would read it.
    std::string Stored(const char* key) const {
        return CLumSettings(dir_.path().toStdString()).ReadTextSetting("UI", key, "<none>");
    }
    std::unique_ptr<CLumSettings> Settings() const {
        return std::make_unique<CLumSettings>(dir_.path().toStdString());
    }
    // The main window's messages as it would see them, in order.
    static void Record(D& dialog, QStringList& log) {
        QObject::connect(&dialog, &D::MapKindChanged, &dialog, [&log] { log << "0xc0b"; });
        QObject::connect(&dialog, &D::LanguageChanged, &dialog,
                         [&log](int index) { log << QString("0xc02 %1").arg(index); });
    }

  private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }
    void init() { QFile::remove(Ini()); }

    void opensWithTheStoredLanguageAndTheOnlyMap_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<int>("language");
        QTest::newRow("no LANGID: English") << QByteArray("[UI]\n") << 0;
        QTest::newRow("JPN") << QByteArray("[UI]\nLANGID=JPN\n") << 1;
        QTest::newRow("MAP 1 still shows the only map") << QByteArray("[UI]\nMAP=1\n") << 0;
    }
    void opensWithTheStoredLanguageAndTheOnlyMap() {
        QFETCH(QByteArray, ini);
        QFETCH(int, language);
        WriteIni(ini.constData());
        auto settings = Settings();
        D dialog(*settings);
        QCOMPARE(dialog.size(), QSize(426, 182));
        auto* languages = Control<QComboBox>(dialog, D::kIdLanguageCombo);
        QCOMPARE(languages->count(), 2);
        QCOMPARE(languages->itemText(0), QString("English"));
        QCOMPARE(languages->itemText(1), QString("日本語"));
        QCOMPARE(languages->currentIndex(), language);
        QVERIFY(languages->isEditable());
        auto* maps = Control<QComboBox>(dialog, D::kIdMapCombo);
        QCOMPARE(maps->count(), 1);
        QCOMPARE(maps->currentIndex(), 0);
        // The map shown is OpenStreetMap's, whatever the language.
        QCOMPARE(maps->itemText(0), QString("OpenStreetMap"));
        if (language == 0) {
            QCOMPARE(TextsOf(dialog), kEnglish);
        } else {
            QCOMPARE(dialog.windowTitle(), Japanese(110));
        }
        // Opening writes nothing.
        QCOMPARE(Stored("LANGID"), std::string(language == 1 ? "JPN" : "<none>"));
    }

    void textsFitTheirControls_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::newRow("English") << QByteArray("[UI]\nLANGID=ENG\n");
        QTest::newRow("Japanese") << QByteArray("[UI]\nLANGID=JPN\n");
    }
    void textsFitTheirControls() {
        QFETCH(QByteArray, ini);
        WriteIni(ini.constData());
        auto settings = Settings();
        D dialog(*settings);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QStringList misfits = test::TextsThatDoNotFit(dialog);
        QVERIFY2(misfits.isEmpty(), qPrintable(misfits.join("; ")));
    }

    // Qt's own buttons and pickers follow the interface language, and switch back.
    void qtTextsFollowTheLanguage() {
        const auto cancelButton = [] {
            QMessageBox box(QMessageBox::Warning, "", "", QMessageBox::Ok | QMessageBox::Cancel);
            return box.button(QMessageBox::Cancel)->text();
        };
        const auto pickerLabel = [] { return QFileDialog::tr("Directory:"); };
        QCOMPARE(cancelButton(), QString("Cancel"));
        ApplyQtTranslations(kLangIdJapanese);
        ApplyQtTranslations(kLangIdJapanese);  // replaces, never stacks
        QCOMPARE(cancelButton(), QString("キャンセル"));
        QCOMPARE(pickerLabel(), QString("ディレクトリ:"));
        QCOMPARE(qApp->findChildren<QTranslator*>().size(), 1);
        ApplyQtTranslations(kLangIdEnglish);
        QCOMPARE(cancelButton(), QString("Cancel"));
        QCOMPARE(pickerLabel(), QString("Directory:"));
        QVERIFY(qApp->findChildren<QTranslator*>().isEmpty());
    }

    void languageApplySwitchesAtOnceAndCancelKeepsIt() {
        auto settings = Settings();
        D dialog(*settings);
        QStringList log;
        Record(dialog, log);
        Control<QComboBox>(dialog, D::kIdLanguageCombo)->setCurrentIndex(kLanguageJapanese);
        Control<QPushButton>(dialog, D::kIdLanguageApply)->click();
        QCOMPARE(Stored("LANGID"), std::string("JPN"));
        QCOMPARE(settings->LanguageIndex(), kLanguageJapanese);
        QCOMPARE(log, QStringList{"0xc02 1"});
        const Texts japanese{Japanese(110), Japanese(107), Japanese(108), Japanese(109),
                             Japanese(109), Japanese(115), Japanese(114)};
        QCOMPARE(TextsOf(dialog), japanese);
        QVERIFY(japanese.title != kEnglish.title);
        QCOMPARE(Control<QComboBox>(dialog, D::kIdMapCombo)->currentIndex(), 0);
        // Only the language Apply ran: the map option was not written.
        QCOMPARE(Stored("MAP"), std::string("<none>"));

        Control<QPushButton>(dialog, kIdCancel)->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(Stored("LANGID"), std::string("JPN"));
        QCOMPARE(log, QStringList{"0xc02 1"});
    }

    void typedLanguageChangesNothingButStillTellsTheMainWindow() {
        WriteIni("[UI]\nLANGID=ENG\n");
        auto settings = Settings();
        D dialog(*settings);
        QStringList log;
        Record(dialog, log);
        auto* languages = Control<QComboBox>(dialog, D::kIdLanguageCombo);
        languages->setEditText("Deutsch");
        QCOMPARE(D::Selection(languages), -1);
        Control<QPushButton>(dialog, D::kIdLanguageApply)->click();
        QCOMPARE(log, QStringList{"0xc02 -1"});
        QCOMPARE(settings->LanguageIndex(), kLanguageEnglish);
        QCOMPARE(TextsOf(dialog), kEnglish);

        Control<QPushButton>(dialog, kIdOk)->click();
        QCOMPARE(log, (QStringList{"0xc02 -1", "0xc0b", "0xc02 -1"}));
        QCOMPARE(Stored("LANGID"), std::string("ENG"));
        QCOMPARE(Stored("MAP"), std::string("0"));
    }

    void mapApplyWritesZero() {
        WriteIni("[UI]\nMAP=1\n");
        auto settings = Settings();
        D dialog(*settings);
        QCOMPARE(settings->MapOption(), 1);
        QStringList log;
        Record(dialog, log);
        Control<QPushButton>(dialog, D::kIdMapApply)->click();
        QCOMPARE(log, QStringList{"0xc0b"});
        QCOMPARE(Stored("MAP"), std::string("0"));
        QCOMPARE(settings->MapOption(), 0);
        QCOMPARE(dialog.MapChoice(), 0);
        QCOMPARE(Stored("LANGID"), std::string("<none>"));
    }

    void okWritesBothThenTellsMapBeforeLanguage_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<int>("pick");
        QTest::addColumn<QString>("langId");
        QTest::addColumn<QString>("title");
        QTest::newRow("untouched: MAP 0 and the current code again")
            << QByteArray("[UI]\nMAP=1\n") << -2 << "ENG"
            << "Config";
        QTest::newRow("Japanese picked")
            << QByteArray("[UI]\nLANGID=ENG\n") << 1 << "JPN" << Japanese(110);
        QTest::newRow("English picked") << QByteArray("[UI]\nLANGID=JPN\n") << 0 << "ENG"
                                        << "Config";
    }
    void okWritesBothThenTellsMapBeforeLanguage() {
        QFETCH(QByteArray, ini);
        QFETCH(int, pick);
        QFETCH(QString, langId);
        QFETCH(QString, title);
        WriteIni(ini.constData());
        auto settings = Settings();
        D dialog(*settings);
        QStringList log;
        Record(dialog, log);
        auto* languages = Control<QComboBox>(dialog, D::kIdLanguageCombo);
        if (pick >= 0) {
            languages->setCurrentIndex(pick);
        }
        const int index = languages->currentIndex();
        Control<QPushButton>(dialog, kIdOk)->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(log, (QStringList{"0xc0b", QString("0xc02 %1").arg(index)}));
        QCOMPARE(Stored("MAP"), std::string("0"));
        QCOMPARE(QString::fromStdString(Stored("LANGID")), langId);
        QCOMPARE(dialog.MapChoice(), 0);
        QCOMPARE(settings->MapOption(), 0);
        QCOMPARE(dialog.windowTitle(), title);
        QCOMPARE(Control<QComboBox>(dialog, D::kIdMapCombo)->currentIndex(), 0);

        // The next start reads the file again and shows what was chosen.
        auto restarted = Settings();
        D again(*restarted);
        QCOMPARE(Control<QComboBox>(again, D::kIdLanguageCombo)->currentIndex(), index);
        QCOMPARE(Control<QComboBox>(again, D::kIdMapCombo)->currentIndex(), 0);
        QCOMPARE(again.windowTitle(), title);
    }

    void cancelWritesNothing() {
        WriteIni("[UI]\nMAP=1\n");
        auto settings = Settings();
        D dialog(*settings);
        QStringList log;
        Record(dialog, log);
        Control<QComboBox>(dialog, D::kIdLanguageCombo)->setCurrentIndex(kLanguageJapanese);
        Control<QPushButton>(dialog, kIdCancel)->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(log.isEmpty());
        QCOMPARE(Stored("MAP"), std::string("1"));
        QCOMPARE(Stored("LANGID"), std::string("<none>"));
        QCOMPARE(settings->LanguageIndex(), kLanguageEnglish);
    }
};

QTEST_MAIN(ConfigDialogTest)
#include "ConfigDialogTest.moc"
