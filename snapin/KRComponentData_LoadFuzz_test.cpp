// Random and mutated console documents fed to Load: a fixed number of runs
// from a fixed seed, so that every run of the test feeds the same inputs.

#include <random>

#include <gtest/gtest.h>

#include "platform/testing/TestFiles.h"
#include "snapin/KRLoadFuzzTarget.h"
#include "snapin/KRTestSupport.h"

namespace {

constexpr int kRuns = 1000;

class LoadFuzz : public ::testing::Test {
 protected:
  bool Run(const std::string& bytes) {
    return LoadConsoleDocumentChecked(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }

  // A text that is sometimes empty, sometimes long, sometimes not UTF-8.
  std::string Text() {
    static const char* const kSamples[] = {
        "pc7", "PC7", "os1", "", "lab", "\xFF\xFE", "/nonexistent/kr-dumps"};
    if (rng_() % 4 != 0) return kSamples[rng_() % std::size(kSamples)];
    std::string text(rng_() % 40, 'a');
    for (char& c : text) c = static_cast<char>(rng_() % 256);
    return text;
  }

  // A counted string whose length word may lie.
  std::string Field() {
    const std::string text = Text();
    switch (rng_() % 8) {
      case 0:
        return Word(static_cast<uint32_t>(rng_())) + text;  // any length at all
      case 1:
        return Word(0);
      default:
        return Counted(text);
    }
  }

  // A document of plausible records in any order, possibly cut short.
  std::string Structured() {
    std::string doc = Word(rng_() % 16 == 0 ? 5 : 0);
    const int records = static_cast<int>(rng_() % 12);
    for (int i = 0; i < records; ++i) {
      const uint32_t tag = rng_() % 7;
      doc += Word(tag);
      const int fields = tag == 2 ? 2 : tag == 3 ? 3 : tag == 4 ? 1 : 0;
      for (int f = 0; f < fields; ++f) doc += Field();
    }
    if (rng_() % 3 != 0) doc += Word(1);
    if (rng_() % 4 == 0) doc.resize(rng_() % (doc.size() + 1));
    return doc;
  }

  std::string Mutated(std::string doc) {
    const int changes = 1 + static_cast<int>(rng_() % 4);
    for (int i = 0; i < changes && !doc.empty(); ++i) {
      const size_t at = rng_() % doc.size();
      switch (rng_() % 3) {
        case 0:
          doc[at] = static_cast<char>(rng_() % 256);
          break;
        case 1:
          doc.erase(at, 1 + rng_() % 8);
          break;
        default:
          doc.insert(at, doc.substr(at, rng_() % 16));
          break;
      }
    }
    return doc;
  }

  std::string RandomBytes() {
    std::string bytes(rng_() % 64, '\0');
    for (char& c : bytes) c = static_cast<char>(rng_() % 256);
    return bytes;
  }

  ScopedEnv computer_{"VAZERIR_COMPUTERNAME", "PC7"};
  std::mt19937 rng_{20240501};
};

}  // namespace

TEST_F(LoadFuzz, ArbitraryDocumentsNeverBreakTheTree) {
  const std::string valid = Word(0) + Word(2) + Counted("G") + Counted("/nonexistent/kr-dumps") +
                            Word(4) + Counted("lab") + Word(3) + Counted("OS1") + Counted("lab") +
                            Counted("alice") + Word(1);
  ASSERT_TRUE(Run(valid));
  for (int run = 0; run < kRuns; ++run) {
    std::string input;
    switch (run % 3) {
      case 0:
        input = Structured();
        break;
      case 1:
        input = Mutated(valid);
        break;
      default:
        input = RandomBytes();
        break;
    }
    ASSERT_TRUE(Run(input)) << "input of " << input.size() << " bytes, run " << run;
  }
}
