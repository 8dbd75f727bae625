// Proves the measured instructions are in the built program: the prime loop
// divides with a 32-bit idiv, the trigonometric loop runs fptan, fcos and fsin,
// the arctangent worker fpatan. Reads the torvik executable with objdump.
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {

QString Disassembly() {
  QProcess objdump;
  objdump.start(QStringLiteral("objdump"), {"-d", "-C", "--no-show-raw-insn", QStringLiteral(TORVIK_BINARY)});
  if (!objdump.waitForFinished(120'000) || objdump.exitCode() != 0) return {};
  return QString::fromLocal8Bit(objdump.readAllStandardOutput());
}

// The instructions of one function, by its demangled name.
QStringList Body(const QString& all, const QString& function) {
  const QString header = QStringLiteral("<") + function + QStringLiteral(">:");
  const qsizetype start = all.indexOf(header);
  if (start < 0) return {};
  const qsizetype end = all.indexOf(QStringLiteral("\n\n"), start);
  QStringList lines = all.mid(start, end - start).split(u'\n');
  lines.removeFirst();
  return lines;
}

qsizetype CountMatches(const QStringList& body, const QRegularExpression& pattern) {
  qsizetype count = 0;
  for (const QString& line : body) count += line.contains(pattern) ? 1 : 0;
  return count;
}

}  // namespace

class KernelAssemblyTest : public QObject {
  Q_OBJECT

 private:
  QString disassembly_;

 private slots:
  void initTestCase() {
    if (!QFile::exists(QStringLiteral(TORVIK_BINARY))) QFAIL("the torvik executable is not built");
    disassembly_ = Disassembly();
    QVERIFY2(!disassembly_.isEmpty(), "objdump failed");
  }

  void primeLoopsDivideWith32BitIdiv() {
    // "idiv %ecx" (or idivl): a signed division of a 32-bit register or operand.
    const QRegularExpression idiv32(QStringLiteral("\\bidiv(l\\s|\\s+%e|\\s+%r\\d+d)"));
    for (const char* function : {"torvik::PrimeBlock(int, int)", "torvik::CalcWorkerLoop(int, torvik::WorkerHooks&)"}) {
      const QStringList body = Body(disassembly_, QLatin1String(function));
      QVERIFY2(!body.isEmpty(), function);
      QVERIFY2(CountMatches(body, idiv32) >= 1, function);
      // No 64-bit division stands in for it.
      QCOMPARE(CountMatches(body, QRegularExpression(QStringLiteral("\\bidiv(q\\s|\\s+%r[a-z])"))), 0);
    }
  }

  void trigLoopRunsTanCosSinInOrder() {
    const QStringList body = Body(disassembly_, QStringLiteral("torvik::TrigBlock(int, int)"));
    QVERIFY(!body.isEmpty());
    QStringList x87;
    for (const QString& line : body) {
      const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("\\b(fptan|fcos|fsin)\\b")).match(line);
      if (m.hasMatch()) x87 << m.captured(1);
    }
    // Unrolling may repeat the triple, but never reorder or drop one of it.
    QVERIFY(!x87.isEmpty());
    QCOMPARE(x87.size() % 3, 0);
    for (qsizetype i = 0; i < x87.size(); i += 3) QCOMPARE(x87.mid(i, 3), QStringList({"fptan", "fcos", "fsin"}));
  }

  void arcTanWorkerRunsFpatan() {
    const QStringList body = Body(disassembly_, QStringLiteral("torvik::RootWorkerLoop(int, torvik::WorkerHooks&)"));
    QVERIFY(!body.isEmpty());
    QVERIFY(CountMatches(body, QRegularExpression(QStringLiteral("\\bfpatan\\b"))) >= 1);
  }
};

QTEST_GUILESS_MAIN(KernelAssemblyTest)
#include "test_kernel_assembly.moc"
