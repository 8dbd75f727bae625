#include "core/store/ServerRights.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QVariant>

#include "core/store/RunColumns.h"
#include "core/store/SchemaSteps.h"

namespace torvik {
namespace {

// The one value `question` gives; `answer` null when it gives no row.
QSqlError Ask(QSqlDatabase& db, const QString& question, QVariant& answer) {
  QSqlQuery q(db);
  if (!q.exec(question)) return q.lastError();
  answer = q.next() ? q.value(0) : QVariant();
  return {};
}

// The columns of runs a member writes: every one TORVIK writes (not the
// id, nor who sent it or when it arrived, which the server sets).
QString MemberColumns() {
  QStringList names;
  for (const Column<StoredRun>& column : WrittenColumns(kStoreSchemaVersion)) names << QLatin1String(column.name);
  return names.join(QStringLiteral(", "));
}

}  // namespace

QSqlError GrantFleetRights(QSqlDatabase& db, FleetRights& done) {
  done = {};
  const auto quoted = [&db](const QString& name) { return db.driver()->escapeIdentifier(name, QSqlDriver::TableName); };
  QVariant database, schema, sequence, ownsDatabase, ownsSchema;
  for (const auto& [question, answer] :
       {std::pair{"SELECT current_database()", &database},
        {"SELECT current_schema()", &schema},
        {"SELECT pg_get_serial_sequence('runs', 'id')", &sequence},
        {"SELECT pg_has_role(current_user, datdba, 'USAGE') FROM pg_database WHERE datname = current_database()",
         &ownsDatabase},
        {"SELECT pg_has_role(current_user, nspowner, 'USAGE') FROM pg_namespace WHERE nspname = current_schema()",
         &ownsSchema}}) {
    if (const QSqlError error = Ask(db, QLatin1String(question), *answer); error.type() != QSqlError::NoError) {
      return error;
    }
  }
  QSqlQuery q(db);
  for (const char* group : {kMemberGroup, kReaderGroup}) {
    const QString role = QLatin1String(group);
    QVariant exists;
    if (const QSqlError error = Ask(db, QStringLiteral("SELECT to_regrole('%1') IS NOT NULL").arg(role), exists);
        error.type() != QSqlError::NoError) {
      return error;
    }
    if (!exists.toBool()) {
      done.missing << role;
      continue;
    }
    QStringList statements;
    if (ownsDatabase.toBool()) {
      statements << QStringLiteral("GRANT CONNECT ON DATABASE %1 TO %2").arg(quoted(database.toString()), role);
    }
    if (ownsSchema.toBool()) {
      statements << QStringLiteral("GRANT USAGE ON SCHEMA %1 TO %2").arg(quoted(schema.toString()), role);
    }
    // What an older set-up's default privileges gave (INSERT into every
    // table, the version record's too) is taken back, column rights with it.
    statements << QStringLiteral("ALTER DEFAULT PRIVILEGES IN SCHEMA %1 REVOKE ALL ON TABLES FROM %2")
                      .arg(quoted(schema.toString()), role)
               << QStringLiteral("ALTER DEFAULT PRIVILEGES IN SCHEMA %1 REVOKE ALL ON SEQUENCES FROM %2")
                      .arg(quoted(schema.toString()), role)
               << QStringLiteral("REVOKE ALL ON runs, tests, machines, torvik_schema FROM %1").arg(role)
               << QStringLiteral("REVOKE ALL ON SEQUENCE %1 FROM %2").arg(sequence.toString(), role)
               << QStringLiteral("GRANT SELECT ON runs, tests, machines, torvik_schema TO %1").arg(role);
    if (role == QLatin1String(kMemberGroup)) {
      statements << QStringLiteral("GRANT INSERT (%1) ON runs TO %2").arg(MemberColumns(), role)
                 << QStringLiteral("GRANT INSERT ON tests TO %1").arg(role)
                 << QStringLiteral("GRANT USAGE ON SEQUENCE %1 TO %2").arg(sequence.toString(), role);
    }
    for (const QString& statement : statements) {
      if (!q.exec(statement)) return q.lastError();
    }
    done.granted << role;
  }
  return {};
}

}  // namespace torvik
