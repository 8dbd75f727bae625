#include "ui/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QWindow>

#include "core/base/Errors.h"
#include "core/base/RandomGenerator.h"
#include "core/machine/MachineFacts.h"
#include "core/history/StoredRun.h"
#include "ui/ComparisonWindow.h"
#include "ui/HelpWindow.h"
#include "ui/WindowCentring.h"

namespace torvik {
namespace {

const QString kCaption = QStringLiteral("TORVIK Ver3.03");
const QString kApplicationTitle = QStringLiteral("TORVIK");
const QString kWindowFace = QStringLiteral("ＭＳ Ｐゴシック");
const QString kStatusFace = QStringLiteral("ＭＳ Ｐ明朝");
const QString kStageFace = QStringLiteral("ＭＳ ゴシック");
const QString kLabelFace = QStringLiteral("Times New Roman");
const QColor kNavy(0, 0, 128);

// Result labels grow leftwards from a fixed right edge; this is room for the
// widest time the program shows ("12345.6sec").
constexpr int kResultLabelWidth = 120;
constexpr int kLabelHeight = 22;

struct NameLabel {
  const char* name;
  const char* text;
  int x, y;
};
const NameLabel kNameLabels[] = {
    {"LCalc", "Prime Calc", 25, 10},  {"LTrig", "Trigonometric", 25, 40}, {"LSquare", "Square", 25, 90},
    {"LCircle", "Circle", 25, 120},   {"LTriangle", "Triangle", 25, 150}, {"LText", "Text", 25, 180},
    {"LScroll", "Scroll", 25, 210},   {"LMemory", "Memory", 25, 260},     {"LWrite1", "HDD Write", 331, 40},
    {"LRead1", "HDD Read", 331, 150}, {"LMix", "MIX Mode", 331, 260},
};

// The size labels: right-aligned, 47 px wide from x = 449.
struct SizeLabel {
  const char* name;
  const char* text;
  int y;
};
const SizeLabel kSizeLabels[] = {
    {"Label1", "40MB", 40},  {"LWrite2", "50MB", 70}, {"LWrite3", "60MB", 100},
    {"Label2", "40MB", 150}, {"LRead2", "50MB", 180}, {"LRead3", "60MB", 210},
};

struct ResultPlace {
  ResultLabel label;
  const char* name;
  int rightEdge, y;
};
const ResultPlace kResultPlaces[] = {
    {ResultLabel::KCalc, "KCalc", 271, 10},          {ResultLabel::KTrig, "KTrig", 271, 40},
    {ResultLabel::KSquare, "KSquare", 271, 90},      {ResultLabel::KCircle, "KCircle", 271, 120},
    {ResultLabel::KTriangle, "KTriangle", 271, 150}, {ResultLabel::KText, "KText", 271, 180},
    {ResultLabel::KScroll, "KScroll", 271, 210},     {ResultLabel::KMemory, "KMemory", 271, 260},
    {ResultLabel::KWrite1, "KWrite1", 621, 40},      {ResultLabel::KWrite2, "KWrite2", 621, 70},
    {ResultLabel::KWrite3, "KWrite3", 621, 100},     {ResultLabel::KRead1, "KRead1", 621, 150},
    {ResultLabel::KRead2, "KRead2", 621, 180},       {ResultLabel::KRead3, "KRead3", 621, 210},
    {ResultLabel::KMix, "KMix", 621, 260},           {ResultLabel::KAll, "KAll", 621, 300},
};

struct ButtonPlace {
  Button button;
  const char* name;
  const char* caption;
  int x, width, fontPixels;
  bool enabled;
};
const ButtonPlace kButtons[] = {
    {Button::BCPU, "BCPU", "CPU", 10, 81, 17, true},      {Button::B2D, "B2D", "Graphic", 100, 81, 17, true},
    {Button::BMix, "BMix", "Memory", 190, 81, 17, true},  {Button::BHDD, "BHDD", "HDD", 280, 81, 17, true},
    {Button::BAll, "BAll", "ALL", 400, 71, 18, true},     {Button::BRep, "BRep", "Report", 481, 72, 18, false},
    {Button::BStop, "BStop", "Stop", 563, 71, 18, false},
};

struct SeparatorPlace {
  const char* name;
  int x, y, width;
};
const SeparatorPlace kSeparators[] = {
    {"Panel8", 9, 0, 631},    {"Panel2", 20, 79, 256}, {"Panel7", 20, 249, 256}, {"Panel3", 325, 249, 301},
    {"Panel1", 10, 289, 631}, {"Panel5", 9, 329, 631}, {"Panel6", 9, 379, 631},
};

ScreenFacts ScreenFactsOf(const QScreen* screen) {
  if (screen == nullptr) return {};
  return ScreenFacts{screen->geometry().width(), screen->geometry().height(), screen->depth()};
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QFont& font) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  label->setFont(font);
  label->setAttribute(Qt::WA_TranslucentBackground);
  return label;
}

}  // namespace

MainWindow::MainWindow(const platform::ProcessorProbe& processor, SettingsStore* settings, TestPathRules* rules,
                       QWidget* parent)
    : QMainWindow(parent),
      scale_(DesignScale::ForScreen()),
      ownSettings_(settings ? nullptr : std::make_unique<UserSettingsStore>()),
      settings_(settings ? *settings : *ownSettings_),
      ownRules_(
          rules ? nullptr
                : std::make_unique<TestPathRules>(platform::FileSystem::Default(), platform::SystemSources::Default())),
      rules_(rules ? *rules : *ownRules_),
      state_(*this),
      bench_(state_, settings_, platform::FileSystem::Default(), rules_),
      sequencer_(state_, bench_) {
  setObjectName(QStringLiteral("FMain"));
  setWindowTitle(kCaption);
  // Single fixed border: system menu and minimise, no maximise.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setFont(scale_.Font(kWindowFace, 15));

  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("ClientArea"));
  clientSize_ = QSize(scale_(649), scale_(414));
  client->setFixedSize(clientSize_);
  setCentralWidget(client);

  BuildLabels(client);
  BuildControls(client);
  // The non-visual components: the processor identification, the system
  // snapshot, the menu, and the processor type component (whose clock
  // measurement busy-waits a second).
  TCPU = std::make_unique<ProcessorInfo>(processor);
  TSys = std::make_unique<SystemInfo>(platform::SystemSources::Default(), ScreenFactsOf(screen()));
  BuildMenu();
  aboutDialog_.Company = QStringLiteral("Varn");
  aboutDialog_.Comment = QStringLiteral("PC Benchmark Program");
  aboutDialog_.ProductName = QStringLiteral("TORVIK");
  aboutDialog_.Version = QStringLiteral("Version 3.03");
  aboutDialog_.Font = scale_.Font(kLabelFace, 24, true, true);
  aboutDialog_.processor = &processor;
  aboutDialog_.version = TSys->Version();
  aboutDialog_.totalPhysical = TSys->Facts().miTotalPhys;
  CPUID1 = std::make_unique<torvik::ProcessorTypeAndClock>(processor);

  graphics_ = std::make_unique<GraphicsTests>(*this, state_);
  bench_.SetDrawingTests(graphics_.get());

  adjustSize();
  setFixedSize(size());
  Centre();
  KeepCentredWhenShown(*this);
  FormCreate();
}

void MainWindow::Centre() { CentreOnScreen(*this); }

void MainWindow::CoverScreen() {
  const QScreen* screen = this->screen();
  if (screen == nullptr) return;
  // The border stays fixed for the user; the program itself may resize.
  setMinimumSize(0, 0);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  centralWidget()->setMinimumSize(0, 0);
  centralWidget()->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  const QSize frame = frameGeometry().size() - size();
  const QRect area = screen->geometry();
  // Set explicitly: without a window manager a full-screen request alone
  // would leave the window where it was.
  move(area.topLeft());
  resize(area.size() - frame);
}

void MainWindow::RestoreSize(QSize saved) {
  resize(width(), saved.height());
  resize(saved.width(), saved.height());
  centralWidget()->setFixedSize(clientSize_);
  setFixedSize(saved);
}

void MainWindow::SetStaysOnTop(bool on) {
  if (StaysOnTop() == on) return;
  Qt::WindowFlags flags = windowFlags();
  flags.setFlag(Qt::WindowStaysOnTopHint, on);
  if (QWindow* native = windowHandle()) {
    // Changed in place: recreating the native window would unmap it, and an
    // unmapped window cannot be drawn on until the window system maps it again.
    overrideWindowFlags(flags);
    native->setFlags(flags);
  } else {
    setWindowFlags(flags);
  }
}

void MainWindow::StageOn() {
  for (const SeparatorPlace& s : kSeparators) findChild<QFrame*>(QLatin1String(s.name))->hide();
  for (const ButtonPlace& b : kButtons) ButtonOf(b.button)->hide();
  for (QAction* menu : menuBar()->actions()) menu->setVisible(false);
  SetStaysOnTop(true);
}

void MainWindow::StageOff() {
  for (const SeparatorPlace& s : kSeparators) findChild<QFrame*>(QLatin1String(s.name))->show();
  for (const ButtonPlace& b : kButtons) ButtonOf(b.button)->show();
  for (QAction* menu : menuBar()->actions()) menu->setVisible(true);
  SetStaysOnTop(false);
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildLabels(QWidget* client) {
  const QFont nameFont = scale_.Font(kLabelFace, 18, true);
  for (const NameLabel& n : kNameLabels) {
    QLabel* label = MakeLabel(client, n.name, QLatin1String(n.text), nameFont);
    label->setGeometry(scale_.Rect(n.x, n.y, 200, kLabelHeight));
    label->adjustSize();
  }
  for (const SizeLabel& s : kSizeLabels) {
    QLabel* label = MakeLabel(client, s.name, QLatin1String(s.text), nameFont);
    label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    label->setGeometry(scale_.Rect(449, s.y, 47, kLabelHeight));
  }
  QLabel* total = MakeLabel(client, "LAll", QStringLiteral("Total"), scale_.Font(kLabelFace, 22, true));
  total->move(scale_(444), scale_(300));
  total->adjustSize();

  for (const ResultPlace& r : kResultPlaces) {
    QLabel* label = MakeLabel(client, r.name, QString(), nameFont);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, kNavy);
    label->setPalette(palette);
    label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    label->setGeometry(scale_(r.rightEdge - kResultLabelWidth), scale_(r.y), scale_(kResultLabelWidth),
                       scale_(kLabelHeight));
    resultLabels_[r.label] = label;
  }
}

void MainWindow::BuildControls(QWidget* client) {
  gauge_ = new Gauge(client);
  gauge_->setObjectName(QStringLiteral("Gauge"));
  gauge_->setGeometry(scale_.Rect(20, 300, 281, 24));
  gauge_->SetColor(kNavy);
  gauge_->SetForeColor(kNavy);
  gauge_->SetBackColor(palette().color(QPalette::Button));
  gauge_->setFont(scale_.Font(kLabelFace, 17));

  for (const ButtonPlace& b : kButtons) {
    auto* button = new QPushButton(QLatin1String(b.caption), client);
    button->setObjectName(QLatin1String(b.name));
    button->setFont(scale_.Font(kLabelFace, b.fontPixels, true));
    button->setGeometry(scale_.Rect(b.x, 340, b.width, 31));
    button->setEnabled(b.enabled);
    buttons_[b.button] = button;
  }
  connect(ButtonOf(Button::BCPU), &QPushButton::clicked, this, &MainWindow::BCPUClick);
  connect(ButtonOf(Button::B2D), &QPushButton::clicked, this, &MainWindow::B2DClick);
  connect(ButtonOf(Button::BMix), &QPushButton::clicked, this, &MainWindow::BMixClick);
  connect(ButtonOf(Button::BHDD), &QPushButton::clicked, this, &MainWindow::BHDDClick);
  connect(ButtonOf(Button::BAll), &QPushButton::clicked, this, &MainWindow::BAllClick);
  connect(ButtonOf(Button::BStop), &QPushButton::clicked, this, &MainWindow::BStopClick);
  connect(ButtonOf(Button::BRep), &QPushButton::clicked, this, &MainWindow::BRepClick);

  // Keyboard order: ALL, Report, CPU, Graphic, HDD, Memory, Stop.
  const Button tabOrder[] = {Button::BAll, Button::BRep, Button::BCPU, Button::B2D,
                             Button::BHDD, Button::BMix, Button::BStop};
  for (size_t i = 0; i + 1 < std::size(tabOrder); ++i) setTabOrder(ButtonOf(tabOrder[i]), ButtonOf(tabOrder[i + 1]));

  LFill = MakeLabel(client, "LFill", QString(), scale_.Font(kStatusFace, 17, true));
  LFill->setGeometry(scale_.Rect(25, 390, 349, 17));

  for (const SeparatorPlace& s : kSeparators) {
    auto* bar = new QFrame(client);
    bar->setObjectName(QLatin1String(s.name));
    bar->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    bar->setLineWidth(1);
    bar->setGeometry(scale_.Rect(s.x, s.y, s.width, 4));
  }

  // The drawing stage's surfaces, hidden until a drawing or scroll test.
  Paint = new StageSurface(client);
  Paint->setObjectName(QStringLiteral("Paint"));
  Paint->setFont(scale_.Font(kStageFace, 27));
  Paint->setGeometry(client->rect());
  Paint->hide();
  Memo = new QPlainTextEdit(client);
  Memo->setObjectName(QStringLiteral("Memo"));
  Memo->setFont(scale_.Font(kStageFace, 15));
  Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo->setGeometry(client->rect());
  Memo->setEnabled(false);
  Memo->hide();

  ButtonOf(Button::BAll)->setFocus();
}

void MainWindow::BuildMenu() {
  QMenu* settings = menuBar()->addMenu(QStringLiteral("設定"));
  settings->setObjectName(QStringLiteral("N1"));
  QAction* set = settings->addAction(QStringLiteral("計測環境"));
  set->setObjectName(QStringLiteral("MSet"));
  connect(set, &QAction::triggered, this, &MainWindow::MSetClick);
  QAction* compare = settings->addAction(QStringLiteral("計測結果の比較"));
  compare->setObjectName(QStringLiteral("MCompare"));
  connect(compare, &QAction::triggered, this, &MainWindow::MCompareClick);
  settings->addSeparator()->setObjectName(QStringLiteral("N3"));
  QAction* exit = settings->addAction(QStringLiteral("終了"));
  exit->setObjectName(QStringLiteral("MExit"));
  connect(exit, &QAction::triggered, this, &MainWindow::MExitClick);

  QMenu* help = menuBar()->addMenu(QStringLiteral("？"));
  help->setObjectName(QStringLiteral("N2"));
  QAction* helpEntry = help->addAction(QStringLiteral("ヘルプ"));
  helpEntry->setObjectName(QStringLiteral("MHelp"));
  connect(helpEntry, &QAction::triggered, this, &MainWindow::MHelpClick);
  QAction* about = help->addAction(QStringLiteral("バージョン情報"));
  about->setObjectName(QStringLiteral("MAbout"));
  connect(about, &QAction::triggered, this, &MainWindow::MAboutClick);
}

void MainWindow::MHelpClick() { ShowHelpContents(this, QStringLiteral("TORVIK.HLP")); }

void MainWindow::MAboutClick() { aboutDialog_.Execute(this); }

void MainWindow::FormCreate() {
  state_.ResetResults();
  ShowProcessorLine();
  bench_.Files().SetFileNumberCounter(ProgramRandom().Next(1000));
}

void MainWindow::MSetClick() {
  if (settingsDialog_ != nullptr) settingsDialog_->exec();
  try {
    bench_.Files().ReadTestPath();
    userName_ = settings_.Read(settings::kUserName, QString());
    pcName_ = settings_.Read(settings::kPcName, QString());
  } catch (const TorvikError& error) {
    ShowMessage(error.BoxText(), MessageIcon::Error);
  }
}

QPushButton* MainWindow::ButtonOf(Button button) const { return buttons_.at(button); }

void MainWindow::SetResultText(ResultLabel label, const QString& text) { resultLabels_.at(label)->setText(text); }

void MainWindow::SetResultDetail(ResultLabel label, const QString& text) { resultLabels_.at(label)->setToolTip(text); }

void MainWindow::SetStatusText(const QString& text) { LFill->setText(text); }

// Measures the clock anew on every call (about 0.8 s).
void MainWindow::ShowProcessorLine() {
  lastMhz_ = TCPU->GetTickSpeed();
  LFill->setText(ProcessorLine(TCPU->CPUName(), lastMhz_));
}

ResultStore& MainWindow::Store() {
  if (store_ == nullptr) {
    ownStore_ = std::make_unique<ResultStore>(ResultStore::DefaultPath());
    store_ = ownStore_.get();
  }
  return *store_;
}

void MainWindow::RecordRun(const QString& group, const QDateTime& started) {
  const ResultTable& results = state_.Results();
  bool any = false;
  for (size_t i = 0; i < kTestCount; ++i) any = any || results[static_cast<Test>(i)].elapsedNs > 0;
  if (!any) return;  // refused before any test: nothing to keep
  ReportInputs facts;
  try {
    facts.userName = settings_.Read(settings::kUserName, QString());
    facts.pcName = settings_.Read(settings::kPcName, QString());
  } catch (const TorvikError&) {
    // A settings value of the wrong type: the names stay empty here.
  }
  facts.drive = bench_.Files().TestPath();
  GatherMachineFacts(facts, *TCPU, *CPUID1, *TSys, lastMhz_);
  if (Store().Record(RunFromResults(group, results, state_.StopFlag() != 0, facts, started))) return;
  if (storeFailureShown_) return;
  storeFailureShown_ = true;
  ShowMessage(QStringLiteral("計測結果を保存できません: ") + Store().Error(), MessageIcon::Error);
}

void MainWindow::MCompareClick() {
  ComparisonWindow window(Store(), this);
  window.exec();
}

void MainWindow::SetGauge(int progress) { gauge_->SetProgress(progress); }

void MainWindow::SetButtonEnabled(Button button, bool enabled) { ButtonOf(button)->setEnabled(enabled); }

void MainWindow::FocusButton(Button button) { ButtonOf(button)->setFocus(); }

void MainWindow::RepaintNow() { repaint(); }

void MainWindow::RepaintLabel(ResultLabel label) { resultLabels_.at(label)->repaint(); }

void MainWindow::PumpMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void MainWindow::ShowMessage(const QString& text, MessageIcon icon) {
  QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::Information, kApplicationTitle,
                  text, QMessageBox::Ok, this);
  box.exec();
}

void MainWindow::RunGroup(void (GroupSequencer::*group)(), const char* name) {
  ++runDepth_;
  const QDateTime started = QDateTime::currentDateTime();
  try {
    (sequencer_.*group)();
    const GroupEnd end = sequencer_.LastEnd();
    if (end == GroupEnd::Completed || end == GroupEnd::Stopped) RecordRun(QLatin1String(name), started);
  } catch (const ExitRequested&) {
    // The group has released its test data; now the window may close.
  } catch (const TorvikError& error) {
    ShowMessage(error.BoxText(), MessageIcon::Error);
  }
  --runDepth_;
  if (closeRequested_ && runDepth_ == 0) close();
}

void MainWindow::BCPUClick() { RunGroup(&GroupSequencer::BCPUClick, "cpu"); }
void MainWindow::B2DClick() { RunGroup(&GroupSequencer::B2DClick, "graphic"); }
void MainWindow::BMixClick() { RunGroup(&GroupSequencer::BMixClick, "memory"); }
void MainWindow::BHDDClick() { RunGroup(&GroupSequencer::BHDDClick, "hdd"); }
void MainWindow::BAllClick() { RunGroup(&GroupSequencer::BAllClick, "all"); }

void MainWindow::BStopClick() { state_.BStopClick(); }

void MainWindow::MExitClick() { close(); }

void MainWindow::RequestTermination(int signal) {
  exitStatus_ = 128 + signal;
  // A message box, the settings dialog, the about box: whatever modal window
  // is open closes, so the run (or the idle window) can see the request.
  for (int i = 0; i < 16; ++i) {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal == this) break;
    modal->close();
    if (modal->isVisible()) modal->hide();
  }
  close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (Running()) {
    // Seen at the run's next pumping point, which unwinds the group; the
    // window closes once the group has released its test data.
    closeRequested_ = true;
    event->ignore();
    return;
  }
  event->accept();
}

}  // namespace torvik
