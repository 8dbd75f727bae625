// SettingsDialog: the settings dialog. It edits the test path, the user's
// name and the PC's name of the settings store, refuses a test path that
// the test path rules refuse (not on a fixed local disk, missing, not a
// folder, no file can be made there), each with its own message, and
// reverts to what the store holds whenever it closes or another window of
// the program takes the activation. Created once at start-up, hidden, shown
// modally by the main window, centred and with the focus on the path field
// at every showing. GUI thread only.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <memory>

#include "core/machine/SystemInfo.h"
#include "core/settings/SettingsStore.h"
#include "core/settings/TestPathRules.h"
#include "ui/LinkLabel.h"

namespace torvik {

class SettingsDialog : public QDialog {
  Q_OBJECT

 public:
  // `settings`, `sources` and `rules` must outlive the dialog; without
  // `rules` the dialog checks paths by this machine's own rules.
  SettingsDialog(SettingsStore& settings, const platform::SystemSources& sources, TestPathRules* rules = nullptr,
                 QWidget* parent = nullptr);

  QLineEdit* fmDrv = nullptr;
  QLineEdit* fmYName = nullptr;
  QLineEdit* fmPCName = nullptr;
  QPushButton* fmOK = nullptr;
  QPushButton* fmNG = nullptr;
  LinkLabel* URLLabel1 = nullptr;
  SystemInfo MSysInfo;

  // Handlers.
  void FormCreate();
  // The drive check, when the focus leaves the path field.
  void fmDrvExit();
  void fmOKClick();
  void fmNGClick();
  void FormDeactivate();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 public:
  // Every way of closing (OK, Cancel, the title bar, losing the activation)
  // ends with the fields showing what the store holds.
  void done(int result) override;

 private:
  void Load();

  SettingsStore& settings_;
  std::unique_ptr<TestPathRules> ownRules_;
  TestPathRules& rules_;
  QString savedDrive_, savedUserName_, savedPcName_;
  bool checking_ = false;
};

}  // namespace torvik
