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
  for (const QString& test : ranking.tests) headers << InfoOf(test).displayName;
  table.clear();
  table.setColumnCount(static_cast<int>(headers.size()));
  table.setHorizontalHeaderLabels(headers);
  table.setRowCount(static_cast<int>(ranking.machines.size()));
  const QString baseline = QCoreApplication::translate("RankingTable", "基準");
  const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
  for (size_t row = 0; row < ranking.machines.size(); ++row) {
    const RankedMachine& machine = ranking.machines[row];
    const bool isBaseline = row == ranking.baseline;
    const int r = static_cast<int>(row);
    table.setItem(r, 0, Cell(QString::number(row + 1), right));
    table.setItem(r, 1, Cell(machine.machine.name.isEmpty() ? QStringLiteral("-") : machine.machine.name));
    table.setItem(r, 2, Cell(machine.machine.processor));
    table.setItem(r, 3, Cell(QString::number(machine.repetitions), right));
    table.setItem(r, 4,
                  Cell(isBaseline        ? baseline
                       : machine.overall ? FasterText(*machine.overall)
                                         : QStringLiteral("-"),
                       right));
    for (size_t j = 0; j < machine.tests.size(); ++j) {
      const RankedTest& test = machine.tests[j];
      const QString text = isBaseline           ? baseline
                           : test.fasterPercent ? FasterText(*test.fasterPercent) + VerdictMark(test.verdict)
                                                : QStringLiteral("-");
      QTableWidgetItem* item = Cell(text, right);
      if (test.fasterPercent) item->setToolTip(VerdictCaption(test.verdict));
      table.setItem(r, 5 + static_cast<int>(j), item);
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
