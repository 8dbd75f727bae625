#include "ui/ComparisonWindow.h"

#include <QBuffer>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPainter>
#include <QRegularExpression>
#include <QScrollArea>
#include <QSettings>
#include <QSplitter>
#include <QStandardPaths>
#include <QSvgGenerator>
#include <QTextDocumentFragment>

#include "core/history/CsvExport.h"
#include "core/history/SheetImport.h"
#include "core/history/StoreLocation.h"
#include "core/page/ReportContents.h"
#include "core/report/OutputFile.h"
#include "ui/ChartTextAlternative.h"
#include "ui/ComparisonChart.h"
#include "ui/FileDialogs.h"
#include "ui/PeriodDateEdit.h"
#include "ui/RankingView.h"
#include "ui/SharedStoreDialog.h"
#include "ui/TrendView.h"
#include "ui/WindowCentring.h"

namespace torvik {
namespace {

// The window's size between runs, in the program's own data folder: the
// settings file holds only what the settings dialog sets.
constexpr QSize kFirstSize(960, 720);
const auto kSizeKey = QStringLiteral("Comparison/Size");

QSettings WindowSizes() {
  return QSettings(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/windows.conf"),
                   QSettings::IniFormat);
}

// Qt's SVG as a browser should show it: its size in CSS pixels (Qt gives
// millimetres), and every font family followed by a generic one, so that a
// machine without the window's font draws a sans-serif, not a serif.
QByteArray ForBrowsers(QByteArray svg, const QSize& size) {
  QString text = QString::fromUtf8(svg);
  static const QRegularExpression millimetres(QStringLiteral("(<svg[^>]*?) width=\"[0-9.]+mm\" height=\"[0-9.]+mm\""));
  text.replace(millimetres, QStringLiteral("\\1 width=\"%1px\" height=\"%2px\"").arg(size.width()).arg(size.height()));
  static const QRegularExpression family(QStringLiteral("font-family=\"([^\"]*)\""));
  text.replace(family, QStringLiteral("font-family=\"\\1, sans-serif\""));
  return text.toUtf8();
}

// The views below the list, in their tabs' order.
constexpr int kTrendPage = 1;
constexpr int kRankingPage = 2;

// Puts `page` in the place of the tab `index`'s placeholder, shown.
void Replace(QTabWidget& tabs, int index, QWidget* page) {
  const QSignalBlocker quiet(tabs);  // the same tab stays current
  const QString caption = tabs.tabText(index);
  delete tabs.widget(index);
  tabs.insertTab(index, page, caption);
  tabs.setCurrentIndex(index);
}

// What the series of the ticked runs brings from the store.
struct SeriesRead {
  std::vector<std::vector<StoredRun>> series;
  QString error;
};

}  // namespace

ComparisonWindow::ComparisonWindow(BackgroundArchive& archive, QWidget* parent) : QDialog(parent), archive_(archive) {
  setObjectName(QStringLiteral("Comparison"));
  setWindowTitle(texts::ComparisonCaption());
  setWindowFlags(Qt::Window);
  const QSize remembered = WindowSizes().value(kSizeKey).toSize();
  resize(remembered.isValid() ? remembered : kFirstSize);
  KeepFittedAndCentredWhenShown(*this);

  model_ = new RunListModel(archive_, this);
  list_ = new QTableView;
  list_->setObjectName(QStringLiteral("RunList"));
  list_->setModel(model_);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->verticalHeader()->hide();
  list_->horizontalHeader()->setStretchLastSection(true);
  list_->setColumnWidth(0, 190);
  list_->setColumnWidth(3, 240);
  // One stop for Tab: the arrows move inside, Tab goes on to the next control.
  list_->setTabKeyNavigation(false);
  list_->setAccessibleName(tr("保存された計測結果"));
  list_->setAccessibleDescription(tr("チェックを入れた計測をグラフで比較します"));
  // Until the list has arrived, and when it cannot be read, its place says so.
  listMessage_ = new QLabel(texts::Loading());
  listMessage_->setObjectName(QStringLiteral("ListMessage"));
  listMessage_->setAlignment(Qt::AlignCenter);
  listMessage_->setWordWrap(true);
  listMessage_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  listPlace_ = new QStackedWidget;
  listPlace_->addWidget(list_);
  listPlace_->addWidget(listMessage_);
  listPlace_->setCurrentWidget(listMessage_);

  seconds_ = new QRadioButton(tr("時間・秒(&T)"));
  rates_ = new QRadioButton(tr("速度(&R)"));
  seconds_->setChecked(true);
  baseline_ = new QComboBox;
  baseline_->setObjectName(QStringLiteral("Baseline"));
  baseline_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  baseline_->setMinimumContentsLength(16);
  auto* baselineLabel = new QLabel(tr("基準(&B):"));
  baselineLabel->setBuddy(baseline_);
  auto* machine = new QPushButton(tr("同じマシンを選択(&M)"));
  machine->setObjectName(QStringLiteral("SameMachine"));
  machine->setToolTip(tr("選択した行と同じ PC 名とプロセッサの計測をすべて選択します"));
  picture_ = new QPushButton(tr("グラフを書き出す(&G)..."));
  page_ = new QPushButton(tr("レポートを書き出す(&H)..."));
  page_->setObjectName(QStringLiteral("ExportPage"));
  page_->setToolTip(tr("選択した計測を、ブラウザで開ける 1 つの HTML ファイルに書き出します"));
  import_ = new QPushButton(texts::ImportSheets());
  export_ = new QPushButton(tr("CSVに書き出す(&E)..."));
  delete_ = new QPushButton(tr("削除(&D)..."));
  auto* close = new QPushButton(tr("閉じる(&C)"));
  close->setObjectName(QStringLiteral("Close"));
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
  for (QWidget* widget : std::initializer_list<QWidget*>{sharing, import_, export_, page_, delete_, close}) {
    buttons->addWidget(widget);
  }

  status_ = new QLabel;  // the list's place says it is loading
  status_->setObjectName(QStringLiteral("Status"));
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
  chartScroll_ = new QScrollArea;
  chartScroll_->setObjectName(QStringLiteral("ChartArea"));
  chartScroll_->setWidgetResizable(true);
  chartScroll_->setWidget(chartArea_);
  // Tab stops here, with a ring to show it; the arrows scroll the charts.
  chartScroll_->setFocusPolicy(Qt::StrongFocus);
  chartScroll_->setStyleSheet(
      QStringLiteral("QScrollArea#ChartArea { border: 2px solid transparent; }"
                     "QScrollArea#ChartArea:focus { border: 2px solid palette(highlight); }"));
  chartScroll_->setAccessibleName(tr("グラフ"));

  // The list's filter, applied by the store.
  groupFilter_ = new QComboBox;
  groupFilter_->setObjectName(QStringLiteral("GroupFilter"));
  groupFilter_->addItem(tr("すべて"), QString());
  for (const GroupEntry& group : kGroups) groupFilter_->addItem(QLatin1String(group.caption), QLatin1String(group.id));
  auto* groupLabel = new QLabel(tr("グループ(&U):"));
  groupLabel->setBuddy(groupFilter_);
  machineFilter_ = new QLineEdit;
  machineFilter_->setObjectName(QStringLiteral("MachineFilter"));
  machineFilter_->setPlaceholderText(tr("すべての PC"));
  machineFilter_->setClearButtonEnabled(true);
  auto* machineLabel = new QLabel(tr("PC 名(&N):"));
  machineLabel->setBuddy(machineFilter_);
  since_ = new PeriodDateEdit;
  until_ = new PeriodDateEdit;
  auto* sinceLabel = new QLabel(tr("期間(&F):"));
  sinceLabel->setBuddy(since_);
  for (QDateEdit* day : {since_, until_}) {
    day->setCalendarPopup(true);
    day->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    day->setMinimumDate(QDate(2000, 1, 1));
    day->setSpecialValueText(tr("指定なし"));  // the minimum: no bound
    day->setDate(day->minimumDate());
    connect(day, &QDateEdit::editingFinished, this, &ComparisonWindow::ApplyFilter);
  }
  since_->setObjectName(QStringLiteral("Since"));
  until_->setObjectName(QStringLiteral("Until"));
  until_->setAccessibleName(tr("期間の終わり"));
  auto* filterRow = new QHBoxLayout;
  for (QWidget* widget : std::initializer_list<QWidget*>{groupLabel, groupFilter_, machineLabel, machineFilter_,
                                                         sinceLabel, since_, new QLabel(QStringLiteral("–")), until_}) {
    filterRow->addWidget(widget);
  }
  filterRow->addStretch();
  connect(groupFilter_, &QComboBox::activated, this, &ComparisonWindow::ApplyFilter);
  connect(machineFilter_, &QLineEdit::editingFinished, this, &ComparisonWindow::ApplyFilter);

  auto* comparison = new QWidget;
  auto* comparisonLayout = new QVBoxLayout(comparison);
  comparisonLayout->setContentsMargins(0, 0, 0, 0);
  comparisonLayout->addWidget(chartScroll_);
  comparisonLayout->addLayout(chartRow);

  views_ = new QTabWidget;
  views_->setObjectName(QStringLiteral("Views"));
  views_->addTab(comparison, tr("比較(&1)"));
  // The trend and the ranking are made when first shown: the window opens
  // with the list and the comparison alone.
  views_->addTab(new QWidget, tr("推移(&2)"));
  views_->addTab(new QWidget, tr("ランキング(&3)"));
  connect(views_, &QTabWidget::currentChanged, this, &ComparisonWindow::ShowView);

  auto* splitter = new QSplitter(Qt::Vertical);
  splitter->addWidget(listPlace_);
  splitter->addWidget(views_);
  splitter->setSizes({240, 480});
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(filterRow);
  layout->addWidget(splitter);
  layout->addLayout(buttons);
  layout->addWidget(status_);
  // From the list Tab goes to the charts below it.
  setTabOrder(list_, chartScroll_);

  for (QPushButton* button : {import_, export_, delete_, picture_, page_}) button->setEnabled(false);
  connect(model_, &RunListModel::listRead, this, &ComparisonWindow::ShowListState);
  // A later page or the ticks of a machine that could not be read: said on
  // the status line, the rows read so far stay.
  connect(model_, &RunListModel::readFailed, this,
          [this](const QString& error) { status_->setText(texts::CannotRead() + error); });
  connect(model_, &RunListModel::tickedChanged, this, &ComparisonWindow::ReadTicked);
  connect(rates_, &QRadioButton::toggled, this, &ComparisonWindow::Draw);
  connect(baseline_, &QComboBox::activated, this, &ComparisonWindow::Draw);
  connect(machine, &QPushButton::clicked, this, [this] {
    if (list_->currentIndex().isValid()) model_->TickMachineOf(list_->currentIndex().row());
  });
  connect(picture_, &QPushButton::clicked, this, &ComparisonWindow::PictureClicked);
  connect(page_, &QPushButton::clicked, this, &ComparisonWindow::PageClicked);
  connect(import_, &QPushButton::clicked, this, &ComparisonWindow::ImportClicked);
  connect(export_, &QPushButton::clicked, this, &ComparisonWindow::ExportClicked);
  connect(delete_, &QPushButton::clicked, this, &ComparisonWindow::DeleteClicked);
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  connect(sharing, &QPushButton::clicked, this, [this] {
    SharedStoreDialog dialog(archive_, this);
    if (dialog.exec() == QDialog::Accepted) emit sharedStoreChosen(dialog.Url());
  });
}

void ComparisonWindow::hideEvent(QHideEvent* event) {
  const QSize size = isMaximized() || isFullScreen() ? normalGeometry().size() : SizeToRemember(*this);
  if (size.isValid()) WindowSizes().setValue(kSizeKey, size);
  QDialog::hideEvent(event);
}

void ComparisonWindow::ShowListState(const QString& error) {
  listReadable_ = error.isEmpty();
  const bool ticked = !model_->Ticked().empty();
  delete_->setEnabled(ticked && listReadable_);
  export_->setEnabled(ticked && listReadable_);
  if (listReadable_) {
    listPlace_->setCurrentWidget(list_);
    status_->clear();
  } else {
    listMessage_->setText(texts::CannotRead() + error);
    listPlace_->setCurrentWidget(listMessage_);
    status_->clear();  // said in the list's place
  }
  import_->setEnabled(listReadable_);
}

void ComparisonWindow::SetShowRates(bool rates) { (rates ? rates_ : seconds_)->setChecked(true); }

void ComparisonWindow::ReadTicked() {
  const std::vector<int64_t> ticked = model_->Ticked();
  delete_->setEnabled(!ticked.empty() && listReadable_);
  export_->setEnabled(!ticked.empty() && listReadable_);
  const int asked = ++seriesAsked_;
  if (ticked.empty()) {
    status_->clear();  // an earlier tick's read, still waiting, is dropped
    series_.clear();
    return Draw();
  }
  status_->setText(texts::Loading());
  archive_.Ask<SeriesRead>(
      this,
      [ticked](RunArchive& archive) {
        ResultStore& store = archive.Compared();
        SeriesRead read;
        read.series = store.SeriesOf(ticked);
        read.error = store.Error();
        return read;
      },
      [this, asked](const SeriesRead& read) {
        if (asked != seriesAsked_) return;  // ticks changed meanwhile: another read follows
        status_->setText(read.error.isEmpty() ? QString() : texts::CannotRead() + read.error);
        series_ = read.series;
        Draw();
      });
}

void ComparisonWindow::Draw() {
  while (charts_->count() > 2) {  // the overall line and the closing stretch stay
    QLayoutItem* item = charts_->takeAt(1);
    delete item->widget();
    delete item;
  }
  const QVariant chosen = baseline_->currentData();
  const ComparisonPlan plan = PlanComparison(
      series_, chosen.isValid() ? std::optional<int64_t>(chosen.toLongLong()) : std::nullopt, rates_->isChecked());
  baseline_->clear();
  for (size_t i = 0; i < plan.runs.size(); ++i) {
    baseline_->addItem(plan.labels[i], QVariant::fromValue<qlonglong>(plan.runs[i].run.id));
  }
  baseline_->setCurrentIndex(plan.runs.empty() ? -1 : static_cast<int>(plan.baseline));
  baseline_->setEnabled(plan.runs.size() > 1);
  picture_->setEnabled(!plan.runs.empty());
  page_->setEnabled(!plan.runs.empty());

  QStringList overall;
  for (size_t i = 0; i < plan.runs.size(); ++i) {
    if (const std::optional<double> percent = plan.overall[i]) {
      overall << QStringLiteral("%1: %2%3 %")
                     .arg(plan.labels[i].toHtmlEscaped(), *percent >= 0 ? "+" : "")
                     .arg(*percent, 0, 'f', 1);
    }
  }
  QString text = overall.isEmpty() ? QString()
                                   : tr("<b>総合</b> (基準 %1 に対する速度の幾何平均、+ が速い): ")
                                             .arg(plan.labels[plan.baseline].toHtmlEscaped()) +
                                         overall.join(QStringLiteral(" &nbsp;·&nbsp; "));
  if (plan.folded > 0) {
    text += tr("<br>ほかに選択した %1 系列はグラフに入れていません (1 つのグラフに %2 "
               "系列まで)。マシンの長い記録は「推移」に。")
                .arg(plan.folded)
                .arg(kMostCompared);
  }
  if (!plan.runs.empty()) text += QStringLiteral("<br><small>%1</small>").arg(ChartKey().toHtmlEscaped());
  overall_->setText(text);
  int position = 1;
  for (const PlannedChart& chart : plan.charts) charts_->insertWidget(position++, MakeGroupChart(chart, plan.rates));
  // A screen reader reads the chart area's figures when it takes the focus.
  QStringList figures{QTextDocumentFragment::fromHtml(overall_->text()).toPlainText()};
  for (const PlannedChart& chart : plan.charts) figures << ChartTextAlternative(chart, plan.rates);
  chartScroll_->setAccessibleDescription(plan.charts.empty() ? tr("比較する計測が選ばれていません")
                                                             : figures.join(u'\n').trimmed());
  if (views_->currentIndex() == kTrendPage) ShowView();
  emit chartsDrawn();
}

void ComparisonWindow::ApplyFilter() {
  RunFilter filter;
  filter.group = groupFilter_->currentData().toString();
  if (!machineFilter_->text().trimmed().isEmpty()) filter.machine = machineFilter_->text().trimmed();
  if (since_->date() != since_->minimumDate()) filter.from = since_->date().startOfDay().toSecsSinceEpoch();
  if (until_->date() != until_->minimumDate())
    filter.to = until_->date().addDays(1).startOfDay().toSecsSinceEpoch() - 1;
  const RunFilter& now = model_->Filter();
  if (filter.group == now.group && filter.machine == now.machine && filter.from == now.from && filter.to == now.to)
    return;
  model_->SetFilter(filter);
  ShowView();
}

void ComparisonWindow::ShowView() {
  const int page = views_->currentIndex();
  if (page == kTrendPage && trend_ == nullptr) {
    trend_ = new TrendView(archive_);
    Replace(*views_, kTrendPage, trend_);
  }
  if (page == kRankingPage && ranking_ == nullptr) {
    ranking_ = new RankingView(archive_);
    Replace(*views_, kRankingPage, ranking_);
  }
  if (page == kTrendPage) trend_->Show(series_, model_->Filter());
  if (page != kRankingPage) return;
  // The group the list shows, else the ticked run's, else the newest run's.
  QString group = model_->Filter().group;
  if (group.isEmpty() && !series_.empty() && !series_.front().empty()) group = series_.front().front().group;
  if (group.isEmpty() && model_->rowCount() > 0) group = model_->RunAt(0).group;
  ranking_->Show(model_->Filter(), group);
}

QString ComparisonWindow::ExportCharts(const QString& path) {
  QBuffer bytes;
  bytes.open(QIODevice::WriteOnly);
  if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
    QSvgGenerator svg;
    svg.setOutputDevice(&bytes);
    svg.setSize(chartArea_->size());
    svg.setViewBox(chartArea_->rect());
    svg.setResolution(96);
    svg.setTitle(windowTitle());
    {
      QPainter painter(&svg);
      chartArea_->render(&painter);
    }
  } else {
    chartArea_->grab().toImage().save(&bytes, "PNG");
  }
  const bool svg = path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive);
  const QString error = WriteOutput(path, svg ? ForBrowsers(bytes.data(), chartArea_->size()) : bytes.data());
  status_->setText(error.isEmpty() ? tr("%1 に書き出しました。").arg(path) : error);
  return error;
}

void ComparisonWindow::EndWork(const QString& message) {
  status_->setText(message);
  emit workEnded(message);
}

void ComparisonWindow::PictureClicked() {
  const QString path = AskForFiles(this, FileDialogKind::kSaveFile, tr("グラフを書き出す"),
                                   QStringLiteral("torvik-comparison.png"), QStringLiteral("PNG (*.png);;SVG (*.svg)"))
                           .value(0);
  if (!path.isEmpty()) ExportCharts(path);
}

void ComparisonWindow::ImportSheets(const QStringList& files) { Import(files, {}); }

void ComparisonWindow::Import(const QStringList& files, const std::function<void(const QString&)>& then) {
  status_->setText(texts::Loading());
  archive_.Ask<QString>(
      this,
      [files](RunArchive& archive) {
        return ImportMessage(ImportSheetFiles(archive.Compared(), files, QDateTime::currentDateTime()));
      },
      [this, then](const QString& message) {
        model_->Reload();
        EndWork(message);
        if (then) then(message);
      });
}

void ComparisonWindow::ExportCsv(const QString& path) {
  const std::vector<int64_t> ticked = model_->Ticked();
  archive_.Ask<QString>(
      this,
      [ticked, path](RunArchive& archive) {
        ResultStore& store = archive.Compared();
        const std::vector<StoredRun> runs = store.RunsWithTests(ticked);
        if (!store.Error().isEmpty()) return store.Error();
        return WriteOutput(path, CsvOfRuns(runs));
      },
      [this, path](const QString& error) { EndWork(error.isEmpty() ? tr("%1 に書き出しました。").arg(path) : error); });
}

namespace {

// What deleting the ticked runs would delete: each with every repetition of
// its series, whose machines, from which store; or why this role may not.
struct Deletion {
  std::vector<int64_t> ids;
  QStringList machines;
  QString store;  // a shared store's location as shown; empty: this PC's
  bool allowed = false;
  QString error;
};

Deletion DeletionOf(RunArchive& archive, const std::vector<int64_t>& ticked) {
  ResultStore& store = archive.Compared();
  Deletion deletion;
  deletion.store = archive.HasSharedStore() ? ShownLocation(store.Path()) : QString();
  deletion.allowed = store.MayDelete();
  if (deletion.allowed) {
    for (const std::vector<StoredRun>& series : store.SeriesOf(ticked)) {
      for (const StoredRun& run : series) {
        if (std::find(deletion.ids.begin(), deletion.ids.end(), run.id) == deletion.ids.end()) {
          deletion.ids.push_back(run.id);
        }
        const QString machine = run.MachineName().isEmpty() ? QStringLiteral("-") : run.MachineName();
        if (!deletion.machines.contains(machine)) deletion.machines << machine;
      }
    }
  }
  deletion.error = store.Error();
  return deletion;
}

}  // namespace

void ComparisonWindow::DeleteTicked() { Delete(false); }

void ComparisonWindow::Delete(bool confirm) {
  const std::vector<int64_t> ticked = model_->Ticked();
  archive_.Ask<Deletion>(
      this, [ticked](RunArchive& archive) { return DeletionOf(archive, ticked); },
      [this, confirm, ticked = ticked.size()](const Deletion& deletion) {
        if (!deletion.error.isEmpty()) return EndWork(deletion.error);
        if (!deletion.allowed) {
          // Asked of the server before anything is tried: its members add and read.
          const QString refused = tr("この共有の計測結果から削除する権利がありません。削除はその所有者が行います。");
          if (confirm) QMessageBox::warning(this, windowTitle(), refused);
          return EndWork(refused);
        }
        if (confirm) {
          const QString repetitions =
              deletion.ids.size() > ticked ? tr("（選択した計測の繰り返しを含む）") : QString();
          const QString question =
              deletion.store.isEmpty()
                  ? tr("この PC の計測結果から、%1 の計測結果 %2 件%3を削除しますか？")
                        .arg(deletion.machines.join(QStringLiteral(", ")))
                        .arg(deletion.ids.size())
                        .arg(repetitions)
                  : tr("共有の計測結果 %1 から、%2 の計測結果 %3 件%4を削除します。どの PC からも見えなくなります。"
                       "よろしいですか？")
                        .arg(deletion.store, deletion.machines.join(QStringLiteral(", ")))
                        .arg(deletion.ids.size())
                        .arg(repetitions);
          if (QMessageBox::question(this, windowTitle(), question) != QMessageBox::Yes) return;
        }
        DeleteRuns(deletion.ids);
      });
}

void ComparisonWindow::DeleteRuns(const std::vector<int64_t>& ids) {
  archive_.Ask<QString>(
      this,
      [ids](RunArchive& archive) {
        ResultStore& store = archive.Compared();
        return store.Delete(ids) ? QString() : store.Error();
      },
      [this](const QString& error) {
        model_->ClearTicks();
        model_->Reload();
        EndWork(error);
      });
}

void ComparisonWindow::ImportClicked() {
  const QStringList files = AskForFiles(this, FileDialogKind::kOpenFiles, texts::ImportSheets(), QString(),
                                        tr("結果シート (*.txt);;すべてのファイル (*)"));
  // The counts in a box once the import has ended (the window goes on meanwhile).
  if (!files.isEmpty()) {
    Import(files, [this](const QString& message) { QMessageBox::information(this, windowTitle(), message); });
  }
}

void ComparisonWindow::ExportClicked() {
  const QString path = AskForFiles(this, FileDialogKind::kSaveFile, tr("CSVに書き出す"),
                                   QStringLiteral("torvik-results.csv"), QStringLiteral("CSV (*.csv)"))
                           .value(0);
  if (!path.isEmpty()) ExportCsv(path);
}

void ComparisonWindow::DeleteClicked() { Delete(true); }

void ComparisonWindow::PageClicked() {
  const QString path = AskForFiles(this, FileDialogKind::kSaveFile, tr("レポートを書き出す"),
                                   QStringLiteral("torvik-report.html"), QStringLiteral("HTML (*.html)"))
                           .value(0);
  if (!path.isEmpty()) ExportPage(path);
}

void ComparisonWindow::ExportPage(const QString& path) {
  const QVariant chosen = baseline_->currentData();
  const std::optional<int64_t> baseline = chosen.isValid() ? std::optional(chosen.toLongLong()) : std::nullopt;
  // The series are read again with the page made on the archive's thread:
  // the window goes on meanwhile.
  const std::vector<int64_t> ticked = model_->Ticked();
  status_->setText(texts::Loading());
  archive_.Ask<QString>(
      this,
      [ticked, baseline, path](RunArchive& archive) {
        ResultStore& store = archive.Compared();
        const std::vector<std::vector<StoredRun>> series = store.SeriesOf(ticked);
        if (!store.Error().isEmpty()) return store.Error();
        const QString shown = archive.HasSharedStore() ? ShownLocation(store.Path()) : store.Path();
        return WriteOutput(path, HtmlReportOfSeries(series, baseline, shown, QDateTime::currentDateTime()));
      },
      [this, path](const QString& error) { EndWork(error.isEmpty() ? tr("%1 に書き出しました。").arg(path) : error); });
}

}  // namespace torvik
