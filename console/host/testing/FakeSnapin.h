#pragma once
// The test snap-in module of the console's tests, built as a shared module
// that exports only its entry points and links the console's shared platform
// libraries, as the product's module does. It is loaded through the registry
// and DllGetClassObject like any snap-in.
//
// The same code is also linked into the host tests themselves.
//
// Its tree, below the static node "Fake Root" (cookie 0, named through
// CCF_DISPLAY_NAME unless FAKE_SNAPIN_NO_DISPLAY_NAME is set):
//   Alpha (1)          result items r1 (size 10), r2 (9), r10 (no size)
//     One (3)
//     Two (4)
//       Leaf (5)       inserted when Two is shown, not when it is expanded
//   Beta/Gamma (2)     deletable
// Every node is renameable except the static node; "Add Node" (command 1) on
// Alpha inserts a node "Node N"; "Ask" (2) shows a form "Ask" with NameEdit,
// OKBtn and CancelBtn and inserts the name typed; "Greyed" (3) is disabled;
// "Warn" (6) asks "Really?" with Yes/No through IConsole::MessageBox;
// "Browse" (7) asks for a folder; "All Tasks > Post" (9) posts a message to a
// window of the module; "New Thing" is in the New group (4). Result
// items offer "Item Command" (5). A refresh of a node rebuilds its children:
// they are deleted from the console and inserted again (Leaf only when Two
// is shown again). On Two, "Reread" (11) rebuilds Alpha's children, and
// "Forget" (10) drops Two from the snap-in's data and then rebuilds them. The component data saves the names of the
// nodes it added; the component saves the word 7.
//
// Every notification and call is written to the journal the module exports
// as FakeSnapinJournal (a std::vector<std::string>*).

#include <string>
#include <vector>

#include "platform/com/Guid.h"

inline constexpr CLSID CLSID_FakeSnapin = GuidLiteral("{5E1D27C0-3A4B-4C5D-8E6F-708192A3B4C5}");

using FakeSnapinJournalEntry = std::vector<std::string>* (*)();

// The class factory of the copy linked into the program itself.
extern "C" HRESULT DllGetClassObject(const CLSID& clsid, const IID& iid, void** object);
