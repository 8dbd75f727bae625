// SettingsDialog: the settings dialog. It edits the test path, the user's name and
// the PC's name of the settings store, refuses a test path that is not on a
// fixed local disk (as the system information's drive query classifies it),
// and reverts to what the store holds whenever it closes or another window
// of the program takes the activation. Created once at start-up, hidden,
// shown modally by the main window. GUI thread only.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include "core/SettingsStore.h"
#include "core/SystemInfo.h"
#include "ui/LinkLabel.h"

namespace torvik {

namespace texts {
inline const QString kNotAHardDisk = QStringLiteral("HDD以外のデバイスが指定されました");
}  // namespace texts

class SettingsDialog : public QDialog {
 public:
  // `settings` and `sources` must outlive the dialog.
  SettingsDialog(SettingsStore& settings, const platform::SystemSources& sources, QWidget* parent = nullptr);

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

 public:
  // Every way of closing (OK, Cancel, the title bar, losing the activation)
  // ends with the fields showing what the store holds.
  void done(int result) override;

 private:
  void Load();

  SettingsStore& settings_;
  QString savedDrive_, savedUserName_, savedPcName_;
  bool checking_ = false;
};

}  // namespace torvik
