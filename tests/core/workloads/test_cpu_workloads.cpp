// The prime and trigonometric tests as the groups run them: ten label writes
// that never go down, one repaint after the last block, a pump after every
// block, a Stop click that does not shorten them. These run the real work
// (about a second and four seconds here).
#include <QtTest>

#include "Recorder.h"
#include "core/workloads/CpuWorkloads.h"

using namespace torvik;

namespace {

struct Run {
  testing::RecordingView view;
  RunState state{view};
  CpuWorkloads workloads{state};
  QStringList writes;  // the label's texts in the order written
  int pumps = 0;

  explicit Run(ResultLabel label) {
    view.onPump = [this, label] {
      ++pumps;
      writes << view.labels[label];
      if (pumps == 3) state.BStopClick();  // a click on Stop during the test
    };
  }
};

void CheckTenBlocks(const Run& run, Test test) {
  const QString labelWrite = QStringLiteral("label %1 ").arg(static_cast<int>(LabelOf(test)));
  qsizetype labelWrites = 0;
  for (const QString& line : run.view.log) labelWrites += line.startsWith(labelWrite) ? 1 : 0;
  QCOMPARE(labelWrites, 10);
  QCOMPARE(run.writes.size(), 10);
  double previous = -1;
  for (const QString& text : run.writes) {
    QVERIFY(text.endsWith(QStringLiteral("sec")));
    const double seconds = text.chopped(3).trimmed().toDouble();
    QVERIFY2(seconds >= previous, qPrintable(run.writes.join(u'|')));
    previous = seconds;
  }
  QCOMPARE(run.view.log.count(QStringLiteral("repaint")), 1);
  // The repaint comes after the tenth write and before the tenth pump.
  QCOMPARE(run.view.log.mid(run.view.log.size() - 2), QStringList({"repaint", "pump"}));
  const TimingSlot& slot = run.state.Results()[test];
  QCOMPARE(slot.elapsed, slot.end - slot.start);
  QCOMPARE(FormatSeconds(slot.elapsed), run.writes.last());
  QCOMPARE(run.state.StopFlag(), kStopRequested);  // seen by the group afterwards, not by the test
}

}  // namespace

class CpuWorkloadsTest : public QObject {
  Q_OBJECT

 private slots:
  void primeTestWritesTenRisingTimes() {
    Run run(ResultLabel::KCalc);
    run.workloads.PrimeTest();
    CheckTenBlocks(run, Test::Calc);
  }

  void trigTestWritesTenRisingTimes() {
    Run run(ResultLabel::KTrig);
    run.workloads.TrigTest();
    CheckTenBlocks(run, Test::Trig);
    QVERIFY(run.state.Results()[Test::Trig].elapsed > TimeValue());  // 120 million x87 evaluations
  }
};

QTEST_GUILESS_MAIN(CpuWorkloadsTest)
#include "test_cpu_workloads.moc"
