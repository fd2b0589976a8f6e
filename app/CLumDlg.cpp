#include "CLumDlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>
#include <QWindow>

#include "app/Messages.h"
#include "dialogs/CLumFileListCtrl.h"
#include "playback/ScanPanel.h"
#include "views/Skin.h"
#include "views/core/Gauges.h"
#include "views/map/CHtmlMapDlg.h"

namespace lum {

namespace {

QString Ui(int id) {
    return QString::fromStdString(LoadUiString(id));
}

// The dialog's template: 620 x 414 dialog units.
constexpr int kTemplateWidth = 930;
constexpr int kTemplateHeight = 673;

QRect ToQRect(const LayoutRect& r) {
    return QRect(r.x, r.y, r.width, r.height);
}
LayoutRect ToLayout(const QRect& r) {
    return {r.x(), r.y(), r.width(), r.height()};
}

QLabel* MakeText(QWidget* parent, QColor colour, bool opaque) {
    auto* label = new QLabel(parent);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    p.setColor(QPalette::Window, QColor(15, 15, 15));
    label->setPalette(p);
    label->setAutoFillBackground(opaque);
    return label;
}

}  // namespace

CLumDlg::CLumDlg(CLumSettings& settings, std::unique_ptr<VlcPlayer> player, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      settings_(settings),
      player_(std::move(player)) {
    versionText_ = QString("%1.%2.%3").arg(kVersion[0]).arg(kVersion[1]).arg(kVersion[2]);
    messageBox = [this](QMessageBox::Icon icon, const QString& caption, const QString& text,
                        QMessageBox::StandardButtons buttons) {
        QMessageBox box(icon, caption, text, buttons, this);
        return static_cast<QMessageBox::StandardButton>(box.exec());
    };
    ReadMapKind();
}

CLumDlg::~CLumDlg() {
    // The engine must stop calling back before the controller it posts to is gone.
    player_->Stop();
    playback_.reset();
}

void CLumDlg::ReadMapKind() {
    mapKind_ = settings_.ReadMapOption();
}

CGdipButton* CLumDlg::MakeButton(int id, int picture, int alternate) {
    auto* b = new CGdipButton(this);
    if (picture != 0) {
        b->SetNormalImage(picture);
    }
    if (alternate != 0) {
        b->SetAlternateImage(alternate);
        b->m_bToggleMode = true;
    }
    buttons_[id] = b;
    return b;
}

CGdipButton* CLumDlg::Button(int id) const {
    const auto it = buttons_.find(id);
    return it == buttons_.end() ? nullptr : it->second;
}

QWidget* CLumDlg::Control(int id) const {
    if (CGdipButton* b = Button(id)) {
        return b;
    }
    switch (id) {
        case IDC_VIDEO:
            return videoSurface_;
        case IDC_VIDEO_BG:
            return videoBackground_;
        case IDC_GSENSOR:
            return curve_;
        case IDC_SEEK:
            return seekBar_;
        case IDC_VOLUME:
            return volume_;
        case IDC_VOLUME_EDIT:
            return volumeEdit_;
        case IDC_SPEED:
            return speed_;
        case IDC_COMPASS:
            return compass_;
        case IDC_STATUS_BOARD:
            return statusBoard_;
        case IDC_GPS_ICON:
            return gpsIcon_;
        case IDC_LOGO:
            return logo_;
        case IDC_BANNER:
            return banner_;
        case IDC_NOTICE:
            return notice_;
        case IDC_TIME_TEXT:
            return timeText_;
        case IDC_VALUE_1:
        case IDC_VALUE_2:
        case IDC_VALUE_3:
            return values_[id - IDC_VALUE_1];
        default:
            return nullptr;
    }
}

void CLumDlg::InitDialog(bool quiet) {
    // The window exists before its children ask for native windows of their own.
    winId();
    setWindowTitle(versionText_);
    setMouseTracking(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(15, 15, 15));
    setPalette(pal);
    setAutoFillBackground(true);

    mapEnabled_ = settings_.ReadMapEnabled();
    gsensorEnabled_ = settings_.ReadGsensorEnabled();
    // The same thresholds for every recording of the run; they live in "Lum.ini".
    catalogue_.SetThresholds(settings_.ReadEventThresholds());

    videoBackground_ = new CVideoStaticBg(this);
    videoBackground_->setAutoFillBackground(true);
    QPalette black = videoBackground_->palette();
    black.setColor(QPalette::Window, Qt::black);
    videoBackground_->setPalette(black);
    videoSurface_ = new CVideoStatic(videoBackground_);
    scanPanel_ = new CScanPanel(videoBackground_);
    connect(videoSurface_, &CVideoStatic::ToggleFullScreen, this, &CLumDlg::ToggleFullScreen);
    connect(videoBackground_, &CVideoStaticBg::ToggleFullScreen, this, &CLumDlg::ToggleFullScreen);
    connect(videoSurface_, &CVideoStatic::PanPressed, this,
            [this](QPoint p) { PanStart(p.x(), p.y()); });
    connect(videoSurface_, &CVideoStatic::PanMoved, this,
            [this](QPoint p, bool held) { PanMove(p.x(), p.y(), held); });
    connect(videoSurface_, &CVideoStatic::PanReleased, this, &CLumDlg::PanEnd);
    connect(videoSurface_, &CVideoStatic::WheelTurned, this,
            [this](int delta, QPoint p) { ZoomAt(delta, p.x(), p.y()); });

    curve_ = new CGSensorCtrl(this);
    curve_->setVisible(gsensorEnabled_);

    if (player_->Loaded()) {
        // Queued: the new id is asked for once Qt has finished making the window.
        connect(
            videoSurface_, &CVideoStatic::NativeWindowChanged, this,
            [this] { player_->SetWindow(videoSurface_->NativeId()); }, Qt::QueuedConnection);
        player_->SetWindow(videoSurface_->NativeId());
    } else if (!quiet) {
        QMessageBox::warning(this, Ui(131), Ui(133));
    }

    seekBar_ = new CVideoSlider(this);
    volume_ = new CMySliderControl(this);
    player_->SetVolume(volume_->value() * 2);
    volumeEdit_ = new QLineEdit(QString::number(volume_->value()), this);
    volumeEdit_->hide();

    map_ = new CHtmlMapDlg(this);
    map_->m_nMapType = mapKind_;

    fileList_ = new CLumFileListCtrl(this);
    fileList_->setGeometry(0, 0, 400, 200);
    fileList_->SetUp();
    fileList_->setFont(GothicFont(12));

    // The skinned controls, their pictures, and the ones that start hidden.
    MakeButton(IDC_PLAY, 129, 132);
    MakeButton(IDC_STOP, 133);
    MakeButton(IDC_FAST, 136);
    MakeButton(IDC_SLOW, 137);
    MakeButton(IDC_NEXT, 1047);
    MakeButton(IDC_PREV, 1046);
    MakeButton(IDC_CONF, 138);
    MakeButton(IDC_DEL, 142);
    MakeButton(IDC_SAVE, 141);
    MakeButton(IDC_SNAP, 140);
    MakeButton(IDC_OPEN, 139);
    MakeButton(IDC_LOOP, 143, 176);
    MakeButton(IDC_KML, 145);
    MakeButton(IDC_MAP, 146);
    MakeButton(IDC_FULL, 1048);
    MakeButton(IDC_GSR, 147);
    MakeButton(IDC_CLOSE, 151);
    MakeButton(IDC_MAXIMISE, 152);
    MakeButton(IDC_MINIMISE, 153);
    MakeButton(IDC_ABOUT, 154);
    MakeButton(IDC_SIZE_S, 1045);
    MakeButton(IDC_SIZE_M, 187);
    MakeButton(IDC_SIZE_L, 188);
    MakeButton(IDC_VOL, 156, 155);
    MakeButton(IDC_FLIP, 0)->setEnabled(false);
    MakeButton(IDC_LOCK, 0);
    for (int id : {IDC_DEL, IDC_SAVE, IDC_LOCK, IDC_KML, IDC_MAP, IDC_GSR, IDC_FULL, IDC_LOOP,
                   IDC_FLIP, IDC_SIZE_L, IDC_ABOUT}) {
        Button(id)->hide();
    }

    gpsIcon_ = new CPngStatic(this);
    gpsIcon_->image = LoadSkin(150);
    gpsIcon_->hide();
    logo_ = new CPngStatic(this);
    logo_->image = LoadSkin(157);
    logo_->active = true;
    logo_->setGeometry(15, 0, 232, 48);
    banner_ = new CPngStatic(this);
    banner_->setEnabled(false);
    compass_ = new CPngCompassStatic(this);
    for (int n = 167; n <= 174; ++n) {
        compass_->AddPicture(n);
    }
    compass_->resize(32, 32);
    compass_->SetIndex(0);
    compass_->hide();
    compass_->setEnabled(false);

    timeText_ = MakeText(this, Qt::white, true);
    timeText_->setFont(GothicFont(11));
    timeText_->setText("0:00 / 0:00");
    const QColor valueColours[3] = {QColor(255, 255, 0), QColor(0, 255, 0), QColor(255, 0, 0)};
    for (int k = 0; k < 3; ++k) {
        values_[k] = MakeText(this, valueColours[k], true);
        values_[k]->setFont(GothicFont(11));
    }
    notice_ = MakeText(this, Qt::white, false);
    notice_->setText(Ui(156));
    notice_->setFont(GothicFont(10));

    speed_ = new CSpeedLabelStatic(this);
    speed_->SetSpeed(true, 0);
    statusBoard_ = new CStatusBoardStatic(this);
    statusBoard_->pattern = LoadSkin(189);
    statusBoard_->textColour = Qt::white;
    statusBoard_->hide();

    connect(Button(IDC_OPEN), &QAbstractButton::clicked, this, &CLumDlg::OnOpen);
    connect(Button(IDC_CONF), &QAbstractButton::clicked, this, &CLumDlg::OnConfig);
    connect(Button(IDC_SNAP), &QAbstractButton::clicked, this, &CLumDlg::OnSnapshot);
    connect(Button(IDC_FLIP), &QAbstractButton::clicked, this, &CLumDlg::OnFlip);
    connect(Button(IDC_ABOUT), &QAbstractButton::clicked, this, &CLumDlg::OnAbout);
    connect(Button(IDC_CLOSE), &QAbstractButton::clicked, this, &QWidget::close);
    connect(Button(IDC_MAXIMISE), &QAbstractButton::clicked, this, &CLumDlg::ToggleMaximise);
    connect(Button(IDC_MINIMISE), &QAbstractButton::clicked, this, [this] {
        minimisedByButton_ = true;
        showMinimized();
    });
    connect(Button(IDC_SIZE_S), &QAbstractButton::clicked, this, &CLumDlg::SetSmallSize);
    connect(Button(IDC_SIZE_M), &QAbstractButton::clicked, this, &CLumDlg::SetMediumSize);

    PlaceAtStart();
    Relayout(width(), height());
    RegisterTooltips();
    catalogue_.Bind(fileList_, curve_, map_, this);
    catalogue_.BindGauges(this);
    ConnectPlayback();
    ConnectFileCommands();
    ConnectKeys();
    ConnectListCommands();
    setAcceptDrops(true);
}

void CLumDlg::PlaceAtStart() {
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect full = screen != nullptr ? screen->geometry() : QRect(0, 0, 1920, 1080);
    const QRect available = screen != nullptr ? screen->availableGeometry() : full;
    LayoutRect r = ClampStartRect({pos().x(), pos().y(), kTemplateWidth, kTemplateHeight},
                                  full.width(), full.height());
    setGeometry(ToQRect(r));
    const WindowPlacement saved =
        settings_.ReadWindowPlacement(available.width(), available.height());
    const QRect savedRect(saved.rect.left, saved.rect.top, saved.rect.right - saved.rect.left,
                          saved.rect.bottom - saved.rect.top);
    if (saved.maximised) {
        restoreRect_ = savedRect;
        maximised_ = true;
        setGeometry(available);
    } else {
        setGeometry(savedRect);
    }
}

void CLumDlg::SavePlacement() {
    const QRect g = geometry();
    settings_.WriteWindowPlacement({g.left(), g.top(), g.left() + g.width(), g.top() + g.height()},
                                   maximised_);
}

void CLumDlg::Place(QWidget* w, const LayoutRect& r) {
    if (w != nullptr) {
        w->setGeometry(ToQRect(r));
    }
}

void CLumDlg::Relayout(int a, int b) {
    if (fullScreen_) {
        videoBackground_->setGeometry(QRect(QPoint(0, 0), MonitorRect().size()));
        FitVideo();
        return;
    }
    layout_ = ComputeLayout(a, b, mapEnabled_, gsensorEnabled_);
    const MainLayout& l = layout_;
    Place(Button(IDC_CLOSE), l.close);
    Place(Button(IDC_MAXIMISE), l.maximise);
    Place(Button(IDC_SIZE_M), l.sizeM);
    Place(Button(IDC_SIZE_S), l.sizeS);
    Place(Button(IDC_MINIMISE), l.minimise);
    Place(Button(IDC_ABOUT), l.about);
    Place(Button(IDC_CONF), l.conf);
    Place(Button(IDC_SNAP), l.snap);
    Place(Button(IDC_OPEN), l.open);
    Button(IDC_SIZE_L)->hide();
    Place(map_, l.map);
    map_->setVisible(mapEnabled_);
    Place(static_cast<QWidget*>(fileList_), l.fileList);
    Place(seekBar_, l.seekBar);
    Place(timeText_, l.timeText);
    if (gsensorEnabled_) {
        Place(curve_, l.curve);
        for (int k = 0; k < 3; ++k) {
            Place(values_[k], l.values[k]);
        }
    }
    Place(statusBoard_, l.statusBoard);
    Place(Button(IDC_PREV), l.prev);
    Place(Button(IDC_SLOW), l.slow);
    Place(Button(IDC_PLAY), l.play);
    Place(Button(IDC_FAST), l.fast);
    Place(Button(IDC_NEXT), l.next);
    Button(IDC_STOP)->hide();
    Place(Button(IDC_VOL), l.vol);
    Place(volume_, l.volumeSlider);
    Place(volumeEdit_, l.volumeEdit);
    Place(speed_, l.speedGauge);
    Place(notice_, l.notice);
    Place(videoBackground_, l.videoBackground);
    FitVideo();
}

void CLumDlg::FitVideo() {
    int vw = 0, vh = 0;
    const QRect area = videoBackground_->rect();
    // Inside the background, less the 2-pixel edges unless in full screen.
    const QRect inner = fullScreen_ ? area : area.adjusted(2, 2, -2, -2);
    if (!catalogue_.VideoSize(vw, vh)) {
        vw = vh = 0;
    }
    videoSurface_->setGeometry(ToQRect(lum::FitVideo(ToLayout(inner), vw, vh)));
    videoSurface_->update();
    if (scanPanel_ != nullptr) {
        scanPanel_->setGeometry(inner);
    }
}

void CLumDlg::ShowPlaybackControls(bool show) {
    for (int id :
         {IDC_PLAY, IDC_NEXT, IDC_PREV, IDC_SLOW, IDC_FAST, IDC_CONF, IDC_SNAP, IDC_OPEN, IDC_CLOSE,
          IDC_MAXIMISE, IDC_MINIMISE, IDC_ABOUT, IDC_VOL, IDC_SIZE_S, IDC_SIZE_M}) {
        Button(id)->setVisible(show);
    }
    for (QWidget* w : {static_cast<QWidget*>(seekBar_), static_cast<QWidget*>(volume_),
                       static_cast<QWidget*>(logo_), static_cast<QWidget*>(speed_),
                       static_cast<QWidget*>(fileList_)}) {
        if (w != nullptr) {
            w->setVisible(show);
        }
    }
    curve_->setVisible(show && gsensorEnabled_);
    for (int id : {IDC_STOP, IDC_DEL, IDC_SAVE, IDC_LOOP, IDC_FLIP, IDC_KML, IDC_MAP, IDC_FULL,
                   IDC_GSR, IDC_LOCK}) {
        Button(id)->hide();
    }
    gpsIcon_->hide();
    notice_->hide();
    statusBoard_->hide();
    if (mapEnabled_ && show) {
        map_->show();
    } else {
        map_->setGeometry(0, 0, 1, 1);
    }
}

QRect CLumDlg::MonitorRect() const {
    QScreen* s = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    return s != nullptr ? s->geometry() : QRect(0, 0, 1920, 1080);
}

QRect CLumDlg::WorkArea() const {
    QScreen* s = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    return s != nullptr ? s->availableGeometry() : QRect(0, 0, 1920, 1080);
}

void CLumDlg::ToggleFullScreen() {
    if (catalogue_.Entries().empty()) {
        return;
    }
    const bool wasPaused = player_->Loaded() && player_->Paused();
    if (!wasPaused && player_->Loaded()) {
        player_->Pause();
    }
    if (fullScreen_) {
        fullScreen_ = false;
        ShowPlaybackControls(true);
        aboutShown_ = true;
        setGeometry(restoreRect_);
        raise();
        Relayout(width(), height());
    } else {
        restoreRect_ = QRect(pos(), size());
        const QRect mon = MonitorRect();
        fullScreen_ = true;
        maximised_ = false;
        ShowPlaybackControls(false);
        // One pixel less when the size would not change, so the layout runs.
        const int h =
            (mon.width() == width() || mon.height() == height()) ? mon.height() - 1 : mon.height();
        setGeometry(mon.x(), mon.y(), mon.width(), h);
        raise();
        Button(IDC_PLAY)->setFocus();
        Relayout(width(), height());
    }
    if (!wasPaused && player_->Loaded()) {
        player_->Play();
    }
}

void CLumDlg::ToggleMaximise() {
    if (maximised_) {
        setGeometry(restoreRect_);
        maximised_ = false;
    } else {
        restoreRect_ = QRect(pos(), size());
        setGeometry(WorkArea());
        maximised_ = true;
    }
    raise();
    if (mapEnabled_) {
        map_->hide();
        map_->show();
    }
}

void CLumDlg::SetSmallSize() {
    maximised_ = false;
    setGeometry(ToQRect(SmallWindowOn(ToLayout(MonitorRect()))));
}

void CLumDlg::SetMediumSize() {
    maximised_ = false;
    setGeometry(ToQRect(MediumWindowOn(ToLayout(MonitorRect()))));
}

void CLumDlg::RegisterTooltips() {
    static const std::pair<int, int> kTips[] = {
        {IDC_ABOUT, 198},    {IDC_CONF, 183},   {IDC_DEL, 182},    {IDC_CLOSE, 195},
        {IDC_FAST, 186},     {IDC_FLIP, 190},   {IDC_GSR, 193},    {IDC_KML, 191},
        {IDC_LOOP, 189},     {IDC_MAP, 192},    {IDC_FULL, 150},   {IDC_MAXIMISE, 196},
        {IDC_MINIMISE, 197}, {IDC_OPEN, 179},   {IDC_PLAY, 134},   {IDC_SAVE, 181},
        {IDC_PREV, 158},     {IDC_SLOW, 184},   {IDC_NEXT, 157},   {IDC_SNAP, 180},
        {IDC_STOP, 185},     {IDC_VOL, 188},    {IDC_VOLUME, 187}, {IDC_SPEED, 199},
        {IDC_SIZE_S, 137},   {IDC_SIZE_M, 138}, {IDC_SIZE_L, 139}};
    tooltips_.RemoveAllTools();
    for (const auto& [id, text] : kTips) {
        tooltips_.AddTool(Control(id), Ui(text));
    }
}

void CLumDlg::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (width() == 0 || height() == 0) {
        return;
    }
    if (size() != lastLayoutSize_ && Button(IDC_PLAY) != nullptr) {
        Relayout(width(), height());
    }
    lastLayoutSize_ = size();
    if (minimisedByButton_) {
        minimisedByButton_ = false;
        videoSurface_->show();
    }
    update();
}

void CLumDlg::closeEvent(QCloseEvent* event) {
    playback_->CancelScan();
    player_->Stop();
    SavePlacement();
    event->accept();
}

void CLumDlg::mousePressEvent(QMouseEvent* event) {
    // Dragging the body moves the window, as its caption would.
    if (event->button() == Qt::LeftButton && !maximised_ && !fullScreen_ &&
        windowHandle() != nullptr) {
        windowHandle()->startSystemMove();
    }
    QWidget::mousePressEvent(event);
}

void CLumDlg::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        if (speed_->geometry().contains(event->position().toPoint())) {
            speed_->ToggleUnit();
        } else {
            ToggleMaximise();
        }
    }
    QWidget::mouseDoubleClickEvent(event);
}

void CLumDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(15, 15, 15));
    RefreshValueTexts();
    if (fullScreen_) {
        return;
    }
    p.setPen(QColor(96, 96, 96));
    const int w = width();
    for (int x : {w - 325, w - 390, w - 455}) {
        p.drawLine(x, 15, x, 33);
    }
    static const QImage legend = LoadSkin(203);
    if (!legend.isNull()) {
        p.drawImage(QPoint(layout_.gsensorLegend.x, layout_.gsensorLegend.y), legend);
    }
}

void CLumDlg::ShowProgress(int percent, const std::string& text) {
    statusBoard_->show();
    statusBoard_->percent = percent;
    statusBoard_->caption = QString::fromStdString(text);
    statusBoard_->repaint();  // the copy blocks the window: show each step at once
}

void CLumDlg::HideProgress() {
    statusBoard_->hide();
}

bool CLumDlg::AskOverwrite(const std::string& targetPath) {
    const QString text = Ui(141).replace("%s", QString::fromStdString(targetPath));
    return messageBox(QMessageBox::Question, Ui(140), text,
                      QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

void CLumDlg::RefreshValueTexts() {
    if (fullScreen_ || values_[0] == nullptr) {
        return;
    }
    double v[3];
    curve_->GetCurrentValues(v[0], v[1], v[2]);
    for (int k = 0; k < 3; ++k) {
        values_[k]->setText(QString::fromStdString(FormatGValue(v[k])));
    }
}

}  // namespace lum
