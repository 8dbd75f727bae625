// The cores group's workloads on their own: SHA-256 and AES-256-GCM against
// published known answers (FIPS 180-2's "abc", the GCM specification's
// 256-bit test cases, associated data included), the zstd round trip on
// the program's corpus and what the corpus is (the same bytes every time,
// text, about 3:1 at level 3), the trial division's counting rules
// against the classic loop itself, and every workload's own check passing
// on real work at a small size, on two threads.
#include <QtTest>
#include <set>

#include "core/cores/CryptoWorkload.h"
#include "core/cores/DivisionWorkload.h"
#include "core/cores/GcmSealer.h"
#include "core/cores/Sha256Digest.h"
#include "core/cores/TextCorpus.h"
#include "core/cores/ZstdCodec.h"
#include "core/cores/ZstdWorkload.h"
#include "core/workloads/CpuKernels.h"

using namespace torvik;

namespace {

QByteArray Hex(const QString& hex) { return QByteArray::fromHex(hex.toLatin1()); }

// Counts every remainder and composite of the classic loop.
struct CountingProbe {
  int64_t remainders = 0, composites = 0;
  bool KeepGoing() { return true; }
  void Remainder() { ++remainders; }
  void Composite(int32_t) { ++composites; }
  void Argument(int32_t) {}
};

// Runs a workload's three rounds on `threads` threads in turn on this one;
// true when every thread's check passed.
bool RunAndCheck(CoreWorkload& workload, int threads) {
  workload.Begin(threads);
  bool all = true;
  for (int i = 0; i < threads; ++i) workload.Prepare(i);
  for (int i = 0; i < threads; ++i) workload.Run(i);
  for (int i = 0; i < threads; ++i) all &= workload.Verify(i);
  workload.End();
  return all;
}

}  // namespace

class CoresWorkloadsTest : public QObject {
  Q_OBJECT

 private slots:
  void sha256KnownAnswers_data() {
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QString>("digest");
    QTest::newRow("abc") << QByteArray("abc") << "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    QTest::newRow("empty") << QByteArray() << "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
    QTest::newRow("two blocks") << QByteArray("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")
                                << "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1";
  }
  void sha256KnownAnswers() {
    QFETCH(QByteArray, message);
    QFETCH(QString, digest);
    Sha256Digest sha;
    uint8_t out[Sha256Digest::kBytes];
    // Twice through one context: each call starts afresh.
    for (int round = 0; round < 2; ++round) {
      QVERIFY(sha.Digest(message.constData(), static_cast<size_t>(message.size()), out));
      QCOMPARE(QByteArray(reinterpret_cast<const char*>(out), sizeof out).toHex(), digest.toLatin1());
    }
  }

  void gcmKnownAnswers_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("nonce");
    QTest::addColumn<QString>("plaintext");
    QTest::addColumn<QString>("aad");
    QTest::addColumn<QString>("ciphertext");
    QTest::addColumn<QString>("tag");
    const QString zero256(64, u'0');
    QTest::newRow("test case 13: nothing") << zero256 << QString(24, u'0') << ""
                                           << ""
                                           << ""
                                           << "530f8afbc74536b9a963b4f1c4cb738b";
    QTest::newRow("test case 14: one zero block") << zero256 << QString(24, u'0') << QString(32, u'0') << ""
                                                  << "cea7403d4d606b6e074ec5d3baf39d18"
                                                  << "d0d1c8a799996bf0265b98b5d48ab919";
    const QString key = "feffe9928665731c6d6a8f9467308308feffe9928665731c6d6a8f9467308308";
    const QString plain =
        "d9313225f88406e5a55909c5aff5269a86a7a9531534f7da2e4c303d8a318a721c3c0c95956809532fcf0e2449a6b525b16aedf5aa0de6"
        "57ba637b39";
    QTest::newRow("test case 16: associated data, a short last block")
        << key << "cafebabefacedbaddecaf888" << plain << "feedfacedeadbeeffeedfacedeadbeefabaddad2"
        << "522dc1f099567d07f47f37a32a84427d643a8cdcbfe5c0c97598a2bd2555d1aa8cb08e48590dbb3da7b08b1056828838c5f61e639"
           "3ba7a0abcc9f662"
        << "76fc6ece0f4e1768cddf8853bb2d551b";
  }
  void gcmKnownAnswers() {
    QFETCH(QString, key);
    QFETCH(QString, nonce);
    QFETCH(QString, plaintext);
    QFETCH(QString, aad);
    QFETCH(QString, ciphertext);
    QFETCH(QString, tag);
    uint8_t keyBytes[GcmSealer::kKeyBytes];
    uint8_t nonceBytes[GcmSealer::kNonceBytes];
    std::memcpy(keyBytes, Hex(key).constData(), sizeof keyBytes);
    std::memcpy(nonceBytes, Hex(nonce).constData(), sizeof nonceBytes);
    const QByteArray in = Hex(plaintext);
    const QByteArray associated = Hex(aad);
    GcmSealer sealer(keyBytes);
    QVERIFY(sealer.Ready());
    // Twice through one context: the nonce set anew each message.
    for (int round = 0; round < 2; ++round) {
      QByteArray out(in.size(), '\0');
      uint8_t tagBytes[GcmSealer::kTagBytes];
      QVERIFY(sealer.Seal(nonceBytes, associated.constData(), static_cast<size_t>(associated.size()), in.constData(),
                          static_cast<size_t>(in.size()), out.data(), tagBytes));
      QCOMPARE(out.toHex(), ciphertext.toLatin1());
      QCOMPARE(QByteArray(reinterpret_cast<const char*>(tagBytes), sizeof tagBytes).toHex(), tag.toLatin1());
    }
  }

  void corpusIsTheSameTextEveryTime() {
    const std::string a = MakeTextCorpus(1 << 20);
    QCOMPARE(a.size(), size_t{1} << 20);
    QVERIFY(a == MakeTextCorpus(1 << 20));
    // A shorter corpus is the start of a longer one.
    QVERIFY(a.compare(0, 1000, MakeTextCorpus(1000)) == 0);
    QVERIFY(a != MakeTextCorpus(1 << 20, kCorpusSeed + 1));
    std::set<std::string> words;
    size_t sentences = 0, lines = 0;
    std::string word;
    for (char c : a) {
      QVERIFY2((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == ' ' || c == ',' || c == '.' || c == '\n',
               "not text");
      if (c >= 'a' && c <= 'z') {
        word += c;
      } else if (c >= 'A' && c <= 'Z') {
        word += static_cast<char>(c - 'A' + 'a');
      } else if (!word.empty()) {
        words.insert(word);
        word.clear();
      }
      sentences += c == '.';
      lines += c == '\n';
    }
    // A vocabulary of made-up words (some made twice), sentences, paragraphs.
    QVERIFY(words.size() > 3000 && words.size() <= 4096);
    QVERIFY(sentences > 10000);
    QVERIFY(lines * 7 < sentences && lines * 9 > sentences);
  }

  void corpusCompressesAboutThreeToOneAndComesBack() {
    const std::string corpus = MakeTextCorpus(4 << 20);
    ZstdCodec codec;
    std::string packed(ZstdCodec::Bound(corpus.size()), '\0');
    const size_t size = codec.Compress(packed.data(), packed.size(), corpus.data(), corpus.size(), 3);
    QVERIFY(!ZstdCodec::IsError(size));
    const double ratio = static_cast<double>(corpus.size()) / static_cast<double>(size);
    QVERIFY2(ratio > 2.8 && ratio < 3.3, qPrintable(QString::number(ratio)));
    std::string back(corpus.size(), '\0');
    QCOMPARE(codec.Decompress(back.data(), back.size(), packed.data(), size), corpus.size());
    QVERIFY(back == corpus);
    // Too small an output is an error, never a short success.
    QVERIFY(ZstdCodec::IsError(codec.Decompress(back.data(), back.size() - 1, packed.data(), size)));
    QVERIFY(ZstdCodec::IsError(codec.Decompress(back.data(), back.size(), packed.data(), size - 1)));
  }

  void divisionCountsAreTheLoopsOwn_data() {
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::newRow("1") << 1 << 1;
    QTest::newRow("1..4") << 1 << 4;
    QTest::newRow("1..100") << 1 << 100;
    QTest::newRow("97..121: primes and squares") << 97 << 121;
    QTest::newRow("1..20000") << 1 << 20000;
  }
  void divisionCountsAreTheLoopsOwn() {
    QFETCH(int, first);
    QFETCH(int, last);
    CountingProbe probe;
    TrialDivision(first, last, probe);
    const DivisionWorkload::Counts counts = DivisionWorkload::Count(first, last);
    QCOMPARE(counts.divisions, probe.remainders);
    QCOMPARE(counts.composites, probe.composites);
    QCOMPARE(DivisionKernel(first, last), probe.composites);
  }

  void classicRangeGivesTheClassicCount() {
    // The classic prime test's 1..100,000: 455,189,150 remainders.
    QCOMPARE(DivisionWorkload::Count(1, 100'000).divisions, int64_t{455'189'150});
  }

  void everyWorkloadChecksOutOnRealWork() {
    auto corpus = std::make_shared<const std::string>(MakeTextCorpus(256 << 10));
    DivisionWorkload division(1, 3000);
    ZstdWorkload compress(ZstdWorkload::Direction::Compress, corpus, 2);
    ZstdWorkload decompress(ZstdWorkload::Direction::Decompress, corpus, 3);
    CryptoWorkload sha(CryptoWorkload::Algorithm::Sha256, 5);
    CryptoWorkload gcm(CryptoWorkload::Algorithm::Aes256Gcm, 5);
    for (CoreWorkload* workload : std::initializer_list<CoreWorkload*>{&division, &compress, &decompress, &sha, &gcm}) {
      QVERIFY2(RunAndCheck(*workload, 2), qPrintable(workload->Test()));
    }
    // The work per thread in the unit's own count.
    QCOMPARE(division.WorkPerThread(), double(DivisionWorkload::Count(1, 3000).divisions));
    QCOMPARE(compress.WorkPerThread(), 2.0 * (256 << 10));
    QCOMPARE(decompress.WorkPerThread(), 3.0 * (256 << 10));
    QCOMPARE(sha.WorkPerThread(), 5.0 * 16384);
    QCOMPARE(gcm.Unit(), QStringLiteral("MB/s"));
    QCOMPARE(division.Unit(), QStringLiteral("ops/s"));
    // MB/s are decimal megabytes a second of input; ops/s plain.
    QCOMPARE(gcm.Rate(2e6, 1'000'000'000), 2.0);
    QCOMPARE(division.Rate(5e8, 500'000'000), 1e9);
  }

  void aCheckThatIsNeverRunFails() {
    // A thread whose Run never happened holds no answer: its check fails.
    auto corpus = std::make_shared<const std::string>(MakeTextCorpus(64 << 10));
    DivisionWorkload division(1, 500);
    ZstdWorkload decompress(ZstdWorkload::Direction::Decompress, corpus, 1);
    CryptoWorkload gcm(CryptoWorkload::Algorithm::Aes256Gcm, 1);
    ZstdWorkload compress(ZstdWorkload::Direction::Compress, corpus, 1);
    CryptoWorkload sha(CryptoWorkload::Algorithm::Sha256, 1);
    for (CoreWorkload* workload : std::initializer_list<CoreWorkload*>{&division, &compress, &decompress, &gcm, &sha}) {
      workload->Begin(1);
      workload->Prepare(0);
      QVERIFY2(!workload->Verify(0), qPrintable(workload->Test()));
      workload->End();
    }
  }
};

QTEST_GUILESS_MAIN(CoresWorkloadsTest)
#include "test_cores_workloads.moc"
