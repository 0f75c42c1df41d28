#pragma once
// TIComponent: the snap-in's per-view object, made by the component data's
// CreateComponent for every console view. It holds a counted reference to
// its component data (so a view that outlives the snap-in object never
// reaches a freed tree) and the console's result-pane interfaces, which
// Destroy releases.
//
// - Initialize keeps the console, its header control (handed back through
//   SetHeader), the result data, the result image list and the verbs;
//   whatever the console does not offer stays absent. S_OK.
// - QueryDataObject makes the multi-selection object for cookie -2 (the node
//   types of the selected rows, in selection order; E_FAIL when a row's
//   folder type has no node type) and leaves every other cookie to the
//   component data.
// - GetResultViewType asks for the default list view with multiple
//   selection (S_FALSE).
// - GetDisplayInfo answers a row's text in the asked column (empty when
//   there is none) and its image: a folder row its scope image, an item row
//   image 1. The text stays valid until the next call.
// - CompareObjects answers S_FALSE: two data objects never denote one row.
// - Notify handles no notification yet: S_FALSE, the console does its
//   default.

#include <string>

#include "platform/com/ComPtr.h"
#include "platform/mmc/MmcInterfaces.h"

class TKRComponentData;

class TIComponent : public ComObject<IComponent> {
 public:
  TIComponent();
  ~TIComponent() override;

  void SetIComponentData(TKRComponentData* componentData);
  TKRComponentData* ComponentData() const { return FComponentData.Get(); }
  bool Initialized() const { return FInitialized; }
  IConsole* Console() const { return FIConsole.Get(); }
  IResultData* ResultData() const { return FResult.Get(); }
  IHeaderCtrl* Header() const { return FHeader.Get(); }

  HRESULT Initialize(IConsole* console) override;
  HRESULT Notify(IDataObject* dataObject, MMC_NOTIFY_TYPE event, LPARAM arg, LPARAM param) override;
  HRESULT Destroy(MMC_COOKIE cookie) override;
  HRESULT QueryDataObject(MMC_COOKIE cookie, DATA_OBJECT_TYPES type,
                          IDataObject** dataObject) override;
  HRESULT GetResultViewType(MMC_COOKIE cookie, LPOLESTR* viewType, LONG* viewOptions) override;
  HRESULT GetDisplayInfo(RESULTDATAITEM* resultItem) override;
  HRESULT CompareObjects(IDataObject* a, IDataObject* b) override;

 private:
  HRESULT QueryMultiSelectDataObject(MMC_COOKIE cookie, DATA_OBJECT_TYPES type,
                                     IDataObject** dataObject);

  ComPtr<IConsole> FIConsole;
  bool FInitialized = false;
  ComPtr<IResultData> FResult;
  ComPtr<TKRComponentData> FComponentData;
  ComPtr<IImageList> FImageResult;
  ComPtr<IHeaderCtrl> FHeader;
  ComPtr<IConsoleVerb> FConsoleVerb;
  // The text handed out by the last GetDisplayInfo.
  std::u16string FDisplayText;
};
