#include "ui/RankingTable.h"

#include <QCoreApplication>
#include <QHeaderView>

#include "core/analysis/FigureWords.h"

namespace torvik {
namespace {

QTableWidgetItem* Cell(const QString& text, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter) {
  auto* item = new QTableWidgetItem(text);
  item->setTextAlignment(alignment);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

}  // namespace

void ShowRanking(QTableWidget& table, const MachineRanking& ranking) {
  const auto text = [](const char* japanese) { return QCoreApplication::translate("RankingTable", japanese); };
  QStringList headers = {text(QT_TRANSLATE_NOOP("RankingTable", "順位")),
                         text(QT_TRANSLATE_NOOP("RankingTable", "マシン")),
                         text(QT_TRANSLATE_NOOP("RankingTable", "プロセッサ")), QStringLiteral("n"),
                         text(QT_TRANSLATE_NOOP("RankingTable", "総合"))};
  for (SummaryKind kind : ranking.summaries) headers << SummaryCaption(kind);
  for (const QString& test : ranking.tests) headers << InfoOf(test).displayName;
  const int firstTest = 5 + static_cast<int>(ranking.summaries.size());
  table.clear();
  table.setColumnCount(static_cast<int>(headers.size()));
  table.setHorizontalHeaderLabels(headers);
  if (!ranking.summaries.empty()) {  // what a group of points ranks by
    table.horizontalHeaderItem(4)->setToolTip(QCoreApplication::translate("RankingTable", "総合は %1 の値です")
                                                  .arg(SummaryCaption(HeadlineOf(ranking.group))));
  }
  table.setRowCount(static_cast<int>(ranking.machines.size()));
  const QString baseline = QCoreApplication::translate("RankingTable", "基準");
  const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
  for (size_t row = 0; row < ranking.machines.size(); ++row) {
    const RankedMachine& machine = ranking.machines[row];
    const bool isBaseline = row == ranking.baseline;
    const int r = static_cast<int>(row);
    table.setItem(r, 0, Cell(QString::number(row + 1), right));
    QTableWidgetItem* name = Cell(machine.machine.name.isEmpty() ? QStringLiteral("-") : machine.machine.name);
    if (!machine.notFigures.empty()) {
      // A test its store holds no figure for is left out: "-" says it, the tooltip why.
      QStringList tests;
      for (const QString& test : machine.notFigures) tests << InfoOf(test).displayName;
      name->setToolTip(
          QCoreApplication::translate("RankingTable", "値ではないため除外: %1").arg(tests.join(QStringLiteral(", "))));
    }
    table.setItem(r, 1, name);
    table.setItem(r, 2, Cell(machine.machine.processor));
    table.setItem(r, 3, Cell(QString::number(machine.repetitions), right));
    table.setItem(r, 4,
                  Cell(isBaseline        ? baseline
                       : machine.overall ? FasterText(*machine.overall)
                                         : QStringLiteral("-"),
                       right));
    for (size_t k = 0; k < machine.summaries.size(); ++k) {
      const std::optional<double>& summary = machine.summaries[k];
      table.setItem(r, 5 + static_cast<int>(k),
                    Cell(isBaseline ? baseline
                         : summary  ? FasterText(*summary)
                                    : QStringLiteral("-"),
                         right));
    }
    for (size_t j = 0; j < machine.tests.size(); ++j) {
      const RankedTest& test = machine.tests[j];
      const QString text = isBaseline           ? baseline
                           : test.fasterPercent ? FasterText(*test.fasterPercent) + VerdictMark(test.verdict)
                                                : QStringLiteral("-");
      QTableWidgetItem* item = Cell(text, right);
      if (test.fasterPercent) item->setToolTip(VerdictCaption(test.verdict));
      table.setItem(r, firstTest + static_cast<int>(j), item);
    }
    if (isBaseline) {
      for (int column = 0; column < table.columnCount(); ++column) {
        QFont font = table.item(r, column)->font();
        font.setBold(true);
        table.item(r, column)->setFont(font);
      }
    }
  }
  table.resizeColumnsToContents();
}

}  // namespace torvik
