#include "core/cores/MeasureFailure.h"

#include <QCoreApplication>
#include <algorithm>

namespace torvik {

QString MebibytesText(int64_t bytes) {
  const int64_t mib = bytes <= 0 ? 0 : (bytes + (int64_t{1} << 20) - 1) >> 20;
  QString digits = QString::number(mib);
  for (qsizetype at = digits.size() - 3; at > 0; at -= 3) digits.insert(at, u',');
  return digits;
}

MeasureFailure MeasureFailure::NotEnoughMemory(int64_t neededBytes, int64_t availableBytes) {
  return {MeasureFailureKind::NotEnoughMemory,
          QCoreApplication::translate("MeasureFailure",
                                      "メモリが足りません。計測には %1 MiB 必要ですが、使えるのは %2 MiB です")
              .arg(MebibytesText(neededBytes),
                   MebibytesText(std::max<int64_t>(availableBytes, 0) & ~((int64_t{1} << 20) - 1)))};
}

MeasureFailure MeasureFailure::MemoryRefused(int64_t bytes, int error) {
  return {MeasureFailureKind::MemoryRefused,
          QCoreApplication::translate("MeasureFailure", "メモリを %1 MiB 確保できませんでした（errno %2）")
              .arg(MebibytesText(bytes))
              .arg(error)};
}

MeasureFailure MeasureFailure::PinRefused(int processor, int error) {
  return {MeasureFailureKind::PinRefused,
          QCoreApplication::translate("MeasureFailure", "スレッドをプロセッサ %1 に固定できませんでした（errno %2）")
              .arg(processor)
              .arg(error)};
}

MeasureFailure MeasureFailure::ThreadRefused(int error) {
  return {
      MeasureFailureKind::ThreadRefused,
      QCoreApplication::translate("MeasureFailure", "計測用のスレッドを開始できませんでした（errno %1）").arg(error)};
}

MeasureFailure MeasureFailure::LibraryFailed(const QString& what, const QString& detail) {
  return {MeasureFailureKind::LibraryFailed,
          QCoreApplication::translate("MeasureFailure", "%1 がエラーを返しました: %2").arg(what, detail)};
}

MeasureFailure MeasureFailure::WrongResult(const QString& what, int threads) {
  return {
      MeasureFailureKind::WrongResult,
      QCoreApplication::translate("MeasureFailure", "%1 の計算結果が正しくありません（%2 スレッド）。計測を中止します")
          .arg(what)
          .arg(threads)};
}

}  // namespace torvik
