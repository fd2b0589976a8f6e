#include "dialogs/DialogUnits.h"

#include <QFont>
#include <QVariant>
#include <QWidget>

namespace lum {

namespace {
constexpr char kControlIdProperty[] = "lumControlId";
}

void SetControlId(QWidget* control, int id) {
    control->setProperty(kControlIdProperty, id);
}

int ControlIdOf(const QWidget* control) {
    const QVariant id = control->property(kControlIdProperty);
    return id.isValid() ? id.toInt() : 0;
}

void UseTemplateFont(QWidget* dialog) {
    QFont font = dialog->font();
    font.setPixelSize(kTemplateFontPixels);
    dialog->setFont(font);
}

QWidget* FindControl(const QWidget* parent, int id) {
    for (QWidget* child : parent->findChildren<QWidget*>()) {
        if (ControlIdOf(child) == id) {
            return child;
        }
    }
    return nullptr;
}

}  // namespace lum
