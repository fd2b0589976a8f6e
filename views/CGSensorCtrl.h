// The three-axis acceleration record as curves of its change, with a time scale
// and a cursor at the playback position.
#pragma once

#include <QRect>
#include <QWidget>
#include <array>

#include "catalogue/CatalogueViews.h"
#include "views/core/CurveModel.h"

namespace lum {

class CGSensorCtrl : public QWidget, public IGSensorCurveView {
    Q_OBJECT
  public:
    explicit CGSensorCtrl(QWidget* parent = nullptr);

    // The catalogue's calls when a recording is loaded.
    void SetScale(double fullScale, double range) override;
    bool ClearSamples() override;
    bool LoadSamples(const GSensorSample* samples, std::size_t count) override;
    bool SetSampleRate(double samplesPerMs) override;
    void Repaint() override { update(); }

    bool SetPosition(int ms) override;
    void SetHideCurves(bool hide) override {
        m_bHideCurves = hide;
        update();
    }
    void GetCurrentValues(double& first, double& second, double& third) const;

    // While set, no curve is drawn (frame, ticks and cursor still are).
    bool m_bHideCurves = false;

    // Where a click toggles axis k: its legend label in the strip above the plot.
    QRect AxisHitArea(int k) const;
    bool AxisVisible(int k) const { return model_.axisVisible[static_cast<std::size_t>(k)]; }
    const CurveModel& Model() const { return model_; }

    static constexpr QRgb kAxisColours[3] = {qRgb(255, 255, 0), qRgb(60, 255, 60),
                                             qRgb(255, 60, 60)};

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    CurveModel model_;
};

}  // namespace lum
