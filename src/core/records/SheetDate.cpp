#include "core/records/SheetDate.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "core/report/ReportBuilder.h"

namespace torvik {
namespace {

// A way to read a date line: a locale (its month names and AM/PM texts) and
// a whole format.
struct DateReading {
  QLocale locale;
  QString format;
};

// The two readings of the sheet written in `locale`: date and time, date alone.
void AddReadings(const QLocale& locale, std::vector<DateReading>& readings, std::set<QString>& seen) {
  const ReportDateFormats formats = ReportDateFormatsOf(locale);
  for (const QString& format : {formats.date + u' ' + formats.time, formats.date}) {
    // Locales that read alike are tried once.
    const QString key = format + u'|' + locale.amText() + u'|' + locale.pmText() + u'|' +
                        (format.contains(QLatin1String("MMM"))
                             ? locale.monthName(12, QLocale::ShortFormat) + locale.monthName(9, QLocale::ShortFormat)
                             : QString());
    if (seen.insert(key).second) readings.push_back({locale, format});
  }
}

// The readings of every locale this program speaks, and the older forms.
const std::vector<DateReading>& SpokenReadings() {
  static const std::vector<DateReading> readings = [] {
    std::vector<DateReading> list;
    std::set<QString> seen;
    // The window's own languages' home locales first: where a text reads
    // two ways (9/12/26), the likelier writer wins.
    for (const QLocale& locale :
         {QLocale(QLocale::Japanese, QLocale::Japan), QLocale(QLocale::English, QLocale::UnitedStates),
          QLocale(QLocale::English, QLocale::UnitedKingdom), QLocale::c()}) {
      AddReadings(locale, list, seen);
    }
    for (const QLocale& locale : QLocale::matchingLocales(QLocale::English, QLocale::AnyScript, QLocale::AnyTerritory))
      AddReadings(locale, list, seen);
    for (const QLocale& locale : QLocale::matchingLocales(QLocale::Japanese, QLocale::AnyScript, QLocale::AnyTerritory))
      AddReadings(locale, list, seen);
    for (const char* format : {"yyyy/MM/dd H:mm:ss", "yyyy/MM/dd HH:mm:ss", "dd/MM/yyyy HH:mm:ss", "M/d/yy h:mm:ss AP",
                               "yyyy-MM-dd HH:mm:ss"}) {
      list.push_back({QLocale::c(), QLatin1String(format)});
    }
    return list;
  }();
  return readings;
}

// Where a format's numeric fields are (quoted text skipped; month and day
// names are no numbers).
struct NumericField {
  qsizetype at, length;
  QChar letter;
};

std::vector<NumericField> NumericFields(const QString& format) {
  std::vector<NumericField> fields;
  for (qsizetype i = 0; i < format.size();) {
    const QChar c = format[i];
    if (c == u'\'') {
      const qsizetype close = format.indexOf(u'\'', i + 1);
      i = close < 0 ? format.size() : close + 1;
      continue;
    }
    qsizetype n = 1;
    while (i + n < format.size() && format[i + n] == c) ++n;
    const bool name = (c == u'd' || c == u'M') && n >= 3;
    if (QStringLiteral("dMyHhmsz").contains(c) && !name) fields.push_back({i, n, c});
    i += n;
  }
  return fields;
}

bool HasTwoDigitYear(const QString& format) {
  const std::vector<NumericField> fields = NumericFields(format);
  return std::any_of(fields.begin(), fields.end(),
                     [](const NumericField& f) { return f.letter == u'y' && f.length == 2; });
}

// The year ending in `twoDigits` from 70 years before `thisYear` to 29 after.
int FullYear(int twoDigits, int thisYear) {
  const int first = thisYear - 70;
  return first + ((twoDigits - first) % 100 + 100) % 100;
}

// `text` and `format` with a two-digit year written out in four digits, so
// that Qt, which reads "yy" in the 1900s, reads it in its century (and
// 29 February of a year 00 stays a date). Unchanged when the format has no
// two-digit year or the text's numbers do not line up with its fields.
void WriteYearInFull(QString& text, QString& format, int thisYear) {
  const std::vector<NumericField> fields = NumericFields(format);
  const auto year = std::find_if(fields.begin(), fields.end(),
                                 [](const NumericField& f) { return f.letter == u'y' && f.length == 2; });
  if (year == fields.end()) return;
  static const QRegularExpression number(QStringLiteral("[0-9]+"));
  std::vector<QRegularExpressionMatch> numbers;
  for (auto it = number.globalMatch(text); it.hasNext();) numbers.push_back(it.next());
  if (numbers.size() != fields.size()) return;
  const QRegularExpressionMatch& digits = numbers[year - fields.begin()];
  if (digits.capturedLength() != 2) return;
  text.replace(digits.capturedStart(), 2, QString::number(FullYear(digits.captured().toInt(), thisYear)));
  format.replace(year->at, 2, QStringLiteral("yyyy"));
}

std::optional<QDateTime> Read(const QString& text, const DateReading& reading, QDate today) {
  QString written = text;
  QString format = reading.format;
  WriteYearInFull(written, format, today.year());
  QDateTime date = reading.locale.toDateTime(written, format);
  if (!date.isValid()) return std::nullopt;
  // A two-digit year among names (no line-up of numbers): moved after reading.
  if (HasTwoDigitYear(format))
    date = date.addYears(FullYear(date.date().year() % 100, today.year()) - date.date().year());
  return date;
}

}  // namespace

std::optional<QDateTime> SheetDate(const QString& text, const QLocale& writer, QDate today) {
  const QString trimmed = text.trimmed();
  // The writer's readings, made once per locale and thread.
  thread_local std::map<QString, std::vector<DateReading>> writers;
  std::vector<DateReading>& own = writers[writer.name() + u'|' + writer.bcp47Name()];
  if (own.empty()) {
    std::set<QString> seen;
    AddReadings(writer, own, seen);
  }
  for (const DateReading& reading : own) {
    if (auto date = Read(trimmed, reading, today)) return date;
  }
  for (const DateReading& reading : SpokenReadings()) {
    if (auto date = Read(trimmed, reading, today)) return date;
  }
  return std::nullopt;
}

}  // namespace torvik
