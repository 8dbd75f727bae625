// GroupSequencer: the five test groups behind the CPU, Graphic, Memory, HDD
// and ALL buttons. Each clears the run state, locks the buttons, announces
// every step on the status line, calls the tests in a fixed order, keeps the
// running total and the gauge up to date and ends with a message box.
// GUI thread only; a group runs to its end without returning to the message
// loop, user input being seen only where messages are pumped.
#pragma once

#include <QString>

#include "core/run/BenchSteps.h"
#include "core/run/RunState.h"

namespace torvik {

// Status and message texts of the groups.
namespace texts {
inline const QString kMeasuring = QStringLiteral("計測中！");
inline const QString kPreparing = QStringLiteral("計測データ準備中！");
inline const QString kPrime = QStringLiteral("CPU整数演算能力 計測中！（素数算出）");
inline const QString kTrig = QStringLiteral("CPU浮動小数演算能力 計測中！（三角関数算出）");
inline const QString kSquare = QStringLiteral("２Ｄグラフィック能力 計測中！（四角形描画）");
inline const QString kCircle = QStringLiteral("２Ｄグラフィック能力 計測中！（円描画）");
inline const QString kTriangle = QStringLiteral("２Ｄグラフィック能力 計測中！（三角形描画）");
inline const QString kText = QStringLiteral("２Ｄグラフィック能力 計測中！（テキスト描画）");
inline const QString kScroll = QStringLiteral("２Ｄグラフィック能力 計測中！（スクロール描画）");
inline const QString kMemory = QStringLiteral("メモリ転送能力 計測中！（１ＭＢを２ＧＢ分転送）");
inline const QString kWrite40 = QStringLiteral("ＨＤＤ書き込み能力 計測中！（８ＫＢを４０ＭＢ分）");
inline const QString kWrite50 = QStringLiteral("ＨＤＤ書き込み能力 計測中！（８ＫＢを５０ＭＢ分）");
inline const QString kWrite60 = QStringLiteral("ＨＤＤ書き込み能力 計測中！（８ＫＢを６０ＭＢ分）");
inline const QString kRead40 = QStringLiteral("ＨＤＤ読み込み能力 計測中！（８ＫＢを４０ＭＢ分）");
inline const QString kRead50 = QStringLiteral("ＨＤＤ読み込み能力 計測中！（８ＫＢを５０ＭＢ分）");
inline const QString kRead60 = QStringLiteral("ＨＤＤ読み込み能力 計測中！（８ＫＢを６０ＭＢ分）");
inline const QString kMix = QStringLiteral("ＭｉｘＭｏｄｅ 計測中！");
inline const QString kFinished = QStringLiteral("計測が終了しました");
inline const QString kCompletedBox = QStringLiteral("計測が終了しました。Reportボタンで結果が保存されます。");
inline const QString kStoppedBox = QStringLiteral("計測を中止しました。");
}  // namespace texts

// How the last group ended.
enum class GroupEnd {
  None,       // no group has ended yet, or the last one was unwound by a close
  Completed,  // the completion box
  Stopped,    // the stop box (Stop, or the ALL group's refused drive)
  Failed,     // an error box: nothing of it counts
  Refused,    // the HDD group's drive check: nothing ran
};

class GroupSequencer {
 public:
  GroupSequencer(RunState& state, BenchTests& tests) : state_(state), view_(state.View()), tests_(tests) {}

  GroupEnd LastEnd() const { return lastEnd_; }

  // Each handler may throw ExitRequested (the window is closing; the test data
  // is already released) and, for errors outside a group's steps, TorvikError.
  void BAllClick();
  void BCPUClick();
  void B2DClick();
  void BMixClick();
  void BHDDClick();

 private:
  struct DiskStep {
    void (BenchTests::*run)();
    Test slot;
    const QString* status;
  };
  static const DiskStep kDiskSteps[6];

  // How a group runs its disk passes: whether the Stop flag is looked at, and
  // how far the gauge advances after a write and after a read test.
  struct DiskPassRules {
    bool stoppable;
    int write;
    int read;
  };

  template <typename Body>
  void Guarded(Body body);
  void DiskPass(int pass, int& progress, DiskPassRules rules);
  // Runs one test; when it raises TorvikError its result is discarded first.
  void RunTest(void (BenchTests::*run)(), Test slot);
  void Lock(bool stopEnabled);
  void Unlock();
  void Announce(const QString& text);
  void Count(Test test);
  void Finish(const QString& message);

  RunState& state_;
  RunView& view_;
  BenchTests& tests_;
  GroupEnd lastEnd_ = GroupEnd::None;
};

}  // namespace torvik
