// The SQL a filter picks runs with, built without a database: each field's
// condition and its values in the order they bind, wildcards taken as
// text, the machine's name by the store's schema, and the key a page of a
// list goes on after.
#include <QtTest>

#include "core/store/MachineQuery.h"
#include "core/store/RunQuery.h"
#include "core/store/SchemaSteps.h"

using namespace torvik;

Q_DECLARE_METATYPE(torvik::RunFilter)

class RunQueryTest : public QObject {
  Q_OBJECT

 private slots:
  void conditions_data() {
    QTest::addColumn<RunFilter>("filter");
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("where");
    QTest::addColumn<QVariantList>("values");
    const QString machine = QStringLiteral(
        "lower(CASE WHEN coalesce(pc_name, '') = '' THEN coalesce(host_name, '') ELSE pc_name END) = lower(?)");
    QTest::newRow("every run") << RunFilter{} << kStoreSchemaVersion << QString() << QVariantList{};
    QTest::newRow("unnamed machines") << RunFilter{.pcName = QString()} << kStoreSchemaVersion
                                      << "WHERE lower(pc_name) = lower(?)" << QVariantList{QStringLiteral("")};
    QTest::newRow("wildcards are text") << RunFilter{.processor = QStringLiteral("50%_!")} << kStoreSchemaVersion
                                        << "WHERE lower(processor) LIKE lower(?) ESCAPE '!'"
                                        << QVariantList{QStringLiteral("%50!%!_!!%")};
    QTest::newRow("machine and days") << RunFilter{.group = QStringLiteral("cpu"),
                                                   .machine = QStringLiteral("Lab"),
                                                   .from = 10,
                                                   .to = 20}
                                      << kStoreSchemaVersion
                                      << "WHERE group_name = ? AND " + machine + " AND " + DatedExpression() +
                                             " = 1 AND sort_time >= ? AND sort_time <= ?"
                                      << QVariantList{QStringLiteral("cpu"), QStringLiteral("Lab"), 10LL, 20LL};
    QTest::newRow("a store without host names")
        << RunFilter{.machine = QStringLiteral("Lab")} << kHostNameStep - 1
        << "WHERE lower(coalesce(pc_name, '')) = lower(?)" << QVariantList{QStringLiteral("Lab")};
  }
  void conditions() {
    QFETCH(RunFilter, filter);
    QFETCH(int, version);
    QFETCH(QString, where);
    QFETCH(QVariantList, values);
    const RunCondition condition = RunConditionOf(filter, {}, version);
    QCOMPARE(condition.where, where);
    QCOMPARE(condition.values, values);
  }

  // A page goes on after the last run shown, newest first by time and id,
  // after the filter's own values.
  void aPageGoesOnAfterItsLastRun() {
    const RunCondition condition = RunConditionOf({.machineId = QStringLiteral("abc")}, RunKey{100, 7}, 9);
    QCOMPARE(condition.where, QStringLiteral("WHERE machine_id = ? AND (sort_time, id) < (?, ?)"));
    QCOMPARE(condition.values, (QVariantList{QStringLiteral("abc"), 100LL, 7LL}));
    QCOMPARE(IdList({3, 1, 2}), QStringLiteral("3,1,2"));
    QCOMPARE(IdList({}), QString());
  }

  // The machines' index is on the very expressions the machine reads
  // compare (else no planner would use it), and each read binds what its
  // contract says: nothing, the LIMIT, four values a machine.
  void theMachineReadsUseTheirIndex_data() {
    QTest::addColumn<QString>("statement");
    QTest::addColumn<int>("bound");
    QTest::newRow("the machines") << MachinesWithRuns({}, kStoreSchemaVersion) << 0;
    QTest::newRow("each one's newest") << LatestOfEachMachine({}, kStoreSchemaVersion) << 1;
    QTest::newRow("three machines' newest runs")
        << NewestRunsOfMachines(QStringLiteral("id"), {}, kStoreSchemaVersion, 3) << 12;
    QTest::newRow("counted") << RunCountsOfMachines({}, kStoreSchemaVersion) << 0;
  }
  void theMachineReadsUseTheirIndex() {
    QFETCH(QString, statement);
    QFETCH(int, bound);
    QCOMPARE(int(statement.count(u'?')), bound);
    const QString index = QLatin1String(SchemaStep(13).front().For(StoreDialect::Sqlite));
    QCOMPARE(QLatin1String(SchemaStep(13).front().For(StoreDialect::Postgres)), index);
    QVERIFY2(index.contains(QStringLiteral("(%1), (%2), group_name, (%3) DESC, sort_time DESC, id DESC")
                                .arg(MachineNameExpression(kStoreSchemaVersion), ProcessorModelExpression(),
                                     DatedExpression())),
             qPrintable(index));
    QVERIFY(statement.contains(MachineNameExpression(kStoreSchemaVersion)));
  }
};

QTEST_GUILESS_MAIN(RunQueryTest)
#include "test_run_query.moc"
