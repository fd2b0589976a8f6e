// The map panel: a web view showing the map page embedded in the program. The catalogue speaks
// to it through IMapView in decimal degrees; this panel alone turns those calls into the short
// script texts the page runs, such as "movpos(35.658517, 139.745493)".
//
// The page (qrc:/map/map.html with Leaflet and the pin beside it) is compiled into
// lum_views_map; linking the target is enough to have it, no initialisation call is needed.
// Like every Qt WebEngine program, the application must set Qt::AA_ShareOpenGLContexts before
// constructing its QApplication.
#pragma once

#include <QString>
#include <QUrl>
#include <QWidget>
#include <string>
#include <vector>

#include "catalogue/CatalogueViews.h"

class QWebEngineProfile;
class QWebEngineView;

namespace lum {

class CHtmlMapDlg : public QWidget, public IMapView {
    Q_OBJECT

  public:
    // Starts loading the page at once; script calls made before it has loaded are kept.
    explicit CHtmlMapDlg(QWidget* parent = nullptr);
    ~CHtmlMapDlg() override;

    CHtmlMapDlg(const CHtmlMapDlg&) = delete;
    CHtmlMapDlg& operator=(const CHtmlMapDlg&) = delete;

    // The map option the settings hold (0 or 1); both draw on the same OpenStreetMap page.
    int m_nMapType = 0;

    // Takes the place of a placeholder widget (which is deleted) inside its parent, 2 px inside
    // its rectangle on every side, on top of its siblings and shown. False without a placeholder
    // or without a parent for it; nothing is changed then.
    bool CreateOverPlaceholder(QWidget* placeholder);

    // Loads the page afresh: marker back at the start, both tracks empty. Script calls not yet
    // run are dropped; calls made from now on wait for the new page.
    void ReloadPage();

    // IMapView: each call becomes one script text (two for ClearTrack), run in call order.
    void ShowTrack(const std::vector<MapTrackPoint>& points) override;
    void ShowDriven(std::size_t count) override;
    void ClearTrack() override;
    // The page's marker does not turn: the heading is not used.
    void MoveCar(TrackPoint at, int heading) override;
    void ShowEvents(const std::vector<MapEventDot>& dots) override;

    // Runs one script text in the page and ignores its outcome. Before the page has loaded the
    // text waits and runs, in call order, once it has; if the page failed to load it does
    // nothing.
    void RunScript(const QString& script);

    // The script texts of the calls above.
    [[nodiscard]] static QString TrackScript(const std::vector<MapTrackPoint>& points);
    [[nodiscard]] static QString DrivenScript(std::size_t count);
    [[nodiscard]] static QString MoveCarScript(TrackPoint at);
    [[nodiscard]] static QString EventsScript(const std::vector<MapEventDot>& dots);

    // True once the current page has loaded and waiting calls have been handed to it.
    [[nodiscard]] bool IsPageReady() const { return m_state == PageState::Ready; }
    [[nodiscard]] QWebEngineView* View() const { return m_view; }

  signals:
    // The current page finished loading (ok) or failed (not ok); stale loads are not reported.
    void pageLoaded(bool ok);

  private:
    enum class PageState { Loading, Ready, Failed };

    void LoadPage();
    void OnLoadFinished(bool ok);

    QWebEngineProfile* m_profile = nullptr;
    QWebEngineView* m_view = nullptr;
    PageState m_state = PageState::Loading;
    // Each load asks for its own address, so that the end of an older, superseded load is told
    // apart from the end of the current one.
    unsigned m_loadNumber = 0;
    QUrl m_currentUrl;
    std::vector<QString> m_pending;
};

}  // namespace lum
