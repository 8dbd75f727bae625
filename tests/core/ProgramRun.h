// The built program run over a test's own data folder (its store, settings
// and home all in it), for the tests that read what the command line writes.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

struct Outcome {
  int exitCode = -1;  // -1: it did not finish within a minute
  QByteArray out, err;
};

// `program` with `arguments`, XDG_DATA_HOME and HOME in `data`, its settings
// in `data`/config; `extra` on top of the test's own environment.
inline Outcome RunProgram(const QString& program, const QTemporaryDir& data, const QStringList& arguments,
                          const QProcessEnvironment& extra = {}) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("XDG_DATA_HOME"), data.path());
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), data.filePath(QStringLiteral("config")));
  environment.insert(QStringLiteral("HOME"), data.path());
  environment.insert(extra);
  process.setProcessEnvironment(environment);
  process.start(program, arguments);
  Outcome outcome;
  if (!process.waitForFinished(60'000)) return outcome;
  outcome.exitCode = process.exitCode();
  outcome.out = process.readAllStandardOutput(), outcome.err = process.readAllStandardError();
  return outcome;
}
