// FileConnection: a results store in a SQLite file on this PC (by default
// ~/.local/share/Varn/TORVIK/results.sqlite). A missing file is made whole
// under a temporary name and put in place (another copy that was faster
// wins); WAL journal; the schema's version in PRAGMA user_version. Only
// TORVIK's own file is ever written: a link, a folder, a device, an empty
// file, another program's database or a newer schema is refused before
// anything is written, left byte for byte as it was. Another copy's write
// is waited for a few seconds (busy and locked are transient).
#pragma once

#include "core/history/StoreConnection.h"

namespace torvik {

class FileConnection : public StoreConnection {
 public:
  explicit FileConnection(const QString& path);

  StoreDialect Dialect() const override { return StoreDialect::Sqlite; }
  bool Open(StoreFailure& failure) override;
  bool Transient(const QSqlError& error) const override;
  QString Describe(const QSqlError& error) const override;
  InsertFailure Classify(const QSqlError& error) const override;

 private:
  // Builds a new store under a temporary name and puts it at the path.
  bool Create(StoreFailure& failure);
  // Whether the open file is TORVIK's store (refused if not), upgraded.
  bool Recognise(StoreFailure& failure);

  QString path_;
};

}  // namespace torvik
