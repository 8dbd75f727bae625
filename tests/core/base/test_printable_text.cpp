// One rule for characters that do not print: each becomes a blank (NUL,
// ESC, DEL, the C1 controls, line breaks, invisible format characters, a
// lone surrogate), wide characters and pairs beyond the BMP stay; and one
// PC name is one text in every place it is written: the local store, the
// JSON, the result sheet and its import, the report page.
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include "StoreAnswers.h"
#include "core/archive/SheetParser.h"
#include "core/base/PrintableText.h"
#include "core/page/HtmlReport.h"
#include "core/page/ReportContents.h"
#include "core/report/JsonReport.h"
#include "core/report/ReportBuilder.h"
#include "core/store/ResultStore.h"

using namespace torvik;

namespace {

QString Units(std::initializer_list<char16_t> units) {
  QString text;
  for (char16_t unit : units) text += QChar(unit);
  return text;
}

}  // namespace

class PrintableTextTest : public QObject {
  Q_OBJECT

 private slots:
  void blanksWhatDoesNotPrint_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("printable");
    QTest::newRow("NUL") << Units({u'd', 0, u'1'}) << "d 1";
    QTest::newRow("ESC of a colour sequence") << QStringLiteral("\x1b[31mred") << " [31mred";
    QTest::newRow("DEL") << QStringLiteral(
                                "a\x7f"
                                "b")
                         << "a b";
    QTest::newRow("tab, line feed, carriage return") << QStringLiteral("a\tb\nc\rd") << "a b c d";
    QTest::newRow("C1 next line") << Units({u'a', 0x85, u'b'}) << "a b";
    QTest::newRow("C1 control sequence introducer") << Units({u'a', 0x9b, u'b'}) << "a b";
    QTest::newRow("C1's first and last") << Units({0x80, 0x9f}) << "  ";
    QTest::newRow("no-break space prints") << Units({u'a', 0xa0, u'b'}) << Units({u'a', 0xa0, u'b'});
    QTest::newRow("line and paragraph separators") << Units({u'a', 0x2028, u'b', 0x2029}) << "a b ";
    QTest::newRow("right-to-left override") << Units({u'a', 0x202e, u'b'}) << "a b";
    QTest::newRow("byte order mark") << Units({0xfeff, u'a'}) << " a";
    QTest::newRow("lone high surrogate") << Units({u'a', 0xd83d, u'b'}) << "a b";
    QTest::newRow("lone low surrogate") << Units({u'a', 0xde00}) << "a ";
    QTest::newRow("high surrogate last") << Units({0xd83d}) << " ";
    QTest::newRow("two high surrogates") << Units({0xd83d, 0xd83d, 0xde00}) << Units({u' ', 0xd83d, 0xde00});
    QTest::newRow("a format character beyond the BMP (language tag)") << Units({0xdb40, 0xdc01}) << "  ";
    QTest::newRow("wide characters kept")
        << QStringLiteral("ベンチ機　全角ＰＣ") << QStringLiteral("ベンチ機　全角ＰＣ");
    QTest::newRow("an emoji (a pair) kept") << QStringLiteral("pc\U0001F600") << QStringLiteral("pc\U0001F600");
    QTest::newRow("a joined emoji kept") << QStringLiteral("\U0001F469\u200D\U0001F4BB")
                                         << QStringLiteral("\U0001F469\u200D\U0001F4BB");
    QTest::newRow("nothing") << QString() << QString();
  }
  void blanksWhatDoesNotPrint() {
    QFETCH(QString, text);
    QFETCH(QString, printable);
    QCOMPARE(PrintableText(text), printable);
    QCOMPARE(PrintableText(printable), printable);  // once is enough
    QCOMPARE(OneLine(text), printable);             // the sheet's and the command line's rule is this one
  }

  // A PC name with a NUL, an ESC, a C1 control and a lone surrogate, as a
  // hand-edited settings file may give it: the same text everywhere.
  void oneNameEverywhere() {
    const QString name = Units({u'd', u'e', u's', u'k', 0, 0x1b, u'7', 0x85, 0xd800, u'ベ'});
    const QString expected = QStringLiteral("desk  7  ベ");
    QCOMPARE(PrintableText(name), expected);
    RunRecord record;
    record.started = QDateTime(QDate(2026, 12, 8), QTime(14, 5, 9));
    record.groups = {Group::Memory};
    record.pcName = name;
    record.userName = name;
    record.results[Test::Memory].elapsed = TimeValue::FromTenths(3);
    record.results[Test::Memory].elapsedNs = 300'000'000;
    record.results.Total() = TimeValue::FromTenths(3);

    const QJsonObject json = BuildJsonReport({record}, record.started).object();
    QCOMPARE(json["pc_name"].toString(), expected);
    QCOMPARE(json["user_name"].toString(), expected);

    QTemporaryDir dir;
    ResultStore store(dir.filePath(QStringLiteral("results.sqlite")));
    QVERIFY_OK(store.Record(RunFromRecord(record)));
    const std::vector<StoredRun> kept = ValueOf(store.RunsWithTests(RunFilter{}, 10));
    QCOMPARE(kept.size(), size_t{1});
    QCOMPARE(kept[0].pcName, expected);
    QCOMPARE(kept[0].userName, expected);

    SheetInputs sheet;
    sheet.locale = QLocale::c();
    sheet.now = record.started;
    sheet.captions = CaptionsOf(record.results, u'.');
    const QStringList block = BuildReport(record, sheet);
    QVERIFY(block.contains(QStringLiteral("   PC-Name       : ") + expected));
    const ParsedSheet parsed = ParseSheet((block.join(u'\n') + u'\n').toUtf8(), QDateTime::currentDateTime());
    QCOMPARE(parsed.runs.size(), size_t{1});
    QCOMPARE(parsed.runs[0].pcName, expected);

    // The page: the name as it is everywhere, escaped, and no control byte.
    StoredRun hand = kept[0];
    hand.pcName = name;  // as a store of an older TORVIK may hold it
    const QByteArray page = HtmlReport(ReportOfStore({hand}, {{hand}}, {}));
    QVERIFY(page.contains(expected.toHtmlEscaped().toUtf8()));
    for (const char control : {'\0', '\x1b'}) QVERIFY(!page.contains(control));
    QVERIFY(!page.contains("\xc2\x85"));
  }
};

QTEST_GUILESS_MAIN(PrintableTextTest)
#include "test_printable_text.moc"
