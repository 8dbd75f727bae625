#include "ui/ComparisonWindow.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QBuffer>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHorizontalBarSeries>
#include <QMessageBox>
#include <QScrollArea>
#include <QSettings>
#include <QSplitter>
#include <QStandardPaths>
#include <QValueAxis>

#include "core/history/SheetImport.h"
#include "core/report/OutputFile.h"
#include "core/results/PreciseFigures.h"
#include "ui/WindowCentring.h"

namespace torvik {
namespace {

QString RunLabel(const StoredRun& run) {
  const QString when = run.origin == kOriginProgram ? run.started.left(16).replace(u'T', u' ') : run.started;
  return QStringList({when, run.group, run.pcName, QStringLiteral("#%1").arg(run.id)}).join(u' ').simplified();
}

// A drawing test's figure is one shape per call on an X server; drawn on
// another platform (native Wayland) it measures something else.
QString BarLabel(const StoredRun& run, Test test) {
  const bool comparable = run.platform.isEmpty() || run.platform == u"xcb" || !Runs(Group::Graphic, test);
  return comparable
             ? RunLabel(run)
             : RunLabel(run) +
                   QCoreApplication::translate("torvik::ComparisonWindow", " [%1: 比較できません]").arg(run.platform);
}

// What a test shows: its precise figure, or for an imported run the one
// its tenths give (its work is the test's, always the same).
std::optional<double> ValueOf(const StoredTest& test, bool rates) {
  const std::optional<Test> which = TestOfId(test.test);
  if (!which) return std::nullopt;
  if (!rates) return test.seconds ? *test.seconds : test.tenths / 10.0;
  if (test.rate) return *test.rate;
  if (test.tenths <= 0) return std::nullopt;
  return EntryOf(*which).standardWork / (test.tenths / 10.0) / EntryOf(*which).perUnit;
}

// The window's size between runs, in the program's own data folder: the
// settings file holds only what the settings dialog sets.
constexpr QSize kFirstSize(960, 720);
const auto kSizeKey = QStringLiteral("Comparison/Size");

QSettings WindowSizes() {
  return QSettings(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/windows.conf"),
                   QSettings::IniFormat);
}

}  // namespace

ComparisonWindow::ComparisonWindow(ResultStore& store, QWidget* parent) : QDialog(parent), store_(store) {
  setObjectName(QStringLiteral("Comparison"));
  setWindowTitle(texts::ComparisonCaption());
  setWindowFlags(Qt::Window);
  const QSize remembered = WindowSizes().value(kSizeKey).toSize();
  resize(remembered.isValid() ? remembered : kFirstSize);
  KeepFittedAndCentredWhenShown(*this);

  model_ = new RunListModel(store_, this);
  list_ = new QTableView;
  list_->setObjectName(QStringLiteral("RunList"));
  list_->setModel(model_);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->verticalHeader()->hide();
  list_->horizontalHeader()->setStretchLastSection(true);
  list_->setColumnWidth(0, 190);
  list_->setColumnWidth(3, 240);

  seconds_ = new QRadioButton(tr("時間・秒(&T)"));
  rates_ = new QRadioButton(tr("速度(&R)"));
  seconds_->setChecked(true);
  auto* import = new QPushButton(texts::ImportSheets());
  export_ = new QPushButton(tr("CSVに書き出す(&E)..."));
  delete_ = new QPushButton(tr("削除(&D)..."));
  auto* close = new QPushButton(tr("閉じる(&C)"));
  auto* buttons = new QHBoxLayout;
  for (QWidget* widget : std::initializer_list<QWidget*>{seconds_, rates_}) buttons->addWidget(widget);
  buttons->addStretch();
  for (QWidget* widget : std::initializer_list<QWidget*>{import, export_, delete_, close}) buttons->addWidget(widget);

  status_ = new QLabel;
  status_->setWordWrap(true);
  auto* chartArea = new QWidget;
  charts_ = new QVBoxLayout(chartArea);
  charts_->addStretch();
  auto* scroll = new QScrollArea;
  scroll->setWidgetResizable(true);
  scroll->setWidget(chartArea);

  auto* splitter = new QSplitter(Qt::Vertical);
  splitter->addWidget(list_);
  splitter->addWidget(scroll);
  splitter->setSizes({260, 460});
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(splitter);
  layout->addLayout(buttons);
  layout->addWidget(status_);

  if (!store_.Open()) {
    status_->setText(tr("計測結果を開けません: ") + store_.Error());
    for (QPushButton* button : {import, export_, delete_}) button->setEnabled(false);
  }
  connect(model_, &RunListModel::tickedChanged, this, &ComparisonWindow::RebuildCharts);
  connect(rates_, &QRadioButton::toggled, this, &ComparisonWindow::RebuildCharts);
  connect(import, &QPushButton::clicked, this, &ComparisonWindow::ImportClicked);
  connect(export_, &QPushButton::clicked, this, &ComparisonWindow::ExportClicked);
  connect(delete_, &QPushButton::clicked, this, &ComparisonWindow::DeleteClicked);
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  RebuildCharts();
}

void ComparisonWindow::hideEvent(QHideEvent* event) {
  const QSize size = isMaximized() || isFullScreen() ? normalGeometry().size() : this->size();
  if (size.isValid()) WindowSizes().setValue(kSizeKey, size);
  QDialog::hideEvent(event);
}

void ComparisonWindow::SetShowRates(bool rates) { (rates ? rates_ : seconds_)->setChecked(true); }

std::vector<std::pair<QString, double>> ComparisonWindow::Bars(const QString& test) const {
  const auto it = bars_.find(test);
  return it == bars_.end() ? std::vector<std::pair<QString, double>>() : it->second;
}

QStringList ComparisonWindow::ChartedTests() const {
  QStringList tests;
  for (const TestEntry& entry : kTests) {
    const QString id = QLatin1String(entry.id);
    if (bars_.contains(id)) tests << id;
  }
  return tests;
}

void ComparisonWindow::RebuildCharts() {
  while (charts_->count() > 1) {
    QLayoutItem* item = charts_->takeAt(0);
    delete item->widget();
    delete item;
  }
  bars_.clear();
  const bool rates = rates_->isChecked();
  const std::vector<int64_t> ticked = model_->Ticked();
  for (int64_t id : ticked) {
    const StoredRun run = store_.RunWithTests(id);
    for (const StoredTest& test : run.tests) {
      const std::optional<Test> which = TestOfId(test.test);
      if (!which) continue;
      if (const auto value = ValueOf(test, rates)) bars_[test.test].emplace_back(BarLabel(run, *which), *value);
    }
  }
  delete_->setEnabled(!ticked.empty() && store_.Open());
  export_->setEnabled(!ticked.empty() && store_.Open());
  int position = 0;
  for (const QString& test : ChartedTests()) {
    const Test which = *TestOfId(test);
    const auto& bars = bars_[test];
    auto* set = new QBarSet(test);
    QStringList categories;
    double top = 0;
    // The first ticked run on top: horizontal bars are drawn from the bottom.
    for (auto it = bars.rbegin(); it != bars.rend(); ++it) {
      set->append(it->second);
      categories << it->first;
      top = std::max(top, it->second);
    }
    auto* series = new QHorizontalBarSeries;
    series->append(set);
    series->setLabelsVisible(true);
    series->setLabelsPrecision(4);
    series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    auto* chart = new QChart;
    chart->addSeries(series);
    const TestEntry& entry = EntryOf(which);
    chart->setTitle(QStringLiteral("%1 (%2)").arg(QLatin1String(entry.displayName),
                                                  rates ? QString::fromLatin1(entry.unit) : QStringLiteral("s")));
    chart->legend()->hide();
    auto* names = new QBarCategoryAxis;
    names->append(categories);
    chart->addAxis(names, Qt::AlignLeft);
    series->attachAxis(names);
    auto* values = new QValueAxis;
    values->setRange(0, top > 0 ? top * 1.25 : 1);  // room for the labels
    chart->addAxis(values, Qt::AlignBottom);
    series->attachAxis(values);
    auto* view = new QChartView(chart);
    view->setObjectName(QStringLiteral("Chart_") + test);
    view->setMinimumHeight(110 + 34 * static_cast<int>(bars.size()));
    charts_->insertWidget(position++, view);
  }
}

QString ComparisonWindow::ImportSheets(const QStringList& files) {
  const QString message = ImportMessage(ImportSheetFiles(store_, files, QDateTime::currentDateTime()));
  model_->Reload();
  status_->setText(message);
  return message;
}

bool ComparisonWindow::ExportCsv(const QString& path) {
  QBuffer csv;
  csv.open(QIODevice::WriteOnly);
  if (!store_.ExportCsv(model_->Ticked(), csv)) {
    status_->setText(store_.Error());
    return false;
  }
  if (const QString error = WriteOutput(path, csv.data()); !error.isEmpty()) {
    status_->setText(error);
    return false;
  }
  status_->setText(tr("%1 に書き出しました。").arg(path));
  return true;
}

void ComparisonWindow::DeleteTicked() {
  if (!store_.Delete(model_->Ticked())) status_->setText(store_.Error());
  model_->ClearTicks();
  model_->Reload();
}

void ComparisonWindow::ImportClicked() {
  const QStringList files = QFileDialog::getOpenFileNames(this, texts::ImportSheets(), QString(),
                                                          tr("結果シート (*.txt);;すべてのファイル (*)"));
  if (!files.isEmpty()) QMessageBox::information(this, windowTitle(), ImportSheets(files));
}

void ComparisonWindow::ExportClicked() {
  const QString path = QFileDialog::getSaveFileName(this, tr("CSVに書き出す"), QStringLiteral("torvik-results.csv"),
                                                    QStringLiteral("CSV (*.csv)"));
  if (!path.isEmpty()) ExportCsv(path);
}

void ComparisonWindow::DeleteClicked() {
  const int count = static_cast<int>(model_->Ticked().size());
  const auto answer =
      QMessageBox::question(this, windowTitle(), tr("選択した %1 件の計測結果を削除しますか？").arg(count));
  if (answer == QMessageBox::Yes) DeleteTicked();
}

}  // namespace torvik
