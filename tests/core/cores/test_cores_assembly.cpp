// Proves the cores group's measured work is in the built library: the
// division kernel divides with 32-bit idiv (no 64-bit division, no parity
// test instead), and the timed loops of the zstd and EVP workloads call the
// library for every round rather than having been folded away. Reads the
// torvik_core library with objdump (its relocations name the callees).
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {

QString Disassembly() {
  QProcess objdump;
  objdump.start(QStringLiteral("objdump"),
                {"-d", "-r", "-C", "--no-show-raw-insn", QStringLiteral(TORVIK_CORE_LIBRARY)});
  if (!objdump.waitForFinished(300'000) || objdump.exitCode() != 0) return {};
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

qsizetype Count(const QStringList& body, const QString& pattern) {
  const QRegularExpression re(pattern);
  qsizetype count = 0;
  for (const QString& line : body) count += line.contains(re) ? 1 : 0;
  return count;
}

}  // namespace

class CoresAssemblyTest : public QObject {
  Q_OBJECT

 private:
  QString disassembly_;

 private slots:
  void initTestCase() {
    disassembly_ = Disassembly();
    QVERIFY2(!disassembly_.isEmpty(), "objdump failed on the core library");
  }

  void divisionKernelDividesWith32BitIdiv() {
    const QStringList body = Body(disassembly_, QStringLiteral("torvik::DivisionKernel(int, int)"));
    QVERIFY(!body.isEmpty());
    QVERIFY(Count(body, QStringLiteral("\\bidiv(l\\s|\\s+%e|\\s+%r\\d+d)")) >= 1);
    QCOMPARE(Count(body, QStringLiteral("\\bidiv(q\\s|\\s+%r[a-z])")), 0);
    // The divisor is never known to be 2: no test of the low bit stands in.
    QCOMPARE(Count(body, QStringLiteral("\\btest\\s+\\$0x1,")), 0);
  }

  void timedLoopsCallTheLibraries_data() {
    QTest::addColumn<QString>("function");
    QTest::addColumn<QStringList>("callees");
    QTest::newRow("zstd") << "torvik::ZstdWorkload::Run(int)"
                          << QStringList{"torvik::ZstdCodec::Compress", "torvik::ZstdCodec::Decompress"};
    QTest::newRow("crypto") << "torvik::CryptoWorkload::Run(int)"
                            << QStringList{"torvik::Sha256Digest::Digest", "torvik::GcmSealer::Seal"};
  }
  void timedLoopsCallTheLibraries() {
    QFETCH(QString, function);
    QFETCH(QStringList, callees);
    const QStringList body = Body(disassembly_, function);
    QVERIFY2(!body.isEmpty(), qPrintable(function));
    for (const QString& callee : callees) {
      // A call whose relocation names the callee, and a jump back after it:
      // the call sits inside a loop.
      qsizetype call = -1;
      for (qsizetype i = 0; i + 1 < body.size(); ++i) {
        if (body[i].contains(QRegularExpression(QStringLiteral("\\bcall\\b"))) && body[i + 1].contains(callee))
          call = i;
      }
      QVERIFY2(call >= 0, qPrintable(callee));
      const qsizetype here = body[call].section(u':', 0, 0).trimmed().toLongLong(nullptr, 16);
      bool back = false;
      for (qsizetype i = call + 1; i < body.size() && !back; ++i) {
        const QRegularExpressionMatch jump =
            QRegularExpression(QStringLiteral("\\bj[a-z]+\\s+([0-9a-f]+) <")).match(body[i]);
        back = jump.hasMatch() && jump.captured(1).toLongLong(nullptr, 16) < here;
      }
      QVERIFY2(back, qPrintable(callee + QStringLiteral(": not in a loop")));
    }
  }
};

QTEST_GUILESS_MAIN(CoresAssemblyTest)
#include "test_cores_assembly.moc"
