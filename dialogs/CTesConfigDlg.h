// The configuration dialog: the map option and the interface language, each with its
// own Apply button, and OK that applies both.
#pragma once

#include <QDialog>

#include "settings/CLumSettings.h"

class QComboBox;
class QGroupBox;
class QPushButton;

namespace lum {

class CTesConfigDlg : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kTemplateId = 147;
    static constexpr int kIdMapCombo = 1038;
    static constexpr int kIdMapApply = 1039;
    static constexpr int kIdMapGroup = 1040;
    static constexpr int kIdLanguageGroup = 1041;
    static constexpr int kIdLanguageCombo = 1042;
    static constexpr int kIdLanguageApply = 1043;
    static constexpr int kWidthUnits = 284;
    static constexpr int kHeightUnits = 112;

    // Texts and settings through the process-wide settings object.
    explicit CTesConfigDlg(QWidget* parent = nullptr);
    CTesConfigDlg(CLumSettings& settings, QWidget* parent = nullptr);

    // The map option handed back to the main window after OK; the dialog only offers 0.
    int MapChoice() const { return mapChoice_; }

    // The selection of a combo box with an edit field: -1 when the text was typed
    // rather than picked from the list.
    static int Selection(const QComboBox* combo);

    void accept() override;

  signals:
    // The main window's messages 0xc0b and 0xc02. They stand for posted messages:
    // connect them queued, so the main window handles them after the dialog returns.
    void MapKindChanged();
    void LanguageChanged(int index);

  private:
    void SetTexts();
    void SelectMapEntry(int option);
    void ApplyMap();
    void OnMapApply();
    void OnLanguageApply();

    CLumSettings& settings_;
    QGroupBox* mapGroup_;
    QComboBox* mapCombo_;
    QPushButton* mapApply_;
    QGroupBox* languageGroup_;
    QComboBox* languageCombo_;
    QPushButton* languageApply_;
    QPushButton* ok_;
    QPushButton* cancel_;
    int mapChoice_ = 0;
};

}  // namespace lum
