#include "dialogs/CTesConfigDlg.h"

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>

#include "dialogs/DialogUnits.h"

namespace lum {

namespace {

constexpr int kMapEntryStringId = 105;

QComboBox* MakeEditableCombo(QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    // Typed text selects nothing and is never added to the list.
    combo->setInsertPolicy(QComboBox::NoInsert);
    return combo;
}

}  // namespace

CTesConfigDlg::CTesConfigDlg(QWidget* parent) : CTesConfigDlg(CLumSettings::Instance(), parent) {}

CTesConfigDlg::CTesConfigDlg(CLumSettings& settings, QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      // Group boxes first, so the controls drawn inside them stay on top.
      mapGroup_(new QGroupBox(this)),
      mapCombo_(MakeEditableCombo(this)),
      mapApply_(new QPushButton(this)),
      languageGroup_(new QGroupBox(this)),
      languageCombo_(MakeEditableCombo(this)),
      languageApply_(new QPushButton(this)),
      ok_(new QPushButton(this)),
      cancel_(new QPushButton(this)) {
    const auto place = [](QWidget* control, int id, QRect rect) {
        SetControlId(control, id);
        control->setGeometry(rect);
    };
    setFixedSize(DialogUnitsToPixelsX(kWidthUnits), DialogUnitsToPixelsY(kHeightUnits));
    UseTemplateFont(this);
    place(mapGroup_, kIdMapGroup, DialogRect(6, 3, 134, 83));
    place(mapCombo_, kIdMapCombo, DialogRect(22, 23, 98, 17));
    place(mapApply_, kIdMapApply, DialogRect(29, 55, 84, 14));
    place(languageGroup_, kIdLanguageGroup, DialogRect(146, 3, 131, 83));
    place(languageCombo_, kIdLanguageCombo, DialogRect(164, 23, 96, 16));
    place(languageApply_, kIdLanguageApply, DialogRect(172, 55, 81, 14));
    place(ok_, kIdOk, DialogRect(173, 91, 50, 14));
    place(cancel_, kIdCancel, DialogRect(227, 91, 50, 14));
    ok_->setDefault(true);

    connect(mapApply_, &QPushButton::clicked, this, &CTesConfigDlg::OnMapApply);
    connect(languageApply_, &QPushButton::clicked, this, &CTesConfigDlg::OnLanguageApply);
    connect(ok_, &QPushButton::clicked, this, &CTesConfigDlg::accept);
    connect(cancel_, &QPushButton::clicked, this, &CTesConfigDlg::reject);

    for (const LanguageEntry& language : kLanguages) {
        languageCombo_->addItem(QString::fromUtf8(
            language.displayName.data(), static_cast<qsizetype>(language.displayName.size())));
    }
    mapCombo_->clear();
    // Only the first map is offered; the second map's text stays unused.
    mapCombo_->addItem(QString::fromStdString(settings_.LoadUiString(kMapEntryStringId)));
    languageCombo_->setCurrentIndex(settings_.LanguageIndex());
    SetTexts();
    SelectMapEntry(settings_.ReadMapOption());
}

int CTesConfigDlg::Selection(const QComboBox* combo) {
    const int index = combo->currentIndex();
    if (index < 0 || combo->itemText(index) != combo->currentText()) {
        return -1;
    }
    return index;
}

void CTesConfigDlg::SetTexts() {
    const auto text = [this](int id) { return QString::fromStdString(settings_.LoadUiString(id)); };
    setWindowTitle(text(110));
    ok_->setText(text(107));
    cancel_->setText(text(108));
    mapApply_->setText(text(109));
    languageApply_->setText(text(109));
    mapGroup_->setTitle(text(115));
    languageGroup_->setTitle(text(114));
    mapCombo_->setItemText(0, text(kMapEntryStringId));
}

void CTesConfigDlg::SelectMapEntry(int option) {
    mapCombo_->setCurrentIndex(option >= 0 && option < mapCombo_->count() ? option : 0);
}

void CTesConfigDlg::ApplyMap() {
    mapChoice_ = 0;
    settings_.WriteIntSetting("UI", "MAP", 0);
    // Keeps the settings object's map option in step with what was just written.
    settings_.ReadMapOption();
    emit MapKindChanged();
}

void CTesConfigDlg::OnMapApply() {
    ApplyMap();
}

void CTesConfigDlg::OnLanguageApply() {
    const int index = Selection(languageCombo_);
    settings_.SetLanguage(index);
    const int mapEntry = mapCombo_->currentIndex();
    SetTexts();
    mapCombo_->setCurrentIndex(mapEntry);
    emit LanguageChanged(index);
}

void CTesConfigDlg::accept() {
    ApplyMap();
    const int index = Selection(languageCombo_);
    settings_.SetLanguage(index);
    SetTexts();
    SelectMapEntry(settings_.ReadMapOption());
    emit LanguageChanged(index);
    QDialog::accept();
}

}  // namespace lum
