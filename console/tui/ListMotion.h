#pragma once
// Moving the highlight of a list by keys, shared by every list the terminal
// front end shows (drop-down lists, the folder picker, the panes).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/tui/Keys.h"

// The index the highlight moves to for Up, Down, PageUp (`page` rows),
// PageDown, Home and End in a list of `count` items, clamped to the list;
// nullopt for any other key. An empty list answers -1.
std::optional<int> MoveInList(const TKey& key, int index, int count, int page);

// The first item a list of `rows` rows shows after it was showing from
// `first`: it scrolls just far enough for `highlighted` to be visible.
int FirstShown(int first, int highlighted, int rows);

// The first item after `from`, wrapping around, whose text begins with
// `prefix` regardless of case; -1 when none does.
int FindByPrefix(const std::vector<std::string>& items, int from, std::string_view prefix);
