#include "CTesToolTipCtrl.h"

#include <algorithm>

namespace lum {

void CTesToolTipCtrl::AddTool(QWidget* window, const QString& text) {
    if (window == nullptr) {
        return;
    }
    window->setToolTip(text);
    if (std::find(tools_.begin(), tools_.end(), window) == tools_.end()) {
        tools_.emplace_back(window);
    }
}

void CTesToolTipCtrl::RemoveAllTools() {
    for (const QPointer<QWidget>& w : tools_) {
        if (w) {
            w->setToolTip(QString());
        }
    }
    tools_.clear();
}

QString CTesToolTipCtrl::BalloonStyleSheet() {
    return QStringLiteral(
        "QToolTip { color: #1a1a1a; background-color: #fffbe6; border: 1px solid #8a7f5a;"
        " border-radius: 8px; padding: 4px 8px; }");
}

}  // namespace lum
