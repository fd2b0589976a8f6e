// Dialog-template geometry and control ids for dialogs whose children are made in code.
#pragma once

#include <QRect>

class QWidget;

namespace lum {

// One horizontal dialog unit is 1.5 px and one vertical unit 1.625 px; rounded to the
// nearest pixel, halves away from zero, as the template conversion does.
constexpr int DialogUnitsToPixelsX(int units) {
    return units >= 0 ? (units * 6 + 2) / 4 : -((-units * 6 + 2) / 4);
}
constexpr int DialogUnitsToPixelsY(int units) {
    return units >= 0 ? (units * 13 + 4) / 8 : -((-units * 13 + 4) / 8);
}
constexpr QRect DialogRect(int x, int y, int width, int height) {
    return QRect(DialogUnitsToPixelsX(x), DialogUnitsToPixelsY(y), DialogUnitsToPixelsX(width),
                 DialogUnitsToPixelsY(height));
}

// The templates are laid out for an 8-point dialog font, 11 pixels on a 96-dpi screen:
// at the desktop's own, often larger, size, labels would outgrow their controls.
inline constexpr int kTemplateFontPixels = 11;
// Gives a dialog whose children are placed in dialog units the font they were laid out for.
void UseTemplateFont(QWidget* dialog);

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// Tags a child with its template id, so tooltips, layout and tests can find it by number.
void SetControlId(QWidget* control, int id);
int ControlIdOf(const QWidget* control);
// The direct or indirect child of parent with that id, or null.
QWidget* FindControl(const QWidget* parent, int id);

}  // namespace lum
