#include "ui/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QMenuBar>
#include <QMessageBox>
#include <QRegularExpression>
#include <QShortcut>
#include <optional>

#include "core/base/Errors.h"
#include "core/base/Version.h"
#include "ui/ComparisonWindow.h"
#include "ui/DrawingPlatform.h"
#include "ui/GaugeAccessible.h"
#include "ui/HelpWindow.h"

namespace torvik {
namespace {

const QString kApplicationTitle = QStringLiteral("TORVIK");
const QString kStatusFace = QStringLiteral("ＭＳ Ｐ明朝");
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

// Where each result label's right edge and top lie (its widget name is the
// catalogue's), and what it is called for a screen reader: the words of the
// window beside it.
struct ResultPlace {
  ResultLabel label;
  const char* spokenName;
  int rightEdge, y;
};
const ResultPlace kResultPlaces[] = {
    {ResultLabel::KCalc, "Prime Calc", 271, 10},        {ResultLabel::KTrig, "Trigonometric", 271, 40},
    {ResultLabel::KSquare, "Square", 271, 90},          {ResultLabel::KCircle, "Circle", 271, 120},
    {ResultLabel::KTriangle, "Triangle", 271, 150},     {ResultLabel::KText, "Text", 271, 180},
    {ResultLabel::KScroll, "Scroll", 271, 210},         {ResultLabel::KMemory, "Memory", 271, 260},
    {ResultLabel::KWrite1, "HDD Write 40MB", 621, 40},  {ResultLabel::KWrite2, "HDD Write 50MB", 621, 70},
    {ResultLabel::KWrite3, "HDD Write 60MB", 621, 100}, {ResultLabel::KRead1, "HDD Read 40MB", 621, 150},
    {ResultLabel::KRead2, "HDD Read 50MB", 621, 180},   {ResultLabel::KRead3, "HDD Read 60MB", 621, 210},
    {ResultLabel::KMix, "MIX Mode", 621, 260},          {ResultLabel::KAll, "Total", 621, 300},
};

// A button's caption is the same in every language; what it does is told
// to a screen reader in the user's.
struct ButtonPlace {
  Button button;
  const char* name;
  const char* caption;
  const char* description;
  int x, width, fontPixels;
  bool enabled;
};
const ButtonPlace kButtons[] = {
    {Button::BCPU, "BCPU", "CPU", QT_TRANSLATE_NOOP("torvik::MainWindow", "CPUの整数演算と浮動小数点演算を計測します"),
     10, 81, 17, true},
    {Button::B2D, "B2D", "Graphic",
     QT_TRANSLATE_NOOP("torvik::MainWindow", "四角形・円・三角形・テキスト・スクロールの描画を計測します"), 100, 81, 17,
     true},
    {Button::BMix, "BMix", "Memory", QT_TRANSLATE_NOOP("torvik::MainWindow", "メモリ転送を計測します"), 190, 81, 17,
     true},
    {Button::BHDD, "BHDD", "HDD", QT_TRANSLATE_NOOP("torvik::MainWindow", "ディスクの書き込みと読み込みを計測します"),
     280, 81, 17, true},
    {Button::BAll, "BAll", "ALL", QT_TRANSLATE_NOOP("torvik::MainWindow", "すべてのテストを順に計測します"), 400, 71,
     18, true},
    {Button::BRep, "BRep", "Report", QT_TRANSLATE_NOOP("torvik::MainWindow", "結果シートに今回の結果を書き加えます"),
     481, 72, 18, false},
    {Button::BStop, "BStop", "Stop", QT_TRANSLATE_NOOP("torvik::MainWindow", "計測を中止します"), 563, 71, 18, false},
};

struct SeparatorPlace {
  const char* name;
  int x, y, width;
};
const SeparatorPlace kSeparators[] = {
    {"Panel8", 9, 0, 631},    {"Panel2", 20, 79, 256}, {"Panel7", 20, 249, 256}, {"Panel3", 325, 249, 301},
    {"Panel1", 10, 289, 631}, {"Panel5", 9, 329, 631}, {"Panel6", 9, 379, 631},
};

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QFont& font) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  label->setFont(font);
  label->setAttribute(Qt::WA_TranslucentBackground);
  return label;
}

}  // namespace

MainWindow::MainWindow(MachineComponents& machine, QWidget* parent) : StageWindow(parent), machine_(machine) {
  setObjectName(QStringLiteral("FMain"));
  BuildLabels();
  BuildControls();
  RaiseStageSurfaces();
  BuildMenu();
  aboutDialog_.Company = QStringLiteral("Varn");
  aboutDialog_.Comment = QStringLiteral("PC Benchmark Program");
  aboutDialog_.ProductName = QStringLiteral("TORVIK");
  aboutDialog_.Version = QLatin1String(kVersionText);
  aboutDialog_.Font = scale_.Font(kLabelFace, 24, true, true);
  aboutDialog_.processor = &machine.Probe();
  aboutDialog_.version = machine.System().Version();
  aboutDialog_.totalPhysical = machine.System().Facts().miTotalPhys;
  FixSizeAndCentre();
}

MainWindow::~MainWindow() = default;

void MainWindow::SetSession(BenchSession& session, BackgroundArchive& archive) {
  session_ = &session;
  archive_ = &archive;
  connect(&archive, &BackgroundArchive::notice, this, &MainWindow::TellWhenIdle);
  FormCreate();
}

void MainWindow::TellWhenIdle(const QString& text) {
  waitingNotices_ << text;
  if (!Running()) ShowWaitingNotices();
}

void MainWindow::ShowWaitingNotices() {
  while (!waitingNotices_.isEmpty() && !closeRequested_) ShowNotice(waitingNotices_.takeFirst());
}

void MainWindow::StageOn() {
  for (const SeparatorPlace& s : kSeparators) findChild<QFrame*>(QLatin1String(s.name))->hide();
  for (const ButtonPlace& b : kButtons) ButtonOf(b.button)->hide();
  for (QAction* menu : menuBar()->actions()) menu->setVisible(false);
  StageWindow::StageOn();
}

void MainWindow::StageOff() {
  for (const SeparatorPlace& s : kSeparators) findChild<QFrame*>(QLatin1String(s.name))->show();
  for (const ButtonPlace& b : kButtons) ButtonOf(b.button)->show();
  for (QAction* menu : menuBar()->actions()) menu->setVisible(true);
  StageWindow::StageOff();
}

void MainWindow::BuildLabels() {
  const QFont nameFont = scale_.Font(kLabelFace, 18, true);
  for (const NameLabel& n : kNameLabels) {
    QLabel* label = MakeLabel(client_, n.name, QLatin1String(n.text), nameFont);
    label->setGeometry(scale_.Rect(n.x, n.y, 200, kLabelHeight));
    label->adjustSize();
  }
  for (const SizeLabel& s : kSizeLabels) {
    QLabel* label = MakeLabel(client_, s.name, QLatin1String(s.text), nameFont);
    label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    label->setGeometry(scale_.Rect(449, s.y, 47, kLabelHeight));
  }
  QLabel* total = MakeLabel(client_, "LAll", QStringLiteral("Total"), scale_.Font(kLabelFace, 22, true));
  total->move(scale_(444), scale_(300));
  total->adjustSize();

  for (const ResultPlace& r : kResultPlaces) {
    QLabel* label = MakeLabel(client_, NameOf(r.label), QString(), nameFont);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, kNavy);
    label->setPalette(palette);
    label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    label->setGeometry(scale_(r.rightEdge - kResultLabelWidth), scale_(r.y), scale_(kResultLabelWidth),
                       scale_(kLabelHeight));
    label->setAccessibleName(QLatin1String(r.spokenName));
    resultLabels_[r.label] = label;
  }
}

void MainWindow::BuildControls() {
  InstallGaugeAccessibility();
  gauge_ = new Gauge(client_);
  gauge_->setObjectName(QStringLiteral("Gauge"));
  gauge_->setGeometry(scale_.Rect(20, 300, 281, 24));
  gauge_->SetColor(kNavy);
  gauge_->SetForeColor(kNavy);
  gauge_->SetBackColor(palette().color(QPalette::Button));
  gauge_->setFont(scale_.Font(kLabelFace, 17));
  gauge_->setAccessibleName(tr("進捗"));
  gauge_->setAccessibleDescription(tr("計測の進み具合"));

  for (const ButtonPlace& b : kButtons) {
    auto* button = new QPushButton(QLatin1String(b.caption), client_);
    button->setObjectName(QLatin1String(b.name));
    button->setFont(scale_.Font(kLabelFace, b.fontPixels, true));
    button->setGeometry(scale_.Rect(b.x, 340, b.width, 31));
    button->setEnabled(b.enabled);
    button->setAccessibleDescription(tr(b.description));
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

  LFill = new StatusLine(client_);
  LFill->setObjectName(QStringLiteral("LFill"));
  LFill->setFont(scale_.Font(kStatusFace, 17, true));
  LFill->setAttribute(Qt::WA_TranslucentBackground);
  LFill->setGeometry(scale_.Rect(25, 390, 349, 17));

  for (const SeparatorPlace& s : kSeparators) {
    auto* bar = new QFrame(client_);
    bar->setObjectName(QLatin1String(s.name));
    bar->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    bar->setLineWidth(1);
    bar->setGeometry(scale_.Rect(s.x, s.y, s.width, 4));
  }
  ButtonOf(Button::BAll)->setFocus();
}

void MainWindow::BuildMenu() {
  QMenu* settings = menuBar()->addMenu(tr("設定"));
  settings->setObjectName(QStringLiteral("N1"));
  QAction* set = settings->addAction(tr("計測環境"));
  set->setObjectName(QStringLiteral("MSet"));
  connect(set, &QAction::triggered, this, &MainWindow::MSetClick);
  QAction* compare = settings->addAction(tr("計測結果の比較"));
  compare->setObjectName(QStringLiteral("MCompare"));
  connect(compare, &QAction::triggered, this, &MainWindow::MCompareClick);
  settings->addSeparator()->setObjectName(QStringLiteral("N3"));
  QAction* exit = settings->addAction(tr("終了"));
  exit->setObjectName(QStringLiteral("MExit"));
  connect(exit, &QAction::triggered, this, &MainWindow::MExitClick);

  QMenu* help = menuBar()->addMenu(tr("？"));
  help->setObjectName(QStringLiteral("N2"));
  QAction* helpEntry = help->addAction(tr("ヘルプ"));
  helpEntry->setObjectName(QStringLiteral("MHelp"));
  connect(helpEntry, &QAction::triggered, this, &MainWindow::MHelpClick);
  QAction* about = help->addAction(tr("バージョン情報"));
  about->setObjectName(QStringLiteral("MAbout"));
  connect(about, &QAction::triggered, this, &MainWindow::MAboutClick);

  // The desktop's keys, working wherever the menu does (not while the stage
  // hides it): F10 opens the first menu, the arrows go on from there; F1
  // is ヘルプ, Ctrl+Q is 終了. The menu's own texts stay as they are.
  const auto menuKey = [this](const QKeySequence& key, auto handler) {
    auto* shortcut = new QShortcut(key, this);
    connect(shortcut, &QShortcut::activated, this, [this, handler] {
      if (menuBar()->isVisible() && menuBar()->actions().first()->isVisible()) handler();
    });
  };
  menuKey(QKeySequence(Qt::Key_F10), [this] { menuBar()->setActiveAction(menuBar()->actions().first()); });
  menuKey(QKeySequence(Qt::Key_F1), [this] { MHelpClick(); });
  menuKey(QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { MExitClick(); });
}

void MainWindow::MHelpClick() { ShowHelpContents(this, QStringLiteral("TORVIK.HLP")); }

void MainWindow::MAboutClick() { aboutDialog_.Execute(this); }

void MainWindow::FormCreate() {
  session_->ResetResults();
  ShowProcessorLine();
  session_->SeedFileNumbers();
}

void MainWindow::MSetClick() {
  if (settingsDialog_ != nullptr) settingsDialog_->exec();
  try {
    session_->ReadSettings();
  } catch (const TorvikError& error) {
    ShowMessage(error.BoxText(), MessageIcon::Error);
  }
}

QPushButton* MainWindow::ButtonOf(Button button) const { return buttons_.at(button); }

// The label shows every time it is given (between a test's blocks too, inside
// the timed section); a screen reader hears a result when the whole window
// is repainted (AnnounceResults), once.
void MainWindow::SetResultText(ResultLabel label, const QString& text) { resultLabels_.at(label)->setText(text); }

// A screen reader hears the test with its time, the unit apart so that it
// is read as a word: "Prime Calc: 1.0 sec". Only a name that changed is
// announced: a reset of labels that were already empty says nothing.
void MainWindow::AnnounceResults() {
  static const QRegularExpression secondsUnit(QStringLiteral("(\\d)sec$"));
  for (const ResultPlace& r : kResultPlaces) {
    QLabel* shown = resultLabels_.at(r.label);
    const QString spoken = shown->text().trimmed().replace(secondsUnit, QStringLiteral("\\1 sec"));
    const QString name = spoken.isEmpty() ? QLatin1String(r.spokenName) : r.spokenName + QStringLiteral(": ") + spoken;
    if (shown->accessibleName() != name) shown->setAccessibleName(name);
  }
}

void MainWindow::SetResultDetail(ResultLabel label, const QString& text) { resultLabels_.at(label)->setToolTip(text); }

void MainWindow::SetStatusText(const QString& text) { LFill->SetText(text); }

// Measures the clock anew on every call (about 0.8 s).
void MainWindow::ShowProcessorLine() { LFill->SetText(machine_.MeasureProcessorLine()); }

void MainWindow::MCompareClick() {
  // Another shared store chosen in the window: the archive switches to it
  // once the window is closed (nothing reads the old one any more), and the
  // window opens again on it.
  std::optional<QString> chosen = QString();
  while (chosen) {
    ComparisonWindow window(*archive_, this);
    chosen.reset();
    connect(&window, &ComparisonWindow::sharedStoreChosen, &window, [&](const QString& url) {
      chosen = url;
      window.accept();
    });
    window.exec();
    if (chosen) archive_->UseSharedStore(*chosen);
  }
}

void MainWindow::SetGauge(int progress) { gauge_->SetProgress(progress); }

void MainWindow::SetButtonEnabled(Button button, bool enabled) { ButtonOf(button)->setEnabled(enabled); }

void MainWindow::FocusButton(Button button) { ButtonOf(button)->setFocus(); }

// Never called inside a timed section: after a test's end, the total, a
// reset or a status text.
void MainWindow::RepaintNow() {
  repaint();
  AnnounceResults();
}

void MainWindow::RepaintLabel(ResultLabel label) { resultLabels_.at(label)->repaint(); }

void MainWindow::PumpMessages() { pump_.Pump(); }

void MainWindow::ShowMessage(const QString& text, MessageIcon icon) {
  AnnounceResults();  // a result discarded by a failure is not read out
  QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::Information, kApplicationTitle,
                  text, QMessageBox::Ok, this);
  box.exec();
}

// The group's record goes to the archive as soon as the group ends. Before
// the first drawing group on a platform whose drawing figures are not
// comparable, the user is told so.
void MainWindow::RunGroup(Group group) {
  if (group == Group::Graphic || group == Group::All) {
    if (const QString note = DrawingFiguresNote(); !note.isEmpty() && !drawingNoteShown_) {
      drawingNoteShown_ = true;
      ShowMessage(note, MessageIcon::Information);
    }
  }
  if (const std::optional<RunRecord> run = session_->Run(group)) archive_->KeepAndSend(*run);
  // A close asked for during the run: the group has released its test data.
  if (closeRequested_ && !Running()) {
    close();
    return;
  }
  if (!Running()) ShowWaitingNotices();
}

void MainWindow::BCPUClick() { RunGroup(Group::Cpu); }
void MainWindow::B2DClick() { RunGroup(Group::Graphic); }
void MainWindow::BMixClick() { RunGroup(Group::Memory); }
void MainWindow::BHDDClick() { RunGroup(Group::Hdd); }
void MainWindow::BAllClick() { RunGroup(Group::All); }

void MainWindow::BStopClick() { session_->Stop(); }

void MainWindow::MExitClick() { close(); }

void MainWindow::CloseModalWindows() {
  for (int i = 0; i < 16; ++i) {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || qobject_cast<MainWindow*>(modal) != nullptr) break;
    modal->close();
    if (modal->isVisible()) modal->hide();
  }
}

void MainWindow::RequestTermination(int signal) {
  exitStatus_ = 128 + signal;
  // Whatever modal window is open closes, so the run (or the idle window)
  // can see the request.
  CloseModalWindows();
  close();
}

// The focus ring shows from the start, not only after a first key press:
// styles draw it in a window that saw a keyboard focus change, which the
// focus given at the first activation is not.
void MainWindow::changeEvent(QEvent* event) {
  StageWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && !focusRingShown_) {
    focusRingShown_ = true;
    setAttribute(Qt::WA_KeyboardFocusChange);
    update();
  }
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
