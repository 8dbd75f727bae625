#include "core/store/RunColumns.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QDateTime>
#include <QUuid>
#include <cmath>

#include "core/base/PrintableText.h"
#include "core/store/SchemaNumbers.h"

namespace torvik {
namespace {

template <typename T>
QVariant Optional(const std::optional<T>& value) {
  return value ? QVariant::fromValue(*value) : QVariant();
}
template <typename T>
std::optional<T> OptionalOf(const QVariant& value) {
  return value.isNull() ? std::nullopt : std::optional<T>(value.value<T>());
}
// A stored seconds or rate: none when null, and none with the test marked
// when it is no figure (NaN, an infinity, zero, a negative, a text that is
// no number), so no caller ever ranks, averages or writes it.
std::optional<double> FigureOf(StoredTest& test, const QVariant& value, bool (*figure)(double)) {
  if (value.isNull()) return std::nullopt;
  bool number = false;
  const double read = value.toDouble(&number);
  if (number && figure(read)) return read;
  test.notAFigure = true;
  return std::nullopt;
}
// A drive row's extra figure: none unless it is one.
std::optional<double> ExtraFigureOf(const QVariant& value) {
  const std::optional<double> figure = OptionalOf<double>(value);
  return figure && IsFigure(*figure) ? figure : std::nullopt;
}
// The longest text a column keeps: a name, a processor's, a path.
constexpr qsizetype kMaxText = 4'096;

// A text as it may leave for any store: bounded, then printable (no NUL,
// which a server's statement text would end at, no control character, no
// surrogate the bound cut in two), as the JSON and the sheet write it.
QString Safe(const QString& text) { return PrintableText(text.left(kMaxText)); }
QVariant OrNull(const QString& text) { return text.isEmpty() ? QVariant() : QVariant(Safe(text)); }
// Text columns are never null: an empty text is stored as such.
QVariant Text(const QString& text) { return QVariant(text.isNull() ? QStringLiteral("") : Safe(text)); }

using RunColumn = Column<StoredRun>;
using TestColumn = Column<StoredTest>;

// A text column, never null.
template <QString StoredRun::*field>
RunColumn TextColumn(const char* name) {
  return {name, [](const StoredRun& r) { return Text(r.*field); },
          [](StoredRun& r, const QVariant& v) { r.*field = v.toString(); }};
}
// A text that may be missing: null when empty.
template <QString StoredRun::*field>
RunColumn OptionalTextColumn(const char* name) {
  return {name, [](const StoredRun& r) { return OrNull(r.*field); },
          [](StoredRun& r, const QVariant& v) { r.*field = v.toString(); }};
}
template <auto StoredRun::*field>
RunColumn OptionalColumn(const char* name) {
  using Value = typename std::remove_reference_t<decltype(std::declval<StoredRun>().*field)>::value_type;
  return {name, [](const StoredRun& r) { return Optional(r.*field); },
          [](StoredRun& r, const QVariant& v) { r.*field = OptionalOf<Value>(v); }};
}
// A fact's value, worked out from the texts.
template <auto FactValues::*field>
RunColumn ValueColumn(const char* name) {
  using Value = typename std::remove_reference_t<decltype(std::declval<FactValues>().*field)>::value_type;
  return {name, [](const StoredRun& r) { return Optional(r.values.*field); },
          [](StoredRun& r, const QVariant& v) { r.values.*field = OptionalOf<Value>(v); }, true};
}
template <QString FactValues::*field>
RunColumn ValueTextColumn(const char* name) {
  return {name, [](const StoredRun& r) { return OrNull(r.values.*field); },
          [](StoredRun& r, const QVariant& v) { r.values.*field = v.toString(); }, true};
}
// A test's noise: none for an imported run and before the store kept it
// (its seconds, read first, say whether there is any).
template <auto TestNoise::*field>
TestColumn NoiseColumn(const char* name) {
  using Value = typename std::remove_reference_t<decltype(std::declval<TestNoise>().*field)>::value_type;
  return {name, [](const StoredTest& t) { return t.noise ? Optional((*t.noise).*field) : QVariant(); },
          [](StoredTest& t, const QVariant& v) {
            if (t.noise) (*t.noise).*field = OptionalOf<Value>(v);
          }};
}

// `column`, added by schema step `step`.
template <typename Row>
Column<Row> Since(int step, Column<Row> column) {
  column.sinceStep = step;
  return column;
}

const RunColumn kRunColumns[] = {
    {"id", nullptr, [](StoredRun& r, const QVariant& v) { r.id = v.toLongLong(); }},
    TextColumn<&StoredRun::started>("started"),
    {"sort_time", [](const StoredRun& r) { return QVariant(qlonglong(r.sortTime)); },
     [](StoredRun& r, const QVariant& v) { r.sortTime = v.toLongLong(); }},
    TextColumn<&StoredRun::group>("group_name"),
    {"stopped", [](const StoredRun& r) { return QVariant(r.stopped ? 1 : 0); },
     [](StoredRun& r, const QVariant& v) { r.stopped = v.toInt() != 0; }},
    OptionalColumn<&StoredRun::benchNo>("bench_no"),
    {"total_tenths", [](const StoredRun& r) { return QVariant(qlonglong(r.totalTenths)); },
     [](StoredRun& r, const QVariant& v) { r.totalTenths = v.toLongLong(); }},
    {"total_seconds", [](const StoredRun& r) { return Optional(r.totalSeconds); },
     [](StoredRun& r, const QVariant& v) {
       // A run that measured nothing has a total of 0; a NaN or an
       // infinity is no total.
       r.totalSeconds = OptionalOf<double>(v);
       if (r.totalSeconds && !(std::isfinite(*r.totalSeconds) && *r.totalSeconds >= 0)) r.totalSeconds.reset();
     }},
    TextColumn<&StoredRun::userName>("user_name"),
    TextColumn<&StoredRun::pcName>("pc_name"),
    TextColumn<&StoredRun::os>("os"),
    TextColumn<&StoredRun::processor>("processor"),
    TextColumn<&StoredRun::caches>("caches"),
    TextColumn<&StoredRun::memory>("memory"),
    TextColumn<&StoredRun::display>("display"),
    TextColumn<&StoredRun::testDirectory>("test_directory"),
    TextColumn<&StoredRun::origin>("origin"),
    Since(2, OptionalTextColumn<&StoredRun::sheetKey>("sheet_key")),
    Since(3, OptionalTextColumn<&StoredRun::platform>("platform")),
    Since(4, OptionalTextColumn<&StoredRun::series>("series")),
    Since(5, RunColumn{"uuid",
                       [](const StoredRun& r) {
                         return QVariant(r.uuid.isEmpty() ? QUuid::createUuid().toString(QUuid::WithoutBraces)
                                                          : r.uuid);
                       },
                       [](StoredRun& r, const QVariant& v) { r.uuid = v.toString(); }}),
    // 1: sent; 0: waiting; 2: set aside (the shared store would not take
    // it); null: kept before there was a shared store, never to be sent.
    Since(5,
          RunColumn{"sent", [](const StoredRun& r) { return QVariant(r.sent                    ? 1
                                                                     : r.sendProblem.isEmpty() ? 0
                                                                                               : 2); },
                    [](StoredRun& r, const QVariant& v) { r.sent = v.isNull() || v.toInt() == 1; }}),
    Since(4, ValueTextColumn<&FactValues::startedAt>("started_at")),
    Since(4, ValueTextColumn<&FactValues::processorName>("processor_name")),
    Since(4, ValueColumn<&FactValues::clockMhz>("clock_mhz")),
    Since(4, ValueColumn<&FactValues::memoryMb>("memory_mb")),
    Since(4, ValueColumn<&FactValues::l1DataKb>("l1_data_kb")),
    Since(4, ValueColumn<&FactValues::l1InstructionKb>("l1_instruction_kb")),
    Since(4, ValueColumn<&FactValues::l2Kb>("l2_kb")),
    Since(4, ValueColumn<&FactValues::l2LineBytes>("l2_line_bytes")),
    Since(4, ValueColumn<&FactValues::l2Ways>("l2_ways")),
    Since(4, ValueColumn<&FactValues::screenWidth>("screen_width")),
    Since(4, ValueColumn<&FactValues::screenHeight>("screen_height")),
    Since(4, ValueColumn<&FactValues::screenDepth>("screen_depth")),
    Since(4, ValueTextColumn<&FactValues::displayAdapter>("display_adapter")),
    Since(kHostNameStep, OptionalTextColumn<&StoredRun::hostName>("host_name")),
    Since(kHostNameStep, OptionalTextColumn<&StoredRun::machineId>("machine_id")),
    Since(9, OptionalTextColumn<&StoredRun::sendProblem>("send_problem")),
    Since(kSenderStep, OptionalTextColumn<&StoredRun::torvikVersion>("torvik_version")),
    Since(kSenderStep, OptionalColumn<&StoredRun::torvikSchema>("torvik_schema")),
    // The server's own: set by its trigger, never written by a PC.
    Since(kSenderStep, RunColumn{"sent_by", nullptr, [](StoredRun& r, const QVariant& v) { r.sentBy = v.toString(); }}),
    Since(kSenderStep, RunColumn{"received_at", nullptr,
                                 [](StoredRun& r, const QVariant& v) {
                                   const QDateTime at = v.toDateTime();
                                   r.receivedAt = at.isValid() ? at.toUTC().toString(Qt::ISODate) : v.toString();
                                 }}),
};

const TestColumn kTestColumns[] = {
    {"test", [](const StoredTest& t) { return QVariant(Safe(t.test)); },
     [](StoredTest& t, const QVariant& v) { t.test = v.toString(); }},
    {"tenths", [](const StoredTest& t) { return QVariant(qlonglong(t.tenths)); },
     [](StoredTest& t, const QVariant& v) {
       t.tenths = v.toLongLong();
       if (t.tenths < 0 || t.tenths > 1'000'000'000) t.notAFigure = true, t.tenths = 0;
     }},
    {"seconds", [](const StoredTest& t) { return Optional(t.seconds); },
     [](StoredTest& t, const QVariant& v) { t.seconds = FigureOf(t, v, IsTimeFigure); }},
    {"rate", [](const StoredTest& t) { return Optional(t.rate); },
     [](StoredTest& t, const QVariant& v) { t.rate = FigureOf(t, v, IsFigure); }},
    {"unit", [](const StoredTest& t) { return Text(t.unit); },
     [](StoredTest& t, const QVariant& v) { t.unit = v.toString(); }},
    Since(4, TestColumn{"noise_seconds",
                        [](const StoredTest& t) { return t.noise ? QVariant(t.noise->seconds) : QVariant(); },
                        [](StoredTest& t, const QVariant& v) {
                          if (!v.isNull()) t.noise.emplace().seconds = v.toDouble();
                        }}),
    Since(4, NoiseColumn<&TestNoise::othersCoreSeconds>("others_core_seconds")),
    Since(4, NoiseColumn<&TestNoise::clockMinMhz>("clock_min_mhz")),
    Since(4, NoiseColumn<&TestNoise::clockMaxMhz>("clock_max_mhz")),
    Since(4,
          TestColumn{"governor", [](const StoredTest& t) { return t.noise ? OrNull(t.noise->governor) : QVariant(); },
                     [](StoredTest& t, const QVariant& v) {
                       if (t.noise) t.noise->governor = v.toString();
                     }}),
    Since(4,
          TestColumn{"hypervisor",
                     [](const StoredTest& t) { return t.noise ? QVariant(t.noise->hypervisor ? 1 : 0) : QVariant(); },
                     [](StoredTest& t, const QVariant& v) {
                       if (t.noise) t.noise->hypervisor = v.toInt() != 0;
                     }}),
    Since(4, NoiseColumn<&TestNoise::loadAverage>("load_average")),
    Since(10, TestColumn{"iops", [](const StoredTest& t) { return Optional(t.iops); },
                         [](StoredTest& t, const QVariant& v) { t.iops = ExtraFigureOf(v); }}),
    Since(10, TestColumn{"p50_us", [](const StoredTest& t) { return Optional(t.p50Us); },
                         [](StoredTest& t, const QVariant& v) { t.p50Us = ExtraFigureOf(v); }}),
    Since(10, TestColumn{"p99_us", [](const StoredTest& t) { return Optional(t.p99Us); },
                         [](StoredTest& t, const QVariant& v) { t.p99Us = ExtraFigureOf(v); }}),
    Since(10, TestColumn{"p999_us", [](const StoredTest& t) { return Optional(t.p999Us); },
                         [](StoredTest& t, const QVariant& v) { t.p999Us = ExtraFigureOf(v); }}),
    Since(10, TestColumn{"engine", [](const StoredTest& t) { return OrNull(t.engine); },
                         [](StoredTest& t, const QVariant& v) { t.engine = v.toString(); }}),
};

template <typename Row>
QString Placeholders(std::span<const Column<Row>> columns) {
  return QStringLiteral("?, ").repeated(static_cast<qsizetype>(columns.size()) - 1) + u'?';
}

}  // namespace

std::span<const Column<StoredRun>> RunColumns() { return kRunColumns; }

std::vector<Column<StoredRun>> WrittenColumns(int version) {
  std::vector<Column<StoredRun>> written = ColumnsAt(RunColumns(), version);
  std::erase_if(written, [](const Column<StoredRun>& column) { return column.write == nullptr; });
  return written;
}
std::span<const Column<StoredTest>> TestColumns() { return kTestColumns; }

template <typename Row>
Row RowReader<Row>::Read(const QSqlQuery& query) const {
  Row row;
  for (size_t i = 0; i < columns_.size(); ++i) {
    columns_[i].read(row, indexes_[i] < 0 ? QVariant() : query.value(indexes_[i]));
  }
  return row;
}
template class RowReader<StoredRun>;
template class RowReader<StoredTest>;

QString InsertRunStatement(int version) {
  const std::vector<Column<StoredRun>> written = WrittenColumns(version);
  return QStringLiteral("INSERT INTO runs (%1) VALUES (%2)")
      .arg(ColumnList<StoredRun>(written), Placeholders<StoredRun>(written));
}

void BindRun(QSqlQuery& insert, const StoredRun& run, int version) {
  // A run comes with its values (a finished run's from its record, an
  // imported sheet's from its texts); one made without them gets them
  // from its texts here.
  StoredRun kept = run;
  if (!kept.values.Known()) kept.values = ValuesFromText(run.Texts());
  for (const Column<StoredRun>& column : WrittenColumns(version)) insert.addBindValue(column.write(kept));
}

QString InsertTestStatement(int version, int rows) {
  const std::vector<Column<StoredTest>> written = ColumnsAt(TestColumns(), version);
  const QString row = QStringLiteral("(?, %1)").arg(Placeholders<StoredTest>(written));
  QStringList values;
  for (int i = 0; i < rows; ++i) values << row;
  return QStringLiteral("INSERT INTO tests (run_id, %1) VALUES %2")
      .arg(ColumnList<StoredTest>(written), values.join(u','));
}

void BindTest(QSqlQuery& insert, int64_t runId, const StoredTest& test, int version) {
  insert.addBindValue(qlonglong(runId));
  for (const Column<StoredTest>& column : ColumnsAt(TestColumns(), version)) insert.addBindValue(column.write(test));
}

QSqlError ConvertFactsToValues(QSqlDatabase& db) {
  QSqlQuery read(db);
  if (!read.exec(QStringLiteral("SELECT id, started, processor, caches, memory, display FROM runs"))) {
    return read.lastError();
  }
  std::vector<StoredRun> converted;
  const RowReader<StoredRun> reader(RunColumns(), read.record());
  while (read.next()) {
    StoredRun& run = converted.emplace_back(reader.Read(read));
    run.values = ValuesFromText(run.Texts());
  }
  read.finish();
  std::vector<Column<StoredRun>> values;
  for (const Column<StoredRun>& column : RunColumns()) {
    if (column.fromTexts) values.push_back(column);
  }
  QSqlQuery write(db);
  if (!write.prepare(QStringLiteral("UPDATE runs SET (%1) = (%2) WHERE id = ?")
                         .arg(ColumnList<StoredRun>(values), Placeholders<StoredRun>(values)))) {
    return write.lastError();
  }
  for (const StoredRun& run : converted) {
    for (const Column<StoredRun>& column : values) write.addBindValue(column.write(run));
    write.addBindValue(qlonglong(run.id));
    if (!write.exec()) return write.lastError();
  }
  return {};
}

}  // namespace torvik
