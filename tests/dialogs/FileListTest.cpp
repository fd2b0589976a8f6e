// The recording list offscreen: set-up, cell texts, header-click sorting with its marks,
// double-clicks after sorting, re-labelling and the current recording's highlight.
#include <QHeaderView>
#include <QSignalSpy>
#include <QStyleOptionHeader>
#include <QTemporaryDir>
#include <QtTest>
#include <limits>

#include "catalogue/RecordingCatalogue.h"
#include "dialogs/CLumFileListCtrl.h"
#include "dialogs/DialogUnits.h"
#include "tests/support/TimeZone.h"

using namespace lum;
using Mark = CLumFileListCtrl::SortMark;

namespace {

constexpr std::uint64_t kMB = 1048576;

struct Row {
    int entryIndex;
    const char* fileName;
    std::uint64_t fileSize;
    std::uint8_t flags = 0;
    std::uint8_t hasSideText = 0;
    std::int64_t startTime = 0;
};

void Fill(CLumFileListCtrl& list, std::initializer_list<Row> rows) {
    for (const Row& r : rows) {
        QCOMPARE(list.AddRow(r.entryIndex, "/card/DCIM", r.fileName, r.fileSize, r.flags,
                             r.hasSideText, r.startTime),
                 1);
    }
}

QStringList Column(const CLumFileListCtrl& list, int column) {
    QStringList texts;
    for (int row = 0; row < list.RowCount(); ++row) {
        texts << list.topLevelItem(row)->text(column);
    }
    return texts;
}

QList<int> ItemData(const CLumFileListCtrl& list) {
    QList<int> data;
    for (int row = 0; row < list.RowCount(); ++row) {
        data << list.ItemDataOf(row);
    }
    return data;
}

QList<Mark> Marks(const CLumFileListCtrl& list) {
    return {list.HeaderSortMark(0), list.HeaderSortMark(1), list.HeaderSortMark(2)};
}

void ClickHeader(CLumFileListCtrl& list, int column) {
    QHeaderView* header = list.header();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

}  // namespace

class FileListTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    std::unique_ptr<CLumSettings> Settings() {
        return std::make_unique<CLumSettings>(dir_.path().toStdString());
    }

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        test::SetTimeZone("JST-9");
    }
    void init() { QFile::remove(dir_.filePath("Lum.ini")); }

    void setUpGivesColumnsWidthsAndTheStartMark_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<QList<int>>("widths");
        QTest::newRow("400") << 400 << QList<int>{220, 88, 64};
        QTest::newRow("333 truncates") << 333 << QList<int>{183, 73, 53};
        QTest::newRow("99") << 99 << QList<int>{54, 21, 15};
    }
    void setUpGivesColumnsWidthsAndTheStartMark() {
        QFETCH(int, width);
        QFETCH(QList<int>, widths);
        auto settings = Settings();
        CLumFileListCtrl list(*settings);
        list.resize(width, 200);
        list.SetUp();
        QCOMPARE(ControlIdOf(&list), CLumFileListCtrl::kControlId);
        QCOMPARE(list.columnCount(), 3);
        const QTreeWidgetItem* header = list.headerItem();
        QCOMPARE((QStringList{header->text(0), header->text(1), header->text(2)}),
                 (QStringList{"File Name", "Video Type", "File Size"}));
        QCOMPARE((QList<int>{list.columnWidth(0), list.columnWidth(1), list.columnWidth(2)}),
                 widths);
        QCOMPARE(Marks(list), (QList<Mark>{Mark::Down, Mark::None, Mark::None}));
        QCOMPARE(list.SortColumn(), 0);
        QCOMPARE(list.SortAscending(), false);
        QVERIFY(list.header()->sectionsMovable());
        QCOMPARE(list.palette().color(QPalette::Base), QColor(Qt::black));
        QCOMPARE(list.palette().color(QPalette::Text), QColor(Qt::white));
    }

    void cellTexts_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<qulonglong>("fileSize");
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("hasSideText");
        QTest::addColumn<qlonglong>("startTime");
        QTest::addColumn<QStringList>("cells");
        const qlonglong may17 = test::UtcEpoch(2016, 5, 17, 5, 3, 27);  // 14:03:27 in JST
        const qlonglong unconvertible = std::numeric_limits<qlonglong>::max();
        QTest::newRow("side text prefix, local time")
            << 0 << "S0517001.AVI" << qulonglong(3 * kMB) << 0 << 1 << may17
            << QStringList{"[2016/05/17-14:03.27] S0517001.AVI", "Normal", " 3 MB"};
        QTest::newRow("no side text: name alone")
            << 0 << "FILE160517-140327.MOV" << qulonglong(kMB - 1) << 0 << 0 << may17
            << QStringList{"FILE160517-140327.MOV", "Normal", " 0 MB"};
        QTest::newRow("time the C library cannot convert")
            << 0 << "S0517002.AVI" << qulonglong(0) << 0 << 1 << unconvertible
            << QStringList{"[0/00/00--1:-1.-1] S0517002.AVI", "Normal", " 0 MB"};
        QTest::newRow("5 GiB") << 0 << "EMER160517-140327.MOV" << qulonglong(5ull << 30) << 0 << 0
                               << 0ll
                               << QStringList{"EMER160517-140327.MOV", "Emergency", " 5120 MB"};
        QTest::newRow("manual") << 0 << "MANU160517-140327.MP4" << qulonglong(kMB) << 0 << 0 << 0ll
                                << QStringList{"MANU160517-140327.MP4", "Manual", " 1 MB"};
        QTest::newRow("parking") << 0 << "PARK160517-140327.MP4" << qulonglong(0) << 0 << 0 << 0ll
                                 << QStringList{"PARK160517-140327.MP4", "Parking", " 0 MB"};
        QTest::newRow("event") << 0 << "SOS_0001.MP4" << qulonglong(0) << 0 << 0 << 0ll
                               << QStringList{"SOS_0001.MP4", "Event", " 0 MB"};
        QTest::newRow("locked, no prefix") << 0 << "M0517001.AVI" << qulonglong(0) << 1 << 0 << 0ll
                                           << QStringList{"M0517001.AVI", "Event", " 0 MB"};
        QTest::newRow("Japanese emergency")
            << 1 << "EMER160517-140327.MOV" << qulonglong(12 * kMB) << 0 << 0 << 0ll
            << QStringList{"EMER160517-140327.MOV", "緊急", " 12 MB"};
        QTest::newRow("Japanese manual")
            << 1 << "MANU160517-140327.MP4" << qulonglong(0) << 0 << 0 << 0ll
            << QStringList{"MANU160517-140327.MP4", "手動", " 0 MB"};
        QTest::newRow("Japanese parking")
            << 1 << "PARK160517-140327.MP4" << qulonglong(0) << 0 << 0 << 0ll
            << QStringList{"PARK160517-140327.MP4", "駐車", " 0 MB"};
        QTest::newRow("Japanese normal")
            << 1 << "FILE160517-140327.MP4" << qulonglong(0) << 0 << 0 << 0ll
            << QStringList{"FILE160517-140327.MP4", "通常", " 0 MB"};
        QTest::newRow("Japanese event") << 1 << "SOS_0001.MP4" << qulonglong(0) << 0 << 0 << 0ll
                                        << QStringList{"SOS_0001.MP4", "イベント", " 0 MB"};
        QTest::newRow("Japanese name")
            << 0 << "FILE160517-録画.MP4" << qulonglong(0) << 0 << 0 << 0ll
            << QStringList{"FILE160517-録画.MP4", "Normal", " 0 MB"};
    }
    void cellTexts() {
        QFETCH(int, language);
        QFETCH(QString, fileName);
        QFETCH(qulonglong, fileSize);
        QFETCH(int, flags);
        QFETCH(int, hasSideText);
        QFETCH(qlonglong, startTime);
        QFETCH(QStringList, cells);
        auto settings = Settings();
        settings->SetLanguage(language);
        CLumFileListCtrl list(*settings);
        QCOMPARE(list.AddRow(42, "/card", fileName.toStdString(), fileSize,
                             static_cast<std::uint8_t>(flags),
                             static_cast<std::uint8_t>(hasSideText), startTime),
                 1);
        QCOMPARE(list.RowCount(), 1);
        const QTreeWidgetItem* item = list.topLevelItem(0);
        QCOMPARE((QStringList{item->text(0), item->text(1), item->text(2)}), cells);
        QCOMPARE(list.ItemDataOf(0), 42);
    }

    void comparisonRules_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<int>("result");
        QTest::newRow("name key: date-time part") << 0 << "FILE140102-000000.MOV"
                                                  << "EMER140101-235959.MOV" << 1;
        QTest::newRow("name key ignores the prefix") << 0 << "EMER140101-123456.MOV"
                                                     << "FILE140101-123456.MOV" << 0;
        QTest::newRow("name key ignores what follows 13 characters")
            << 0 << "FILE140101-123456.MOV"
            << "FILE140101-123456.AVI" << 0;
        QTest::newRow("bracket prefix: seconds fall outside the key")
            << 0 << "[2016/05/17-14:03.27] S0517001.AVI"
            << "[2016/05/17-14:03.59] S0517009.AVI" << 0;
        QTest::newRow("bracket prefix: minutes inside the key") << 0 << "[2016/05/17-14:04.00] A"
                                                                << "[2016/05/17-14:03.59] B" << 1;
        QTest::newRow("four characters: empty key") << 0 << "ABCD"
                                                    << "FILEA" << -1;
        QTest::newRow("two empty keys") << 0 << "ABC"
                                        << "WXYZ" << 0;
        QTest::newRow("sizes as text") << 2 << " 12 MB"
                                       << " 3 MB" << -1;
        QTest::newRow("case-sensitive, no locale") << 1 << "event"
                                                   << "Normal" << 1;
        QTest::newRow("whole text on column 1") << 1 << "Normal"
                                                << "Normal " << -1;
        // U+1F600 is 0xD83D 0xDE00 in UTF-16: below U+FF5E by code unit, above by code point.
        QTest::newRow("UTF-16 code units")
            << 1 << QString::fromUtf8("\xF0\x9F\x98\x80") << QString(QChar(0xFF5E)) << -1;
    }
    void comparisonRules() {
        QFETCH(int, column);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(int, result);
        QCOMPARE(CLumFileListCtrl::CompareCells(column, first, second), result);
        QCOMPARE(CLumFileListCtrl::CompareCells(column, second, first), -result);
    }

    void headerClicksSortAndMark() {
        auto settings = Settings();
        CLumFileListCtrl list(*settings);
        list.resize(500, 300);
        list.SetUp();
        Fill(list, {{0, "FILE140101-100000.MOV", 12 * kMB},
                    {1, "FILE140101-090000.MOV", 3 * kMB},
                    {2, "FILE140101-110000.MOV", 100 * kMB}});
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const auto column0 = [&list] {
            QHeaderView* header = list.header();
            return header
                ->grab(QRect(header->sectionViewportPosition(0), 0, header->sectionSize(0),
                             header->height()))
                .toImage();
        };
        const QImage downMark = column0();
        QImage noMark;

        QList<QStringList> orderAtSignal;
        connect(&list, &CLumFileListCtrl::SortList, &list,
                [&] { orderAtSignal << Column(list, 2); });
        QSignalSpy sorts(&list, &CLumFileListCtrl::SortList);

        struct Step {
            int column;
            bool ascending;
            QStringList sizes;
            QList<Mark> marks;
        };
        const QList<Step> steps{
            {2, true, {" 100 MB", " 12 MB", " 3 MB"}, {Mark::None, Mark::None, Mark::Down}},
            {2, false, {" 3 MB", " 12 MB", " 100 MB"}, {Mark::None, Mark::None, Mark::Up}},
            {2, true, {" 100 MB", " 12 MB", " 3 MB"}, {Mark::None, Mark::None, Mark::Down}},
            // A new column starts ascending; column 0 sorts by the name's date-time part.
            {0, true, {" 3 MB", " 12 MB", " 100 MB"}, {Mark::Down, Mark::None, Mark::None}},
            {0, false, {" 100 MB", " 12 MB", " 3 MB"}, {Mark::Up, Mark::None, Mark::None}},
        };
        QStringList before = Column(list, 2);
        for (const Step& step : steps) {
            ClickHeader(list, step.column);
            QCOMPARE(sorts.count(), 1);
            const QList<QVariant> args = sorts.takeFirst();
            QCOMPARE(args.at(0).toInt(), step.column);
            QCOMPARE(args.at(1).toBool(), step.ascending);
            // The main window hears of the click while the rows are still in the old order.
            QCOMPARE(orderAtSignal.takeFirst(), before);
            QCOMPARE(Column(list, 2), step.sizes);
            QCOMPARE(Marks(list), step.marks);
            QCOMPARE(list.SortColumn(), step.column);
            QCOMPARE(list.SortAscending(), !step.ascending);
            before = Column(list, 2);
            if (noMark.isNull()) {
                noMark = column0();
            }
        }
        // Sorting moves whole rows: names, kinds and item data stay together.
        QCOMPARE(ItemData(list), (QList<int>{2, 0, 1}));
        QCOMPARE(Column(list, 0).first(), QString("FILE140101-110000.MOV"));

        // The marks are painted, and differently.
        const QImage upMark = column0();
        QVERIFY(downMark != noMark);
        QVERIFY(upMark != noMark);
        QVERIFY(upMark != downMark);
    }

    void firstClickOnColumnZeroSortsDescending() {
        auto settings = Settings();
        CLumFileListCtrl list(*settings);
        list.resize(500, 300);
        list.SetUp();
        Fill(list, {{0, "FILE140101-090000.MOV", kMB},
                    {1, "FILE140101-100000.MOV", kMB},
                    {2, "ABCD", kMB}});
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QSignalSpy sorts(&list, &CLumFileListCtrl::SortList);
        ClickHeader(list, 0);
        QCOMPARE(sorts.count(), 1);
        QCOMPARE(sorts.first().at(1).toBool(), false);
        QCOMPARE(ItemData(list), (QList<int>{1, 0, 2}));
        QCOMPARE(Marks(list), (QList<Mark>{Mark::Up, Mark::None, Mark::None}));
    }

    void doubleClickPlaysTheCatalogueIndexOfTheClickedRow() {
        auto settings = Settings();
        CLumFileListCtrl list(*settings);
        list.resize(500, 300);
        list.SetUp();
        Fill(list, {{0, "FILE140101-090000.MOV", 3 * kMB},
                    {1, "FILE140101-100000.MOV", 12 * kMB},
                    {2, "FILE140101-110000.MOV", 100 * kMB}});
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        ClickHeader(list, 2);
        QCOMPARE(ItemData(list), (QList<int>{2, 1, 0}));

        QSignalSpy plays(&list, &CLumFileListCtrl::PlayItem);
        for (int row = 0; row < list.RowCount(); ++row) {
            const QRect cell = list.visualItemRect(list.topLevelItem(row));
            QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, cell.center());
            QCOMPARE(plays.count(), 1);
            QCOMPARE(plays.takeFirst().at(0).toInt(), list.ItemDataOf(row));
        }
        QCOMPARE(list.ItemDataOf(0), 2);

        const QRect last = list.visualItemRect(list.topLevelItem(list.RowCount() - 1));
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {},
                           QPoint(last.center().x(), last.bottom() + 20));
        QCOMPARE(plays.count(), 1);
        QCOMPARE(plays.takeFirst().at(0).toInt(), -1);
    }

    void reLabelFollowsTheLanguageAtOnce() {
        auto settings = Settings();
        CLumFileListCtrl list(*settings);
        list.resize(400, 200);
        list.SetUp();
        Fill(list, {{0, "EMER140101-090000.MOV", kMB},
                    {1, "PARK140101-090100.MOV", kMB},
                    {2, "FILE140101-090200.MOV", 2 * kMB}});
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        ClickHeader(list, 2);
        const QList<int> order = ItemData(list);
        settings->SetLanguage(kLanguageJapanese);
        const QTreeWidgetItem* header = list.headerItem();
        QCOMPARE(header->text(0), QString("File Name"));
        list.ReLabel();
        QCOMPARE((QStringList{header->text(0), header->text(1), header->text(2)}),
                 (QStringList{"ファイル名", "録画種別", "ファイルサイズ"}));
        // The kinds follow at once; names, sizes, order and the sort state stay.
        QCOMPARE(ItemData(list), order);
        QStringList kinds;
        for (const int entry : order) {
            kinds << list.topLevelItem(list.RowOfItemData(entry))->text(1);
        }
        QCOMPARE(kinds, (QStringList{"緊急", "駐車", "通常"}));
        QCOMPARE(list.topLevelItem(list.RowOfItemData(2))->text(2), QString(" 2 MB"));
        QCOMPARE(Marks(list), (QList<Mark>{Mark::None, Mark::None, Mark::Down}));
        QCOMPARE(list.columnCount(), 3);

        settings->SetLanguage(kLanguageEnglish);
        list.ReLabel();
        QCOMPARE(list.topLevelItem(list.RowOfItemData(0))->text(1), QString("Emergency"));
        QCOMPARE((QList<int>{list.columnWidth(0), list.columnWidth(1), list.columnWidth(2)}),
                 (QList<int>{220, 88, 64}));
    }

    // At the window's list width every header and every kind of cell text fits its column
    // in the font the list draws with, and the columns fit beside a vertical scroll bar.
    void textsFitTheirColumns_data() {
        QTest::addColumn<int>("language");
        QTest::newRow("English") << kLanguageEnglish;
        QTest::newRow("Japanese") << kLanguageJapanese;
    }
    void textsFitTheirColumns() {
        QFETCH(int, language);
        auto settings = Settings();
        settings->SetLanguage(language);
        CLumFileListCtrl list(*settings);
        list.resize(400, 200);
        list.SetUp();
        Fill(list, {{0, "EMER140101-090000.MOV", 5120 * kMB},
                    {1, "MANU140101-090100.MOV", kMB},
                    {2, "PARK140101-090200.MOV", kMB},
                    {3, "FILE140101-090300.MOV", kMB},
                    {4, "SOS_0001.MP4", kMB},
                    {5, "S0517001.AVI", kMB, 0, 1, 1463461407}});
        QHeaderView* header = list.header();
        const QStyle* style = header->style();
        int total = 0;
        for (int c = 0; c < 3; ++c) {
            QStyleOptionHeader option;
            option.initFrom(header);
            option.state |= QStyle::State_Horizontal;
            option.orientation = Qt::Horizontal;
            option.rect = QRect(0, 0, list.columnWidth(c), header->height());
            option.text = list.headerItem()->text(c);
            const QRect label = style->subElementRect(QStyle::SE_HeaderLabel, &option, header);
            QVERIFY2(header->fontMetrics().horizontalAdvance(option.text) <= label.width(),
                     qPrintable(option.text));
            const int margin = list.style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1;
            for (int row = 0; row < list.RowCount(); ++row) {
                const QString cell = list.topLevelItem(row)->text(c);
                QVERIFY2(
                    list.fontMetrics().horizontalAdvance(cell) + 2 * margin <= list.columnWidth(c),
                    qPrintable(cell));
            }
            total += list.columnWidth(c);
        }
        QVERIFY(total <= 400 - 2 * list.frameWidth() -
                             list.style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    }

    void catalogueHighlightsItsCurrentRecordingAfterTheListSorted() {
        auto settings = Settings();
        CLumFileListCtrl list(*settings);
        list.resize(500, 300);
        list.SetUp();
        RecordingCatalogue catalogue;
        catalogue.Bind(&list, nullptr, nullptr, nullptr);
        for (const auto& [name, size] : {std::pair{"FILE140101-090000.MOV", 3 * kMB},
                                         std::pair{"FILE140101-100000.MOV", 12 * kMB},
                                         std::pair{"FILE140101-110000.MOV", 100 * kMB}}) {
            RecordingEntry e;
            e.fileName = name;
            e.rootFolder = "/card";
            e.telemetry.fileSize = size;
            catalogue.AddEntry(e);
        }
        catalogue.RebuildGroupRecords();
        catalogue.FillList();
        QCOMPARE(ItemData(list), (QList<int>{0, 1, 2}));
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        ClickHeader(list, 2);
        QCOMPARE(ItemData(list), (QList<int>{2, 1, 0}));

        QVERIFY(catalogue.Select(0));
        QCOMPARE(list.RowOfItemData(0), 2);
        QVERIFY(list.IsDropHighlighted(2));
        QVERIFY(!list.IsDropHighlighted(0));
        QVERIFY(catalogue.Select(2));
        QVERIFY(!list.IsDropHighlighted(2));
        QVERIFY(list.IsDropHighlighted(0));

        // The highlight is painted; other rows stay black with dark cell borders.
        const QImage shot = list.viewport()->grab().toImage();
        const QRect highlighted = list.visualItemRect(list.topLevelItem(0));
        const QRect plain = list.visualItemRect(list.topLevelItem(1));
        const QColor highlight = list.palette().color(QPalette::Active, QPalette::Highlight);
        QCOMPARE(shot.pixelColor(highlighted.right() - 2, highlighted.top() + 2), highlight);
        QCOMPARE(shot.pixelColor(plain.right() - 2, plain.top() + 2), QColor(Qt::black));
        const int border = list.columnWidth(0) - 1;
        QCOMPARE(shot.pixelColor(border, plain.center().y()),
                 QColor::fromRgb(CLumFileListCtrl::kBorderColour));
        QCOMPARE(shot.pixelColor(border - 3, plain.top()),
                 QColor::fromRgb(CLumFileListCtrl::kBorderColour));
        QCOMPARE(shot.pixelColor(border - 3, plain.center().y() + 1), QColor(Qt::black));

        catalogue.ClearListViews();
        QCOMPARE(list.RowCount(), 0);
    }
};

QTEST_MAIN(FileListTest)
#include "FileListTest.moc"
