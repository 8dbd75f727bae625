#include "ui/ComparisonWindow.h"

#include <QBuffer>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPainter>
#include <QScrollArea>
#include <QSettings>
#include <QSplitter>
#include <QStandardPaths>
#include <QSvgGenerator>
#include <set>

#include "core/history/SheetImport.h"
#include "core/report/OutputFile.h"
#include "ui/ComparisonChart.h"
#include "ui/SharedStoreDialog.h"
#include "ui/WindowCentring.h"

namespace torvik {
namespace {

QString RunLabel(const StoredRun& run) {
  const QString when = run.origin == kOriginProgram ? run.started.left(16).replace(u'T', u' ') : run.started;
  return QStringList({when, run.group, run.pcName, QStringLiteral("#%1").arg(run.id)}).join(u' ').simplified();
}

// A drawing test's figure is one shape per call on an X server; drawn on
// another platform (native Wayland) it measures something else.
QString BarLabel(const StoredRun& run, const QString& label, Test test) {
  const bool comparable = run.platform.isEmpty() || run.platform == u"xcb" || !Runs(Group::Graphic, test);
  return comparable
             ? label
             : label +
                   QCoreApplication::translate("torvik::ComparisonWindow", " [%1: 比較できません]").arg(run.platform);
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
  baseline_ = new QComboBox;
  baseline_->setObjectName(QStringLiteral("Baseline"));
  baseline_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  baseline_->setMinimumContentsLength(16);
  auto* baselineLabel = new QLabel(tr("基準(&B):"));
  baselineLabel->setBuddy(baseline_);
  auto* machine = new QPushButton(tr("同じマシンを選択(&M)"));
  machine->setToolTip(tr("選択した行と同じ PC 名とプロセッサの計測をすべて選択します"));
  picture_ = new QPushButton(tr("グラフを書き出す(&G)..."));
  auto* import = new QPushButton(texts::ImportSheets());
  export_ = new QPushButton(tr("CSVに書き出す(&E)..."));
  delete_ = new QPushButton(tr("削除(&D)..."));
  auto* close = new QPushButton(tr("閉じる(&C)"));
  auto* sharing = new QPushButton(tr("共有(&S)..."));
  sharing->setToolTip(tr("複数の PC の計測結果を集める PostgreSQL の URL"));
  auto* chartRow = new QHBoxLayout;
  for (QWidget* widget : std::initializer_list<QWidget*>{seconds_, rates_, baselineLabel, baseline_}) {
    chartRow->addWidget(widget);
  }
  chartRow->addStretch();
  for (QWidget* widget : std::initializer_list<QWidget*>{machine, picture_}) chartRow->addWidget(widget);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (QWidget* widget : std::initializer_list<QWidget*>{sharing, import, export_, delete_, close}) {
    buttons->addWidget(widget);
  }

  status_ = new QLabel;
  status_->setWordWrap(true);
  chartArea_ = new QWidget;
  chartArea_->setObjectName(QStringLiteral("Charts"));
  chartArea_->setAutoFillBackground(true);
  charts_ = new QVBoxLayout(chartArea_);
  overall_ = new QLabel;
  overall_->setObjectName(QStringLiteral("Overall"));
  overall_->setWordWrap(true);
  charts_->addWidget(overall_);
  charts_->addStretch();
  auto* scroll = new QScrollArea;
  scroll->setWidgetResizable(true);
  scroll->setWidget(chartArea_);

  auto* splitter = new QSplitter(Qt::Vertical);
  splitter->addWidget(list_);
  splitter->addWidget(scroll);
  splitter->setSizes({260, 460});
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(splitter);
  layout->addLayout(chartRow);
  layout->addLayout(buttons);
  layout->addWidget(status_);

  if (!store_.Open()) {
    status_->setText(tr("計測結果を開けません: ") + store_.Error());
    for (QPushButton* button : {import, export_, delete_}) button->setEnabled(false);
  }
  connect(model_, &RunListModel::tickedChanged, this, &ComparisonWindow::RebuildCharts);
  connect(rates_, &QRadioButton::toggled, this, &ComparisonWindow::RebuildCharts);
  connect(baseline_, &QComboBox::activated, this, &ComparisonWindow::RebuildCharts);
  connect(machine, &QPushButton::clicked, this, [this] {
    if (list_->currentIndex().isValid()) model_->TickMachineOf(list_->currentIndex().row());
  });
  connect(picture_, &QPushButton::clicked, this, &ComparisonWindow::PictureClicked);
  connect(import, &QPushButton::clicked, this, &ComparisonWindow::ImportClicked);
  connect(export_, &QPushButton::clicked, this, &ComparisonWindow::ExportClicked);
  connect(delete_, &QPushButton::clicked, this, &ComparisonWindow::DeleteClicked);
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  connect(sharing, &QPushButton::clicked, this, [this] {
    SharedStoreDialog dialog(this);
    if (dialog.exec() == QDialog::Accepted) emit sharedStoreChosen(dialog.Url());
  });
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
  while (charts_->count() > 2) {  // the overall line and the closing stretch stay
    QLayoutItem* item = charts_->takeAt(1);
    delete item->widget();
    delete item;
  }
  bars_.clear();
  compared_.clear();
  const bool rates = rates_->isChecked();
  const std::vector<int64_t> ticked = model_->Ticked();
  // A ticked run stands for its command's repetitions: one bar for them.
  std::set<std::pair<QString, QString>> seriesShown;
  std::vector<QString> labels;
  for (int64_t id : ticked) {
    const std::vector<StoredRun> series = store_.SeriesOf(id);
    if (series.empty()) continue;
    if (!series.front().series.isEmpty() && !seriesShown.insert({series.front().series, series.front().group}).second) {
      continue;
    }
    compared_.push_back(FiguresOf(series));
    labels.push_back(series.size() > 1 ? RunLabel(series.front()) + QStringLiteral(" (n=%1)").arg(series.size())
                                       : RunLabel(series.front()));
  }
  for (size_t i = 0; i < compared_.size(); ++i) {
    for (const auto& [test, figure] : compared_[i].figures) {
      bars_[test].emplace_back(BarLabel(compared_[i].run, labels[i], *TestOfId(test)),
                               rates ? figure.rate : figure.seconds);
    }
  }
  // The baseline: the one chosen while it stays ticked, else the first.
  const int64_t chosen = baseline_->currentData().toLongLong();
  baseline_->clear();
  size_t baseline = 0;
  for (size_t i = 0; i < compared_.size(); ++i) {
    baseline_->addItem(labels[i], QVariant::fromValue<qlonglong>(compared_[i].run.id));
    if (compared_[i].run.id == chosen) baseline = i;
  }
  baseline_->setCurrentIndex(compared_.empty() ? -1 : static_cast<int>(baseline));
  baseline_->setEnabled(compared_.size() > 1);
  delete_->setEnabled(!ticked.empty() && store_.Open());
  export_->setEnabled(!ticked.empty() && store_.Open());
  picture_->setEnabled(!compared_.empty());

  QStringList overall;
  for (size_t i = 0; i < compared_.size(); ++i) {
    if (i == baseline) continue;
    if (const auto percent = OverallAgainst(compared_[i], compared_[baseline])) {
      overall << QStringLiteral("%1: %2%3 %")
                     .arg(labels[i].toHtmlEscaped(), *percent >= 0 ? "+" : "")
                     .arg(*percent, 0, 'f', 1);
    }
  }
  overall_->setText(
      overall.isEmpty()
          ? QString()
          : tr("<b>総合</b> (基準 %1 に対する速度の幾何平均、+ が速い): ").arg(labels[baseline].toHtmlEscaped()) +
                overall.join(QStringLiteral(" &nbsp;·&nbsp; ")));
  ChartInputs inputs{&compared_, labels, baseline, rates};
  int position = 1;
  for (const ChartGroup& group : ChartGroups()) {
    ChartInputs groupInputs = inputs;
    // Drawing figures of another platform than X are said not comparable.
    if (group.id == QLatin1String(EntryOf(Group::Graphic).id)) {
      for (size_t i = 0; i < compared_.size(); ++i) {
        groupInputs.labels[i] = BarLabel(compared_[i].run, labels[i], Test::Square);
      }
    }
    if (QWidget* chart = MakeGroupChart(group, groupInputs)) charts_->insertWidget(position++, chart);
  }
}

QString ComparisonWindow::ExportCharts(const QString& path) {
  QBuffer bytes;
  bytes.open(QIODevice::WriteOnly);
  if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
    QSvgGenerator svg;
    svg.setOutputDevice(&bytes);
    svg.setSize(chartArea_->size());
    svg.setViewBox(chartArea_->rect());
    svg.setTitle(windowTitle());
    QPainter painter(&svg);
    chartArea_->render(&painter);
  } else {
    chartArea_->grab().toImage().save(&bytes, "PNG");
  }
  const QString error = WriteOutput(path, bytes.data());
  status_->setText(error.isEmpty() ? tr("%1 に書き出しました。").arg(path) : error);
  return error;
}

void ComparisonWindow::PictureClicked() {
  const QString path =
      QFileDialog::getSaveFileName(this, tr("グラフを書き出す"), QStringLiteral("torvik-comparison.png"),
                                   QStringLiteral("PNG (*.png);;SVG (*.svg)"));
  if (!path.isEmpty()) ExportCharts(path);
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
