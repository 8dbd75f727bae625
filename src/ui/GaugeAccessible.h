// What a screen reader learns of the gauge: a progress bar named by the
// window, whose value is the gauge's progress within its range, announced
// as it moves. Installed once by the main window. GUI thread only.
#pragma once

#include <QAccessibleWidget>

namespace torvik {

class Gauge;

class GaugeAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  explicit GaugeAccessible(Gauge* gauge);

  void* interface_cast(QAccessible::InterfaceType type) override;
  QString text(QAccessible::Text t) const override;

  // QAccessibleValueInterface: the progress, read-only.
  QVariant currentValue() const override;
  void setCurrentValue(const QVariant&) override {}
  QVariant maximumValue() const override;
  QVariant minimumValue() const override;
  QVariant minimumStepSize() const override { return 1; }

 private:
  const Gauge& gauge() const;
};

// Makes screen readers use GaugeAccessible for every gauge (once).
void InstallGaugeAccessibility();

}  // namespace torvik
