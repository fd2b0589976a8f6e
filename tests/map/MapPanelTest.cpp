// The map panel in the real Qt WebEngine view: calls before and after the page has loaded,
// reloads, the catalogue's interface, silence and right clicks; plus the exact script texts.
#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <memory>
#include <optional>

#include "views/map/CHtmlMapDlg.h"

using lum::CHtmlMapDlg;

namespace {

constexpr int kLoadTimeoutMs = 20000;

// Runs a script in the page and waits for its value; nothing when the page never answered.
std::optional<QVariant> Eval(CHtmlMapDlg& dlg, const QString& script) {
    auto result = std::make_shared<std::optional<QVariant>>();
    dlg.View()->page()->runJavaScript(script, [result](const QVariant& v) { *result = v; });
    if (!QTest::qWaitFor([&] { return result->has_value(); }, kLoadTimeoutMs)) {
        return std::nullopt;
    }
    return *result;
}

double Number(CHtmlMapDlg& dlg, const QString& script) {
    const auto v = Eval(dlg, script);
    return v ? v->toDouble() : -999.0;
}

bool WaitReady(CHtmlMapDlg& dlg) {
    return QTest::qWaitFor([&] { return dlg.IsPageReady(); }, kLoadTimeoutMs);
}

// Captures what Qt's message handler receives while a test runs.
QStringList* g_messages = nullptr;
void Capture(QtMsgType, const QMessageLogContext& context, const QString& text) {
    if (g_messages != nullptr) {
        g_messages->append(QString::fromLatin1(context.category ? context.category : "") +
                           QStringLiteral(": ") + text);
    }
}

}  // namespace

class MapPanelTest : public QObject {
    Q_OBJECT

  public:
    // Qt WebEngine wants shared OpenGL contexts before the application object exists.
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

  private slots:
    // The exact texts the page is given, in decimal degrees with six decimals whatever the
    // locale; the heading never reaches the page.
    void scriptTexts() {
        using lum::MapEventDot;
        using lum::MapTrackPoint;
        QCOMPARE(CHtmlMapDlg::MoveCarScript({35.658517, 139.743827}),
                 QStringLiteral("movpos(35.658517, 139.743827)"));
        QCOMPARE(CHtmlMapDlg::MoveCarScript({-37.5, -0.125}),
                 QStringLiteral("movpos(-37.500000, -0.125000)"));
        QCOMPARE(CHtmlMapDlg::TrackScript(
                     {{{35.504167, 139.758333}, 42}, {{-33.841667, -70.670833}, -1}, {{0, 0}, 0}}),
                 QStringLiteral("path_plot_all([[35.504167,139.758333,42],"
                                "[-33.841667,-70.670833],[0.000000,0.000000,0]])"));
        QCOMPARE(CHtmlMapDlg::DrivenScript(89), QStringLiteral("pathdrived_plot_to_n(89)"));
        QCOMPARE(CHtmlMapDlg::EventsScript({}), QStringLiteral("events_delete()"));
        // The tooltip text is a JSON string: quotes, markup and a line end reach the page inert.
        QCOMPARE(CHtmlMapDlg::EventsScript(
                     {MapEventDot{{35.5, 139.75}, 0xE0301E, "Harsh \"braking\" <b>\n"}}),
                 QStringLiteral(
                     "events_plot([[35.5,139.75,\"#e0301e\",\"Harsh \\\"braking\\\" <b>\\n\"]])"));
    }

    // A recording chosen at start-up sends its track before the page exists; it must arrive.
    void callsBeforeLoadRunInOrderOnceLoaded() {
        CHtmlMapDlg dlg;
        dlg.resize(480, 300);
        dlg.show();
        QSignalSpy loaded(&dlg, &CHtmlMapDlg::pageLoaded);
        QVERIFY(!dlg.IsPageReady());

        lum::IMapView& core = dlg;
        core.ClearTrack();
        core.ShowTrack({{{35.658517, 139.745493}, 30},
                        {{35.659000, 139.746000}, 31},
                        {{35.660000, 139.747000}, -1}});
        core.MoveCar({35.658517, 139.743827}, 90);
        // Deleting after plotting: order matters, so a reordering queue would show here.
        dlg.RunScript(QStringLiteral("pathdrived_delete()"));
        core.MoveCar({35.659, 139.746333}, 0);
        QVERIFY(!dlg.IsPageReady());

        QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, kLoadTimeoutMs);
        QCOMPARE(loaded.at(0).at(0).toBool(), true);
        QCOMPARE(Number(dlg, QStringLiteral("poly.getLatLngs().length")), 3.0);
        QCOMPARE(Number(dlg, QStringLiteral("polyDrived.getLatLngs().length")), 1.0);
        QCOMPARE(Number(dlg, QStringLiteral("aitmarker.getLatLng().lat")), 35.659);
        QCOMPARE(Number(dlg, QStringLiteral("aitmarker.getLatLng().lng")), 139.746333);

        // Once loaded, calls run at once.
        core.MoveCar({35.658517, 139.743827}, 90);
        core.ShowDriven(2);
        QCOMPARE(Number(dlg, QStringLiteral("polyDrived.getLatLngs().length")), 2.0);
        core.ShowEvents(
            {{{35.659, 139.746}, 0xFF0000, "one"}, {{35.66, 139.747}, 0x00FF00, "two"}});
        QCOMPARE(Number(dlg, QStringLiteral("eventLayer.getLayers().length")), 2.0);
        core.ShowEvents({});
        QCOMPARE(Number(dlg, QStringLiteral("eventLayer.getLayers().length")), 0.0);
        core.ClearTrack();
        QCOMPARE(Number(dlg, QStringLiteral("poly.getLatLngs().length")), 0.0);
        QCOMPARE(Number(dlg, QStringLiteral("polyDrived.getLatLngs().length")), 0.0);
        QCOMPARE(Number(dlg, QStringLiteral("aitmarker.getLatLng().lat")), 35.658517);
        // The map's centre sits on a whole pixel, within 4e-5 degrees at zoom 15.
        QVERIFY(qAbs(Number(dlg, QStringLiteral("map.getCenter().lng")) - 139.743827) < 1e-4);
        QCOMPARE(loaded.count(), 1);
    }

    // A map-option change reloads the page: old tracks and old waiting calls are gone, calls
    // made after the reload reach the new page, and only the newest of quick reloads counts.
    void reloadStartsAfreshAndKeepsLaterCalls() {
        CHtmlMapDlg dlg;
        dlg.resize(480, 300);
        dlg.show();
        QVERIFY(WaitReady(dlg));
        dlg.RunScript(QStringLiteral("path_plot(35.1,139.1)"));
        dlg.MoveCar({35.2, 139.2}, 0);
        QCOMPARE(Number(dlg, QStringLiteral("poly.getLatLngs().length")), 1.0);

        dlg.ReloadPage();
        QVERIFY(!dlg.IsPageReady());
        dlg.RunScript(QStringLiteral("path_plot(5,6)"));
        dlg.ReloadPage();
        dlg.RunScript(QStringLiteral("path_plot(7,8)"));
        dlg.RunScript(QStringLiteral("path_plot(9,10)"));
        QVERIFY(WaitReady(dlg));

        QCOMPARE(Eval(dlg, QStringLiteral("JSON.stringify(path.map(p => [p.lat, p.lng]))")),
                 std::optional<QVariant>(QStringLiteral("[[7,8],[9,10]]")));
        QCOMPARE(Number(dlg, QStringLiteral("polyDrived.getLatLngs().length")), 0.0);
        QCOMPARE(Number(dlg, QStringLiteral("aitmarker.getLatLng().lat")), 35.658517);
        QCOMPARE(Number(dlg, QStringLiteral("map.getZoom()")), 15.0);
    }

    // The catalogue speaks UTF-8; script errors and console output never surface.
    void utf8AndSilence() {
        QStringList messages;
        g_messages = &messages;
        const QtMessageHandler previous = qInstallMessageHandler(Capture);

        CHtmlMapDlg dlg;
        dlg.resize(480, 300);
        dlg.show();
        QVERIFY(WaitReady(dlg));
        // An event's text in UTF-8 reaches the page as the same characters.
        lum::IMapView& core = dlg;
        core.ShowEvents({{{35.659, 139.746}, 0xFF0000, "\xE5\x9C\xB0\xE5\x9B\xB3"}});
        QCOMPARE(Eval(dlg, QStringLiteral("eventLayer.getLayers()[0].getTooltip().getContent()"
                                          ".textContent")),
                 std::optional<QVariant>(QString::fromUtf8("\xE5\x9C\xB0\xE5\x9B\xB3")));
        dlg.RunScript(QString::fromUtf8("document.title = '\xE5\x9C\xB0\xE5\x9B\xB3'"));
        dlg.RunScript(QStringLiteral("this is not a script ("));
        dlg.RunScript(QStringLiteral("no_such_function()"));
        // A frame of its own has an untouched console, so this reaches the embedding page.
        dlg.RunScript(
            QStringLiteral("const f = document.createElement('iframe');"
                           "document.body.appendChild(f);"
                           "f.contentWindow.console.error('loud');"
                           "f.contentWindow.eval('throw new Error(\"thrown\")');"));
        QCOMPARE(Eval(dlg, QStringLiteral("document.title")),
                 std::optional<QVariant>(QString::fromUtf8("\xE5\x9C\xB0\xE5\x9B\xB3")));
        QTest::qWait(200);

        qInstallMessageHandler(previous);
        g_messages = nullptr;
        const QStringList fromPage = messages.filter(QStringLiteral("js:"));
        QVERIFY2(fromPage.isEmpty(), qPrintable(fromPage.join(QLatin1Char('\n'))));
    }

    void rightClickShowsNoMenu() {
        CHtmlMapDlg dlg;
        dlg.resize(480, 300);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QVERIFY(WaitReady(dlg));
        // Count right clicks, and keep the page's own handler out so the view alone must refuse.
        Eval(dlg, QStringLiteral("window.clicks = 0; window.addEventListener('contextmenu', e => {"
                                 " window.clicks++; e.stopImmediatePropagation(); }, true); 0"));
        QWidget* target = dlg.View()->focusProxy();
        QVERIFY(target != nullptr);
        QTest::mouseClick(target, Qt::RightButton, {}, target->rect().center());
        QTRY_COMPARE_WITH_TIMEOUT(Number(dlg, QStringLiteral("window.clicks")), 1.0,
                                  kLoadTimeoutMs);
        QTest::qWait(300);
        for (QWidget* w : QApplication::topLevelWidgets()) {
            QVERIFY2(!(qobject_cast<QMenu*>(w) && w->isVisible()), "a context menu appeared");
        }
    }

    void takesThePlaceOfItsPlaceholder() {
        QWidget window;
        auto* placeholder = new QWidget(&window);
        placeholder->setGeometry(10, 20, 300, 200);
        QPointer<QWidget> watch(placeholder);
        auto* dlg = new CHtmlMapDlg;
        QVERIFY(!dlg->CreateOverPlaceholder(nullptr));
        QVERIFY(dlg->CreateOverPlaceholder(placeholder));
        QVERIFY(watch.isNull());
        QCOMPARE(dlg->parentWidget(), &window);
        QCOMPARE(dlg->geometry(), QRect(12, 22, 296, 196));
    }
};

QTEST_MAIN(MapPanelTest)
#include "MapPanelTest.moc"
