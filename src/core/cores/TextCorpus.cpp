#include "core/cores/TextCorpus.h"

#include <algorithm>
#include <vector>

namespace torvik {
namespace {

constexpr int kVocabulary = 4096;
constexpr char kConsonants[] = "bcdfghklmnprstvwyz";
constexpr char kVowels[] = "aeiou";

std::string MakeWord(SplitMix64& random) {
  // One to four syllables, the longer ones rarer; a syllable is a consonant
  // and a vowel, with a closing consonant one time in three.
  const int syllables = 1 + static_cast<int>(random.Below(3)) + (random.Below(4) == 0 ? 1 : 0);
  std::string word;
  for (int i = 0; i < syllables; ++i) {
    word += kConsonants[random.Below(sizeof kConsonants - 1)];
    word += kVowels[random.Below(sizeof kVowels - 1)];
    if (random.Below(3) == 0) word += kConsonants[random.Below(sizeof kConsonants - 1)];
  }
  return word;
}

}  // namespace

std::string MakeTextCorpus(size_t bytes, uint64_t seed) {
  SplitMix64 random(seed);
  std::vector<std::string> words;
  words.reserve(kVocabulary);
  for (int i = 0; i < kVocabulary; ++i) words.push_back(MakeWord(random));
  // Zipf weights 2^32 / rank, summed for drawing by bisection.
  std::vector<uint64_t> cumulative(kVocabulary);
  uint64_t total = 0;
  for (int rank = 0; rank < kVocabulary; ++rank) {
    total += (uint64_t{1} << 32) / static_cast<uint64_t>(rank + 1);
    cumulative[rank] = total;
  }

  std::string text;
  text.reserve(bytes + 64);
  int inSentence = 0;
  int sentenceLength = 5 + static_cast<int>(random.Below(15));
  int sentences = 0;
  while (text.size() < bytes) {
    const uint64_t pick = random.Below(total);
    const size_t rank = std::upper_bound(cumulative.begin(), cumulative.end(), pick) - cumulative.begin();
    std::string word = words[rank];
    if (inSentence == 0) word[0] = static_cast<char>(word[0] - 'a' + 'A');
    text += word;
    if (++inSentence >= sentenceLength) {
      text += '.';
      inSentence = 0;
      sentenceLength = 5 + static_cast<int>(random.Below(15));
      text += ++sentences % 8 == 0 ? '\n' : ' ';
    } else {
      text += random.Below(12) == 0 ? ", " : " ";
    }
  }
  text.resize(bytes);
  return text;
}

}  // namespace torvik
