#include "views/map/CHtmlMapDlg.h"

#include <QDesktopServices>
#include <QJsonArray>
#include <QJsonDocument>
#include <QVBoxLayout>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <charconv>
#include <utility>

namespace lum {

namespace {

// The page keeps every script message to itself and never leaves the embedded map.
class SilentMapPage : public QWebEnginePage {
  public:
    SilentMapPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent) {}

  protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int,
                                  const QString&) override {}

    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
        if (url.scheme() == QLatin1String("qrc")) {
            return true;
        }
        // A click on the attribution's links opens the user's browser; the panel stays a map.
        if (type == NavigationTypeLinkClicked && isMainFrame &&
            (url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http"))) {
            QDesktopServices::openUrl(url);
        }
        return false;
    }
};

// Six decimals like printf's "%f", whatever the C or Qt locale says.
QString Fixed6(double value) {
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
    return QString::fromLatin1(text, result.ptr - text);
}

}  // namespace

CHtmlMapDlg::CHtmlMapDlg(QWidget* parent) : QWidget(parent) {
    // A profile of our own: the tile servers ask that the program name itself, and the user's
    // other web sessions stay apart from the map's.
    m_profile = new QWebEngineProfile(this);
    m_profile->setHttpUserAgent(m_profile->httpUserAgent() + QStringLiteral(" LUM/") +
                                QStringLiteral(LUM_VERSION));

    m_view = new QWebEngineView(this);
    m_view->setContextMenuPolicy(Qt::NoContextMenu);
    auto* page = new SilentMapPage(m_profile, m_view);
    // The page comes from qrc, the tiles from the network.
    page->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    m_view->setPage(page);
    connect(page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo& info) {
        // Only the end of the newest load counts; an older one may still report.
        if (info.url().query() != m_currentUrl.query()) {
            return;
        }
        if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus) {
            OnLoadFinished(true);
        } else if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus ||
                   info.status() == QWebEngineLoadingInfo::LoadStoppedStatus) {
            OnLoadFinished(false);
        }
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);

    LoadPage();
}

CHtmlMapDlg::~CHtmlMapDlg() {
    // The page must go before the profile it was made with.
    delete m_view;
    m_view = nullptr;
}

bool CHtmlMapDlg::CreateOverPlaceholder(QWidget* placeholder) {
    if (placeholder == nullptr || placeholder->parentWidget() == nullptr) {
        return false;
    }
    QWidget* parent = placeholder->parentWidget();
    const QRect area = placeholder->geometry().adjusted(2, 2, -2, -2);
    delete placeholder;
    setParent(parent);
    setGeometry(area);
    raise();
    show();
    return true;
}

void CHtmlMapDlg::ReloadPage() {
    LoadPage();
}

void CHtmlMapDlg::LoadPage() {
    ++m_loadNumber;
    m_currentUrl = QUrl(QStringLiteral("qrc:/map/map.html?load=%1").arg(m_loadNumber));
    m_state = PageState::Loading;
    // Calls meant for the old page would draw on a page that starts afresh.
    m_pending.clear();
    m_view->load(m_currentUrl);
}

void CHtmlMapDlg::OnLoadFinished(bool ok) {
    if (!ok) {
        m_state = PageState::Failed;
        m_pending.clear();
        emit pageLoaded(false);
        return;
    }
    m_state = PageState::Ready;
    std::vector<QString> waiting = std::exchange(m_pending, {});
    for (const QString& script : waiting) {
        m_view->page()->runJavaScript(script);
    }
    emit pageLoaded(true);
}

void CHtmlMapDlg::RunScript(const QString& script) {
    switch (m_state) {
        case PageState::Ready:
            m_view->page()->runJavaScript(script);
            break;
        case PageState::Loading:
            m_pending.push_back(script);
            break;
        case PageState::Failed:
            break;
    }
}

QString CHtmlMapDlg::TrackScript(const std::vector<MapTrackPoint>& points) {
    // path_plot_all([[lat,lon,kmh],...]); a point without a speed has no third number.
    QString script = QStringLiteral("path_plot_all([");
    script.reserve(script.size() + static_cast<qsizetype>(points.size()) * 30 + 2);
    bool first = true;
    for (const MapTrackPoint& p : points) {
        script += first ? QStringLiteral("[") : QStringLiteral(",[");
        first = false;
        script += Fixed6(p.at.latitude) + QLatin1Char(',') + Fixed6(p.at.longitude);
        if (p.speedKmh >= 0) {
            script += QLatin1Char(',') + QString::number(p.speedKmh);
        }
        script += QLatin1Char(']');
    }
    script += QStringLiteral("])");
    return script;
}

QString CHtmlMapDlg::DrivenScript(std::size_t count) {
    return QStringLiteral("pathdrived_plot_to_n(%1)").arg(static_cast<qulonglong>(count));
}

QString CHtmlMapDlg::MoveCarScript(TrackPoint at) {
    return QStringLiteral("movpos(%1, %2)").arg(Fixed6(at.latitude), Fixed6(at.longitude));
}

QString CHtmlMapDlg::EventsScript(const std::vector<MapEventDot>& dots) {
    if (dots.empty()) {
        return QStringLiteral("events_delete()");
    }
    // JSON is a valid script literal: the texts reach the page escaped.
    QJsonArray list;
    for (const MapEventDot& d : dots) {
        list.append(
            QJsonArray{d.at.latitude, d.at.longitude,
                       QStringLiteral("#%1").arg(d.colour & 0xFFFFFFu, 6, 16, QLatin1Char('0')),
                       QString::fromStdString(d.text)});
    }
    return QStringLiteral("events_plot(") +
           QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Compact)) + QLatin1Char(')');
}

void CHtmlMapDlg::ShowTrack(const std::vector<MapTrackPoint>& points) {
    RunScript(TrackScript(points));
}

void CHtmlMapDlg::ShowDriven(std::size_t count) {
    RunScript(DrivenScript(count));
}

void CHtmlMapDlg::ClearTrack() {
    RunScript(QStringLiteral("pathdrived_delete()"));
    RunScript(QStringLiteral("path_delete()"));
}

void CHtmlMapDlg::MoveCar(TrackPoint at, int heading) {
    static_cast<void>(heading);  // the page's marker does not turn
    RunScript(MoveCarScript(at));
}

void CHtmlMapDlg::ShowEvents(const std::vector<MapEventDot>& dots) {
    RunScript(EventsScript(dots));
}

}  // namespace lum
