#pragma once
// The platform message box, through the presenter.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/MessageBoxCodes.h"

// Shows a message box; 0 (nothing shown) for a button type outside 0 .. 6.
int MessageBox(const std::string& text, const std::string& caption, uint32_t flags);

// The answers (ID*) a box with these flags offers, in button order; empty
// for an invalid button type.
std::vector<int> MessageBoxAnswers(uint32_t flags);

// The answer of a user who declines: Cancel, else No, else Abort, else OK,
// else the first of `answers` (0 for none). Modal results use the same
// numbers, so this serves message forms too. Retry and Ignore are never
// chosen while another answer exists, so that a run without a user neither
// repeats an operation forever nor passes over a failure.
int DecliningAnswer(const std::vector<int>& answers);
