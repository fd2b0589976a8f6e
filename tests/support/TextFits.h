// Whether the texts of a dialog's controls fit the room the style gives them, measured in
// each control's own font: a clipped or overlapping label shows here before a screenshot.
#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>

namespace lum::test {

// Each text that does not fit, as "text: needs N px, has M".
inline QStringList TextsThatDoNotFit(const QWidget& dialog) {
    QStringList misfits;
    const auto check = [&misfits](const QString& text, int needs, int has) {
        if (needs > has) {
            misfits << QStringLiteral("%1: needs %2 px, has %3").arg(text).arg(needs).arg(has);
        }
    };
    for (const QWidget* control : dialog.findChildren<QWidget*>()) {
        const QStyle* style = control->style();
        const QFontMetrics metrics = control->fontMetrics();
        if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
            QStyleOptionButton option;
            option.initFrom(button);
            option.rect = button->rect();
            option.text = button->text();
            const bool radio = qobject_cast<const QRadioButton*>(button) != nullptr;
            const QRect room = style->subElementRect(
                radio ? QStyle::SE_RadioButtonContents : QStyle::SE_PushButtonContents, &option,
                button);
            // A radio button's text starts a few pixels into its contents.
            const int inset = radio ? 2 : 0;
            check(button->text(), metrics.horizontalAdvance(button->text()) + inset, room.width());
        } else if (const auto* group = qobject_cast<const QGroupBox*>(control)) {
            // The title sits on the frame with a few pixels of frame on either side.
            check(group->title(), metrics.horizontalAdvance(group->title()) + 16, group->width());
        } else if (const auto* combo = qobject_cast<const QComboBox*>(control)) {
            QStyleOptionComboBox option;
            option.initFrom(combo);
            option.rect = combo->rect();
            option.editable = combo->isEditable();
            const QRect room = style->subControlRect(QStyle::CC_ComboBox, &option,
                                                     QStyle::SC_ComboBoxEditField, combo);
            for (int i = 0; i < combo->count(); ++i) {
                check(combo->itemText(i), metrics.horizontalAdvance(combo->itemText(i)) + 4,
                      room.width());
            }
        }
    }
    return misfits;
}

}  // namespace lum::test
