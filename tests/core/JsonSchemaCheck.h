// A document the program wrote against its published JSON Schema, through
// python3-jsonschema (draft 2020-12), for the tests that run the program.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>

enum class SchemaCheck { Valid, Invalid, NoValidator };

// Writes `document` to `file` and validates it against `schemaFile`;
// `problem` gets the validator's last words when it is invalid.
inline SchemaCheck CheckAgainstSchema(const QByteArray& document, const QString& schemaFile, const QString& file,
                                      QByteArray& problem) {
  QFile out(file);
  if (!out.open(QIODevice::WriteOnly) || out.write(document) != document.size()) {
    problem = "cannot write " + file.toUtf8();
    return SchemaCheck::Invalid;
  }
  out.close();
  QProcess python;
  python.start(QStringLiteral("python3"), {QStringLiteral("-c"),
                                           QStringLiteral("import json, sys\n"
                                                          "try:\n  import jsonschema\nexcept ImportError:\n"
                                                          "  sys.exit(77)\n"
                                                          "jsonschema.validate(json.load(open(sys.argv[2])), "
                                                          "json.load(open(sys.argv[1])), "
                                                          "cls=jsonschema.Draft202012Validator)\n"),
                                           schemaFile, file});
  if (!python.waitForFinished(60'000) || python.exitCode() == 77) return SchemaCheck::NoValidator;
  problem = python.readAllStandardError().right(600);
  return python.exitCode() == 0 ? SchemaCheck::Valid : SchemaCheck::Invalid;
}
