#include "ui/GaugeAccessible.h"

#include "ui/Gauge.h"

namespace torvik {
namespace {

QAccessibleInterface* GaugeFactory(const QString&, QObject* object) {
  if (auto* gauge = dynamic_cast<Gauge*>(object)) return new GaugeAccessible(gauge);
  return nullptr;
}

}  // namespace

GaugeAccessible::GaugeAccessible(Gauge* gauge) : QAccessibleWidget(gauge, QAccessible::ProgressBar) {}

const Gauge& GaugeAccessible::gauge() const { return *static_cast<const Gauge*>(widget()); }

void* GaugeAccessible::interface_cast(QAccessible::InterfaceType type) {
  if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
  return QAccessibleWidget::interface_cast(type);
}

QString GaugeAccessible::text(QAccessible::Text t) const {
  if (t == QAccessible::Value) return QStringLiteral("%1%").arg(gauge().CompletedPercent());
  return QAccessibleWidget::text(t);
}

QVariant GaugeAccessible::currentValue() const { return gauge().Progress(); }
QVariant GaugeAccessible::maximumValue() const { return gauge().MaxValue(); }
QVariant GaugeAccessible::minimumValue() const { return gauge().MinValue(); }

void InstallGaugeAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(&GaugeFactory);
    return true;
  }();
  (void)installed;
}

}  // namespace torvik
