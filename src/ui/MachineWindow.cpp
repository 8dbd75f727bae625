#include "ui/MachineWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScreen>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>

#include "core/report/PointFactsText.h"
#include "ui/GaugeAccessible.h"

namespace torvik {
namespace {

const QColor kGaugeNavy(0, 0, 128);

struct ChoiceButton {
  MachineWindow::Choice choice;
  const char* name;
  const char* caption;
  const char* description;
};
const ChoiceButton kChoiceButtons[] = {
    {MachineWindow::Choice::Cores, "BCores", QT_TRANSLATE_NOOP("torvik::MachineWindow", "マルチコア(&C)"),
     QT_TRANSLATE_NOOP("torvik::MachineWindow",
                       "プロセッサの処理能力を 1 スレッドから使えるすべてのプロセッサまで計測します")},
    {MachineWindow::Choice::Ram, "BRam", QT_TRANSLATE_NOOP("torvik::MachineWindow", "メモリ(&M)"),
     QT_TRANSLATE_NOOP("torvik::MachineWindow", "メモリ帯域 (STREAM) とレイテンシの曲線を計測します")},
    {MachineWindow::Choice::CoresThenRam, "BCoresRam", QT_TRANSLATE_NOOP("torvik::MachineWindow", "コア＋メモリ(&O)"),
     QT_TRANSLATE_NOOP("torvik::MachineWindow", "マルチコアとメモリを順に計測します")},
    {MachineWindow::Choice::Drive, "BDrive", QT_TRANSLATE_NOOP("torvik::MachineWindow", "ドライブ(&D)"),
     QT_TRANSLATE_NOOP("torvik::MachineWindow", "テストフォルダのドライブを順次と 4K ランダムで計測します")},
};

std::vector<Group> GroupsOf(MachineWindow::Choice choice) {
  switch (choice) {
    case MachineWindow::Choice::Cores: return {Group::Cores};
    case MachineWindow::Choice::Ram: return {Group::Ram};
    case MachineWindow::Choice::CoresThenRam: return {Group::Cores, Group::Ram};
    case MachineWindow::Choice::Drive: return {Group::Drive};
  }
  return {};
}

QString GroupName(Group group) {
  switch (group) {
    case Group::Cores: return MachineWindow::tr("マルチコア");
    case Group::Ram: return MachineWindow::tr("メモリ");
    case Group::Drive: return MachineWindow::tr("ドライブ");
    default: return QString();
  }
}

}  // namespace

MachineWindow::MachineWindow(BenchSession& session, BackgroundArchive& archive, ViewRouter& router, QWidget* parent)
    : QDialog(parent), session_(session), archive_(archive), router_(router) {
  setObjectName(QStringLiteral("MachineWindow"));
  setWindowFlags(Qt::Window);
  setSizeGripEnabled(true);
  BuildControls();
  Retranslate();
  const QRect room = screen() != nullptr ? screen()->availableGeometry() : QRect(0, 0, 1280, 1024);
  resize(std::min(1180, room.width() - 40), std::min(840, room.height() - 60));
}

void MachineWindow::BuildControls() {
  auto* buttons = new QHBoxLayout;
  for (const ChoiceButton& b : kChoiceButtons) {
    auto* button = new QPushButton(this);
    button->setObjectName(QLatin1String(b.name));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, choice = b.choice] { RunChoice(choice); });
    buttons->addWidget(button);
    buttons_[b.choice] = button;
  }
  buttons->addStretch();
  stop_ = new QPushButton(this);
  stop_->setObjectName(QStringLiteral("BStop"));
  stop_->setAutoDefault(false);
  stop_->setEnabled(false);
  connect(stop_, &QPushButton::clicked, this, &MachineWindow::BStopClick);
  buttons->addWidget(stop_);

  InstallGaugeAccessibility();
  gauge_ = new Gauge(this);
  gauge_->setObjectName(QStringLiteral("Gauge"));
  gauge_->SetColor(kGaugeNavy);
  gauge_->SetForeColor(kGaugeNavy);
  gauge_->SetBackColor(palette().color(QPalette::Button));
  gauge_->setFixedSize(281, 24);
  status_ = new StatusLine(this);
  status_->setObjectName(QStringLiteral("LFill"));
  status_->setMinimumWidth(200);
  auto* progress = new QHBoxLayout;
  progress->addWidget(gauge_);
  progress->addWidget(status_, 1);

  charts_ = new MachineCharts(this);
  model_ = new PointTableModel(this);
  table_ = new QTableView(this);
  table_->setObjectName(QStringLiteral("PointTable"));
  table_->setModel(model_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setTabKeyNavigation(false);  // Tab goes on to the facts
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setSectionResizeMode(PointTableModel::kTest, QHeaderView::ResizeToContents);
  table_->horizontalHeader()->setSectionResizeMode(PointTableModel::kRate, QHeaderView::ResizeToContents);
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->setWordWrap(false);
  factsTitle_ = new QLabel(this);
  factsTitle_->setObjectName(QStringLiteral("FactsTitle"));
  facts_ = new QPlainTextEdit(this);
  facts_->setObjectName(QStringLiteral("MachineFacts"));
  facts_->setReadOnly(true);
  facts_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  facts_->setTabChangesFocus(true);
  factsTitle_->setBuddy(facts_);
  auto* side = new QWidget(this);
  auto* sideLayout = new QVBoxLayout(side);
  sideLayout->setContentsMargins(0, 0, 0, 0);
  sideLayout->addWidget(table_, 3);
  sideLayout->addWidget(factsTitle_);
  sideLayout->addWidget(facts_, 2);
  auto* split = new QSplitter(Qt::Horizontal, this);
  split->setObjectName(QStringLiteral("MachineSplit"));
  split->setChildrenCollapsible(false);
  split->addWidget(charts_);
  split->addWidget(side);
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 2);
  split->setSizes({720, 440});  // the charts' legends whole; a drive row's whole detail is its tooltip

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addLayout(progress);
  layout->addWidget(split, 1);

  // Keyboard order: the groups, Stop, the chart pages, the table, the facts.
  QWidget* order[] = {buttons_[Choice::Cores],
                      buttons_[Choice::Ram],
                      buttons_[Choice::CoresThenRam],
                      buttons_[Choice::Drive],
                      stop_,
                      charts_,
                      table_,
                      facts_};
  for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
  buttons_[Choice::Cores]->setFocus();
}

void MachineWindow::Retranslate() {
  setWindowTitle(tr("現行マシン計測"));
  for (const ChoiceButton& b : kChoiceButtons) {
    QPushButton* button = buttons_.at(b.choice);
    button->setText(tr(b.caption));
    button->setAccessibleDescription(tr(b.description));
  }
  stop_->setText(tr("中止(&S)"));
  stop_->setAccessibleDescription(tr("計測中の項目が終わったところで計測を中止します"));
  gauge_->setAccessibleName(tr("進捗"));
  gauge_->setAccessibleDescription(tr("計測の進み具合"));
  status_->setAccessibleName(tr("状態"));
  table_->setAccessibleName(tr("計測値の表"));
  table_->setAccessibleDescription(tr("項目ごとのテスト、速度と詳細"));
  factsTitle_->setText(tr("マシンの情報(&F)"));
  facts_->setAccessibleName(tr("マシンの情報"));
  facts_->setAccessibleDescription(tr("計測したグループが見つけたマシンの情報"));
  charts_->Retranslate();
  model_->Retranslate();
  QStringList text;
  for (const auto& [group, facts] : factsShown_) {
    text << QStringLiteral("[%1]").arg(GroupName(group)) << PointFactsText(QLatin1String(EntryOf(group).id), facts);
  }
  facts_->setPlainText(text.join(u'\n'));
  // Before the first run, the status line says what to do.
  if (!running_ && !ranOnce_) status_->SetText(tr("計測するグループのボタンを押してください"));
}

void MachineWindow::RunChoice(Choice choice) {
  if (running_ || lockedByOther_ || session_.Running()) return;
  const std::vector<Group> groups = GroupsOf(choice);
  // Nothing runs before every group of the choice may.
  for (Group group : groups) {
    if (const QString refusal = session_.Refusal(group); !refusal.isEmpty()) {
      ShowMessage(refusal, MessageIcon::Error);
      return;
    }
  }
  running_ = true;
  ranOnce_ = true;
  closeAfterRun_ = false;
  points_.clear();
  model_->Clear();
  factsShown_.clear();
  facts_->clear();
  charts_->Show(points_);
  gauge_->SetProgress(0);
  UpdateButtons();
  emit runningChanged(true);
  {
    const ViewRouter::Route route(router_, *this);
    for (Group group : groups) {
      charts_->ShowPage(group);
      const std::optional<RunRecord> run = session_.Run(group);
      if (!run) break;  // failed (told in a box) or unwound by the program's end
      archive_.KeepAndSend(*run);
      ShowFacts(group, *run);
      if (run->stopped) break;
    }
  }
  running_ = false;
  stop_->setEnabled(false);
  UpdateButtons();
  emit runningChanged(false);
  if (closeAfterRun_) {
    closeAfterRun_ = false;
    close();
  }
}

void MachineWindow::ShowFacts(Group group, const RunRecord& run) {
  factsShown_.emplace_back(group, run.pointFacts.value(QLatin1String(EntryOf(group).id)).toObject());
  Retranslate();
}

void MachineWindow::SetLockedByOtherWindow(bool locked) {
  lockedByOther_ = locked;
  UpdateButtons();
}

void MachineWindow::UpdateButtons() {
  for (const auto& [choice, button] : buttons_) button->setEnabled(!running_ && !lockedByOther_);
}

void MachineWindow::SetButtonEnabled(Button button, bool enabled) {
  if (button == Button::BStop) stop_->setEnabled(enabled);
}

void MachineWindow::FocusButton(Button button) {
  if (button == Button::BStop) stop_->setFocus();
}

void MachineWindow::PumpMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void MachineWindow::ShowMessage(const QString& text, MessageIcon icon) {
  QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::Information,
                  QStringLiteral("TORVIK"), text, QMessageBox::Ok, this);
  box.exec();
}

void MachineWindow::ShowPoint(const MeasuredPoint& point) {
  points_.push_back(point);
  model_->Add(point);
  charts_->Show(points_);
  table_->scrollToBottom();
  emit pointShown();
}

void MachineWindow::reject() {
  if (!running_) QDialog::reject();
}

void MachineWindow::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::LanguageChange) Retranslate();
}

void MachineWindow::closeEvent(QCloseEvent* event) {
  if (running_) {
    // The run ends after the point under way and is kept; the window closes then.
    closeAfterRun_ = true;
    session_.Stop();
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

}  // namespace torvik
