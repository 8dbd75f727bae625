#include "core/analysis/FigureWords.h"

#include <QCoreApplication>

#include "core/results/PreciseFigures.h"

namespace torvik {

QString FasterText(double percent) {
  return QStringLiteral("%1%2 %").arg(percent >= 0 ? "+" : "").arg(percent, 0, 'f', 1);
}

QString DifferenceText(double percent, Verdict verdict) { return FasterText(percent) + u' ' + VerdictCaption(verdict); }

QString SecondsText(const Figure& figure) {
  return QString::number(figure.seconds, 'f', figure.precise ? 4 : 1) + QStringLiteral(" s");
}

QString RateWithSpreadText(const Figure& figure, const QString& unit) {
  QString text = RateText(figure.rate, unit, u'.');
  if (figure.precise && figure.repetitions > 1 && figure.rateStdev > 0) {
    text += QStringLiteral(" ±") + RateText(figure.rateStdev, unit, u'.');
  }
  return text;
}

QString FigureText(const Figure& figure, const QString& unit, bool rates) {
  QString text = rates ? RateText(figure.rate, unit, u'.') : SecondsText(figure);
  if (!figure.precise) return text + QCoreApplication::translate("ComparisonChart", " (0.1 秒単位)");
  if (figure.repetitions > 1) {
    const double spread = rates ? figure.rateStdev / figure.rate : figure.secondsStdev / figure.seconds;
    text += QStringLiteral(" ±%1 %").arg(spread * 100, 0, 'f', 1);
  }
  return text;
}

QString BarValueText(double value, bool precise, bool rates) {
  if (rates) return QStringLiteral("%1 %").arg(value, 0, 'f', 1);
  return QStringLiteral("%1 s").arg(value, 0, 'f', precise ? 4 : 1);
}

QString VerdictCaption(Verdict verdict) {
  switch (verdict) {
    case Verdict::Faster: return QCoreApplication::translate("Verdict", "速い");
    case Verdict::Slower: return QCoreApplication::translate("Verdict", "遅い");
    case Verdict::WithinNoise: return QCoreApplication::translate("Verdict", "誤差の範囲");
    case Verdict::NotTested: break;
  }
  return QCoreApplication::translate("Verdict", "未検定");
}

QString VerdictMark(Verdict verdict) {
  switch (verdict) {
    case Verdict::Faster: return QStringLiteral(" ▲");
    case Verdict::Slower: return QStringLiteral(" ▼");
    case Verdict::WithinNoise: return QStringLiteral(" ≈");
    case Verdict::NotTested: break;
  }
  return {};
}

QString VerdictWords(Verdict verdict) {
  switch (verdict) {
    case Verdict::Faster: return QStringLiteral("faster");
    case Verdict::Slower: return QStringLiteral("slower");
    case Verdict::WithinNoise: return QStringLiteral("within the noise");
    case Verdict::NotTested: break;
  }
  return QStringLiteral("not tested");
}

}  // namespace torvik
