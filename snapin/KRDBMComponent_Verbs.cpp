// The console verbs a selection offers.

#include <initializer_list>

#include "snapin/KRComponentData.h"
#include "snapin/KRDBMComponent.h"
#include "snapin/KRDBMDataObj.h"

namespace {

// The verb is offered: visible and enabled.
void Show(IConsoleVerb& verbs, MMC_CONSOLE_VERB verb) {
  verbs.SetVerbState(verb, HIDDEN, FALSE);
  verbs.SetVerbState(verb, ENABLED, TRUE);
}

// The verb is not offered at all.
void Hide(IConsoleVerb& verbs, MMC_CONSOLE_VERB verb) {
  verbs.SetVerbState(verb, HIDDEN, TRUE);
  verbs.SetVerbState(verb, ENABLED, FALSE);
}

void Disable(IConsoleVerb& verbs, MMC_CONSOLE_VERB verb) {
  verbs.SetVerbState(verb, ENABLED, FALSE);
}

// The verbs a selected scope node of this type adds to open.
void ShowVerbsOfType(IConsoleVerb& verbs, TKRFolderType folderType) {
  switch (folderType) {
    case krftComputer:
      Show(verbs, MMC_VERB_DELETE);
      break;
    case krftServer:
    case krftDBGroup:
      for (MMC_CONSOLE_VERB verb : {MMC_VERB_REFRESH, MMC_VERB_DELETE, MMC_VERB_RENAME}) {
        Show(verbs, verb);
      }
      break;
    case krftServerDB:
    case krftSchemaName:
    case krftUsers:
    case krftScenarios:
      Show(verbs, MMC_VERB_REFRESH);
      break;
    default:  // the fixed folders open, and nothing is done by default
      verbs.SetDefaultVerb(MMC_VERB_NONE);
      break;
  }
}

}  // namespace

void TIComponent::HandleStandardVerbs(bool deselectAll, LPARAM arg, IDataObject* dataObject) {
  if (!deselectAll && dataObject == nullptr) return;
  if (!FConsoleVerb) return;
  IConsoleVerb& verbs = *FConsoleVerb.Get();
  const bool scope = (arg & 0xFF) != 0;
  const bool select = ((arg >> 16) & 0xFFFF) != 0;
  const std::unique_ptr<TKRInternal> internal =
      dataObject != nullptr ? ExtractInternalFormat(dataObject) : nullptr;

  const bool multiSelection =
      !deselectAll && (IsMMCMultiSelectDataObject(dataObject) ||
                       (internal && internal->GetCookie() == MMC_MULTI_SELECT_COOKIE));
  if (multiSelection) {
    Show(verbs, MMC_VERB_DELETE);
    return;
  }
  if (deselectAll || !select) {
    if (scope) {
      for (MMC_CONSOLE_VERB verb :
           {MMC_VERB_OPEN, MMC_VERB_DELETE, MMC_VERB_PROPERTIES, MMC_VERB_RENAME}) {
        Disable(verbs, verb);
      }
      Hide(verbs, MMC_VERB_REFRESH);
    } else {
      if (internal && internal->GetCookie() == 0) Show(verbs, MMC_VERB_PROPERTIES);
      Show(verbs, MMC_VERB_REFRESH);
    }
    return;
  }
  if (!scope || !internal) return;  // a result row being selected sets nothing

  Show(verbs, MMC_VERB_OPEN);
  verbs.SetDefaultVerb(MMC_VERB_OPEN);
  Hide(verbs, MMC_VERB_REFRESH);
  const TKRFolder* folder = FolderOfCookie(internal->GetCookie());
  if (folder == nullptr) return;
  Hide(verbs, MMC_VERB_DELETE);
  Hide(verbs, MMC_VERB_RENAME);
  ShowVerbsOfType(verbs, folder->FolderType());
}
