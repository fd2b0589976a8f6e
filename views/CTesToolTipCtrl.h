// The hints of the main window's controls, shown as balloons, with the list of
// registered windows so all can be removed at once on a language change.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <vector>

namespace lum {

class CTesToolTipCtrl : public QObject {
    Q_OBJECT
  public:
    explicit CTesToolTipCtrl(QObject* parent = nullptr) : QObject(parent) {}
    // Registers a window's hint; a window already registered gets the new text only.
    void AddTool(QWidget* window, const QString& text);
    void RemoveAllTools();
    std::size_t ToolCount() const { return tools_.size(); }
    // The balloon look for the hints of the whole program.
    static QString BalloonStyleSheet();

  private:
    std::vector<QPointer<QWidget>> tools_;
};

}  // namespace lum
