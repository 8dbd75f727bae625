// The data block: 819 x87 extended values, 10 bytes each, from byte 0 or 2,
// the two free bytes untouched.
#include <QtTest>
#include <cmath>
#include <cstring>
#include <numbers>

#include "core/workloads/DataBlock.h"

using namespace torvik;

namespace {

using Bytes = std::array<uint8_t, kExtendedSize>;

// The value of 10 bytes in the x87 layout, decoded independently of the encoder.
long double Decode(const uint8_t* bytes) {
  uint64_t significand = 0;
  for (int i = 7; i >= 0; --i) significand = (significand << 8) | bytes[i];
  const int signExponent = bytes[8] | (bytes[9] << 8);
  const int exponent = (signExponent & 0x7FFF) - 16383;
  const long double magnitude = std::ldexp(static_cast<long double>(significand), exponent - 63);
  return (signExponent & 0x8000) ? -magnitude : magnitude;
}

}  // namespace

class DataBlockTest : public QObject {
  Q_OBJECT

 private slots:
  void encodesTheX87Layout() {
    // pi rounded to 64 bits, as the x87 unit itself holds it (fldpi).
    QCOMPARE(EncodeExtended(std::numbers::pi_v<long double>),
             (Bytes{0x35, 0xC2, 0x68, 0x21, 0xA2, 0xDA, 0x0F, 0xC9, 0x00, 0x40}));
    QCOMPARE(EncodeExtended(1.0L), (Bytes{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));
    QCOMPARE(EncodeExtended(-2.0L), (Bytes{0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC0}));
    QCOMPARE(EncodeExtended(0.0L), Bytes{});
  }

  void kTimesPiFromByteZero() {
    std::vector<uint8_t> block(kBlockSize, 0xAA);
    FillBlock(block.data(), BlockValues::KTimesPi, 0);
    QCOMPARE(
        EncodeExtended(std::numbers::pi_v<long double>),
        (Bytes{block[0], block[1], block[2], block[3], block[4], block[5], block[6], block[7], block[8], block[9]}));
    for (int k : {1, 2, 410, 819}) {
      const long double value = Decode(block.data() + (k - 1) * kExtendedSize);
      QVERIFY(std::fabs(static_cast<double>(value - k * std::numbers::pi_v<long double>)) < 1e-12 * k);
    }
    // 819 values fill bytes 0..8189; the last two are not touched.
    QCOMPARE(block[8190], uint8_t{0xAA});
    QCOMPARE(block[8191], uint8_t{0xAA});
    QVERIFY(block[8189] != 0xAA || block[8188] != 0xAA);
  }

  void cosFromByteTwo() {
    std::vector<uint8_t> block(kBlockSize, 0xAA);
    FillBlock(block.data(), BlockValues::CosK, 2);
    QCOMPARE(block[0], uint8_t{0xAA});
    QCOMPARE(block[1], uint8_t{0xAA});
    QVERIFY(std::fabs(static_cast<double>(Decode(block.data() + 2)) - std::cos(1.0)) < 1e-15);
    QVERIFY(std::fabs(static_cast<double>(Decode(block.data() + 2 + 818 * kExtendedSize)) - std::cos(819.0)) < 1e-12);
    QVERIFY(block[8191] != 0xAA || block[8190] != 0xAA);  // the last value reaches the end
  }

  void tanFromByteZero() {
    std::vector<uint8_t> block(kBlockSize, 0);
    FillBlock(block.data(), BlockValues::TanK, 0);
    QVERIFY(std::fabs(static_cast<double>(Decode(block.data())) - std::tan(1.0)) < 1e-14);
    QVERIFY(std::fabs(static_cast<double>(Decode(block.data() + 10)) - std::tan(2.0)) < 1e-14);
  }

  void putExtendedWritesOneValue() {
    std::vector<uint8_t> block(kBlockSize, 0x11);
    PutExtended(block.data(), 2, 1.0L);
    QCOMPARE(block[19], uint8_t{0x11});
    QCOMPARE(block[27], uint8_t{0x80});
    QCOMPARE(block[29], uint8_t{0x3F});
    QCOMPARE(block[30], uint8_t{0x11});
  }
};

QTEST_GUILESS_MAIN(DataBlockTest)
#include "test_data_block.moc"
