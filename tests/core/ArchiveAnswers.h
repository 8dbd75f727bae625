// Checks on what the results archive's stores and jobs answer: a failure
// fails the test with the store's own words.
#pragma once

#include <QtTest>
#include <vector>

#include "core/records/ArchiveStatus.h"

// Fails the test function unless `expr` (a status or a result) worked.
#define QVERIFY_OK(expr)                                \
  do {                                                  \
    const auto& answer_ = (expr);                       \
    QVERIFY2(answer_.Ok(), qPrintable(answer_.Text())); \
  } while (false)

// The value of `result`; a failure is the test's, and gives an empty value.
template <typename T>
T ValueOf(const torvik::ArchiveResult<T>& result) {
  if (!result.Ok()) QTest::qFail(qPrintable(result.Text()), __FILE__, __LINE__);
  return result.Ok() ? result.Value() : T{};
}
