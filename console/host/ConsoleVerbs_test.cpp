#include "console/host/ConsoleVerbs.h"

#include <gtest/gtest.h>

#include "platform/com/ComPtr.h"

namespace {

TEST(ConsoleVerbsTest, KeepsEachStateOfEachVerb) {
  ComPtr<TConsoleVerbs> verbs = MakeComObject<TConsoleVerbs>();
  ASSERT_EQ(verbs->SetVerbState(MMC_VERB_DELETE, ENABLED, TRUE), S_OK);
  ASSERT_EQ(verbs->SetVerbState(MMC_VERB_CUT, HIDDEN, TRUE), S_OK);
  BOOL value = FALSE;
  ASSERT_EQ(verbs->GetVerbState(MMC_VERB_DELETE, ENABLED, &value), S_OK);
  EXPECT_TRUE(value);
  ASSERT_EQ(verbs->GetVerbState(MMC_VERB_DELETE, HIDDEN, &value), S_OK);
  EXPECT_FALSE(value);
  EXPECT_TRUE(verbs->Available(MMC_VERB_DELETE));
  verbs->SetVerbState(MMC_VERB_DELETE, HIDDEN, TRUE);
  EXPECT_FALSE(verbs->Available(MMC_VERB_DELETE));
  EXPECT_TRUE(verbs->Has(MMC_VERB_CUT, HIDDEN));
  EXPECT_EQ(std::string(VerbName(MMC_VERB_CUT)), "cut");
}

TEST(ConsoleVerbsTest, RefusesWhatIsNoVerbOrNoSingleState) {
  ComPtr<TConsoleVerbs> verbs = MakeComObject<TConsoleVerbs>();
  BOOL value = FALSE;
  EXPECT_EQ(verbs->SetVerbState(MMC_VERB_MAX, ENABLED, TRUE), E_INVALIDARG);
  EXPECT_EQ(verbs->SetVerbState(MMC_VERB_NONE, ENABLED, TRUE), E_INVALIDARG);
  EXPECT_EQ(verbs->SetVerbState(MMC_VERB_OPEN, MMC_BUTTON_STATE(ENABLED | HIDDEN), TRUE),
            E_INVALIDARG);
  EXPECT_EQ(verbs->GetVerbState(MMC_VERB_OPEN, ENABLED, nullptr), E_POINTER);
  EXPECT_EQ(verbs->GetVerbState(MMC_VERB_OPEN, MMC_BUTTON_STATE(0x20), &value), E_INVALIDARG);
  EXPECT_EQ(verbs->SetDefaultVerb(MMC_CONSOLE_VERB(0x7FFF)), E_INVALIDARG);
  EXPECT_EQ(std::string(VerbName(MMC_VERB_MAX)), "");
}

TEST(ConsoleVerbsTest, ResetClearsStatesAndTheDefault) {
  ComPtr<TConsoleVerbs> verbs = MakeComObject<TConsoleVerbs>();
  verbs->SetVerbState(MMC_VERB_OPEN, ENABLED, TRUE);
  verbs->SetDefaultVerb(MMC_VERB_OPEN);
  MMC_CONSOLE_VERB verb = MMC_VERB_NONE;
  verbs->GetDefaultVerb(&verb);
  EXPECT_EQ(verb, MMC_VERB_OPEN);
  verbs->Reset();
  EXPECT_FALSE(verbs->Available(MMC_VERB_OPEN));
  EXPECT_EQ(verbs->DefaultVerb(), MMC_VERB_NONE);
}

}  // namespace
