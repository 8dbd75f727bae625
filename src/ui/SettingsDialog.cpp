#include "ui/SettingsDialog.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>

#include "core/base/Errors.h"
#include "core/machine/SysInfoParsers.h"
#include "ui/DesignScale.h"
#include "ui/Labels.h"
#include "ui/WindowCentring.h"

namespace torvik {
namespace {

QLineEdit* MakeEdit(QWidget* parent, const char* name, const QRect& geometry) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QLatin1String(name));
  edit->setGeometry(geometry);
  return edit;
}

void ShowError(QWidget* parent, const TorvikError& error) {
  QMessageBox::critical(parent, QApplication::applicationName(), error.BoxText());
}

}  // namespace

SettingsDialog::SettingsDialog(SettingsStore& settings, const platform::SystemSources& sources, TestPathRules* rules,
                               QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      MSysInfo(sources, ScreenFacts{}, QStringLiteral("/")),
      settings_(settings),
      ownRules_(rules ? nullptr : std::make_unique<TestPathRules>(platform::FileSystem::Default(), sources)),
      rules_(rules ? *rules : *ownRules_) {
  setObjectName(QStringLiteral("Form2"));
  const DesignScale s = DesignScale::ForScreen();
  setWindowTitle(tr("環境設定"));
  setFont(s.Font(QStringLiteral("ＭＳ Ｐゴシック"), 12));
  setFixedSize(s(294), s(193));
  const QColor navy(0, 0, 128);
  const QFont mincho = s.Font(QStringLiteral("ＭＳ 明朝"), 15);

  URLLabel1 = new LinkLabel(QStringLiteral("TORVIK"), this);
  URLLabel1->setObjectName(QStringLiteral("URLLabel1"));
  URLLabel1->setFont(s.Font(QStringLiteral("Times New Roman"), 24, true, true));
  QPalette p = URLLabel1->palette();
  p.setColor(QPalette::WindowText, navy);
  URLLabel1->setPalette(p);
  URLLabel1->setGeometry(s.Rect(8, 14, 99, 28));

  QLabel* driveLabel = MakeColouredLabel(this, "Label1", tr("計測ドライブ"), s.Rect(8, 56, 90, 15), mincho, navy);
  // A test path is longer than a drive letter: the field spans the dialog
  // like the name fields, and the hint stands above it.
  fmDrv = MakeEdit(this, "fmDrv", s.Rect(104, 56, 177, 23));
  fmDrv->setFont(s.Font(QStringLiteral("ＭＳ ゴシック"), 15));
  const QString pathHint = tr("※パス形式で指定");
  MakeColouredLabel(this, "Label5", pathHint, s.Rect(152, 38, 130, 15), mincho, Qt::blue);
  QLabel* userLabel =
      MakeColouredLabel(this, "Label3", QStringLiteral("Your Name"), s.Rect(8, 88, 72, 15), mincho, navy);
  fmYName = MakeEdit(this, "fmYName", s.Rect(88, 88, 193, 20));
  QLabel* pcLabel =
      MakeColouredLabel(this, "label4", QStringLiteral("PC   Name"), s.Rect(8, 120, 72, 15), mincho, navy);
  fmPCName = MakeEdit(this, "fmPCName", s.Rect(88, 120, 193, 20));
  // Each field is named by the label before it, as a screen reader reads it.
  driveLabel->setBuddy(fmDrv);
  userLabel->setBuddy(fmYName);
  pcLabel->setBuddy(fmPCName);
  fmDrv->setAccessibleDescription(pathHint);
  fmYName->setAccessibleDescription(tr("結果シートに記録する使用者の名前"));
  fmPCName->setAccessibleDescription(tr("結果シートに記録する PC の名前"));
  fmOK = new QPushButton(QStringLiteral("&OK"), this);
  fmOK->setObjectName(QStringLiteral("fmOK"));
  fmOK->setGeometry(s.Rect(144, 157, 65, 25));
  fmNG = new QPushButton(QStringLiteral("&Cancel"), this);
  fmNG->setObjectName(QStringLiteral("fmNG"));
  fmNG->setGeometry(s.Rect(216, 157, 65, 25));
  for (QPushButton* button : {fmOK, fmNG}) button->setAutoDefault(false);
  setTabOrder(fmDrv, fmYName);
  setTabOrder(fmYName, fmPCName);
  setTabOrder(fmPCName, fmOK);
  setTabOrder(fmOK, fmNG);
  for (QLineEdit* edit : {fmDrv, fmYName, fmPCName}) edit->installEventFilter(this);
  connect(fmOK, &QPushButton::clicked, this, &SettingsDialog::fmOKClick);
  connect(fmNG, &QPushButton::clicked, this, &SettingsDialog::fmNGClick);
  KeepCentredWhenShown(*this);
  FormCreate();
}

void SettingsDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  fmDrv->setFocus();
}

void SettingsDialog::FormCreate() {
  try {
    Load();
  } catch (const TorvikError& error) {
    ShowError(this, error);
  }
}

void SettingsDialog::Load() {
  fmDrv->clear();
  fmYName->clear();
  fmPCName->clear();
  savedDrive_ = settings_.Read(settings::kDrive, DefaultTestPath());
  savedUserName_ = settings_.Read(settings::kUserName, MSysInfo.Facts().uiOwner);
  savedPcName_ = settings_.Read(settings::kPcName, QString());
  fmDrv->setText(savedDrive_);
  fmYName->setText(savedUserName_);
  fmPCName->setText(savedPcName_);
}

// Paths are case-sensitive: the text stays as typed. A path the test path
// rules refuse is refused with the message of its fault; an accepted path
// gets its trailing "/".
void SettingsDialog::fmDrvExit() {
  if (checking_) return;
  checking_ = true;
  const QString path = fmDrv->text();
  MSysInfo.SetDiSign(path);
  const TestPathProblem problem = rules_.Check(path);
  if (problem != TestPathProblem::None) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), TestPathProblemText(problem),
                    QMessageBox::Ok);
    box.exec();
    fmDrv->setText(savedDrive_);
    fmDrv->setFocus();
    // The message took the activation: the dialog reverts and closes, also
    // where the window system reports no activation change.
    if (isVisible()) FormDeactivate();
  } else {
    fmDrv->setText(NormalisedTestPath(path));
  }
  repaint();
  checking_ = false;
}

void SettingsDialog::fmOKClick() {
  // With the focus still in the path field, the field is left first.
  if (focusWidget() == fmDrv) {
    fmDrvExit();
    if (!isVisible()) return;  // refused: the dialog has closed without saving
  }
  try {
    settings_.Write(settings::kDrive, fmDrv->text());
    settings_.Write(settings::kUserName, fmYName->text());
    settings_.Write(settings::kPcName, fmPCName->text());
  } catch (const TorvikError& error) {
    ShowError(this, error);
  }
  fmDrv->setFocus();
  accept();
}

void SettingsDialog::fmNGClick() {
  fmDrv->setFocus();
  reject();
}

// The fields show the store again, discarding unsaved edits; the dialog closes.
void SettingsDialog::FormDeactivate() {
  fmDrv->setFocus();
  if (isVisible()) {
    reject();  // done() reloads the fields
    return;
  }
  try {
    Load();
  } catch (const TorvikError& error) {
    ShowError(this, error);
  }
}

bool SettingsDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      if (watched == fmDrv) fmYName->setFocus();
      if (watched == fmYName) fmPCName->setFocus();
      return true;  // the Enter key reaches no edit
    }
  }
  if (watched == fmDrv && event->type() == QEvent::FocusOut && isVisible()) {
    // Only a move to another control of the dialog is leaving the field.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::MouseFocusReason ||
        reason == Qt::OtherFocusReason) {
      fmDrvExit();
    }
  }
  return QDialog::eventFilter(watched, event);
}

void SettingsDialog::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  // Another window of this program took the activation (not another program).
  if (event->type() == QEvent::ActivationChange && isVisible() && !isActiveWindow() &&
      QApplication::activeWindow() != nullptr) {
    FormDeactivate();
  }
}

void SettingsDialog::done(int result) {
  QDialog::done(result);
  try {
    Load();
  } catch (const TorvikError& error) {
    ShowError(this, error);
  }
}

}  // namespace torvik
