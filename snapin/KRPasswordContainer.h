#pragma once
// TKRPasswordContainer: the user names and passwords that connected to a
// database, remembered for the life of the component data under the unique
// code of the database's folder. Keys are compared without regard to case
// (locale-aware), so two folders whose codes differ only in case share an
// entry. The container lives in memory only: nothing here writes to a file,
// a log or a trace. A password it lets go of (replaced, or with the
// container) is overwritten before its memory is given back.
//
// The three lists are parallel: entry i of each belongs to the same key.
// AddEntry changes all three or none.

#include <deque>
#include <string>
#include <string_view>
#include <vector>

class TKRPasswordContainer {
 public:
  TKRPasswordContainer() = default;
  ~TKRPasswordContainer();
  TKRPasswordContainer(const TKRPasswordContainer&) = delete;
  TKRPasswordContainer& operator=(const TKRPasswordContainer&) = delete;

  // Remembers the user and password under the key, replacing an earlier
  // entry of the same key.
  void AddEntry(const std::string& userName, const std::string& password,
                std::string_view uniqueCode);
  // True with the remembered texts; false with both texts emptied when the
  // key is unknown.
  bool FindUserPassword(std::string& userName, std::string& password,
                        std::string_view uniqueCode) const;
  // The number of keys remembered.
  size_t Count() const { return FUniqueCodeList.size(); }

 private:
  // The index of the key, or -1.
  std::ptrdiff_t IndexOf(std::string_view uniqueCode) const;

  std::vector<std::string> FUniqueCodeList;
  // A deque never moves its elements when it grows, so no copy of a
  // password is left behind in freed memory.
  std::deque<std::string> FPasswordList;
  std::vector<std::string> FUserList;
};

// Overwrites the text's characters (its whole buffer) with zeros, in a way
// the compiler may not drop, and empties it.
void WipeText(std::string& text);
