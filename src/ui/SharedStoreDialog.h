// SharedStoreDialog: the shared results store's URL, reached from the
// comparison window: a PostgreSQL URL in libpq's form, tried on request on
// the archive's thread (the dialog goes on while a server is waited for),
// kept as Url in the settings' [Store] group (empty: this PC's store only).
// A URL with a password is refused: libpq finds it in ~/.pgpass or
// PGPASSWORD, and the settings file never holds one. GUI thread only.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/archive/BackgroundArchive.h"

namespace torvik {

class SharedStoreDialog : public QDialog {
  Q_OBJECT

 public:
  // `archive` (where the connection is tried) must outlive the dialog.
  explicit SharedStoreDialog(BackgroundArchive& archive, QWidget* parent = nullptr);

  // Why `url` cannot be kept; empty when it can (an empty URL included).
  static QString Refusal(const QString& url);
  // Keeps the field's URL when it may be kept, and closes; else says why.
  bool Keep();
  // Connects to the field's URL and says how it went (tried() once it has).
  void TryConnection();
  // The URL as it is kept (the field's, trimmed).
  QString Url() const { return url_->text().trimmed(); }

 signals:
  void tried(const QString& outcome);

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Shows `text` under the field, the dialog growing to keep it whole.
  void SetStatus(const QString& text);
  void KeepTextsWhole();

  BackgroundArchive& archive_;
  QLineEdit* url_ = nullptr;
  QPushButton* try_ = nullptr;
  QLabel* status_ = nullptr;
};

}  // namespace torvik
