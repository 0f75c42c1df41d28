// Identifiers of the console's interfaces and of the persistence interfaces.

#include "platform/mmc/MmcInterfaces.h"
#include "platform/mmc/PersistStream.h"

const IID IID_IComponentData = GuidLiteral("955AB28A-5218-11D0-A985-00C04FD8D565");
const IID IID_IComponent = GuidLiteral("43136EB2-D36C-11CF-ADBC-00AA00A80033");
const IID IID_IConsole = GuidLiteral("43136EB1-D36C-11CF-ADBC-00AA00A80033");
const IID IID_IConsole2 = GuidLiteral("103D842A-AA63-11D1-A7E1-00C04FD8D565");
const IID IID_IConsoleNameSpace = GuidLiteral("BEDEB620-F24D-11CF-8AFC-00AA003CA9F6");
const IID IID_IConsoleNameSpace2 = GuidLiteral("255F18CC-65DB-11D1-A7DC-00C04FD8D565");
const IID IID_IConsoleVerb = GuidLiteral("E49F7A60-74AF-11D0-A286-00C04FD8FE93");
const IID IID_IHeaderCtrl = GuidLiteral("43136EB3-D36C-11CF-ADBC-00AA00A80033");
const IID IID_IHeaderCtrl2 = GuidLiteral("9757ABB8-1B32-11D1-A7CE-00C04FD8D565");
const IID IID_IResultData = GuidLiteral("31DA5FA0-E0EB-11CF-9F21-00AA003CA9F6");
const IID IID_IImageList = GuidLiteral("43136EB8-D36C-11CF-ADBC-00AA00A80033");
const IID IID_IContextMenuCallback = GuidLiteral("43136EB7-D36C-11CF-ADBC-00AA00A80033");
const IID IID_IContextMenuProvider = GuidLiteral("43136EB6-D36C-11CF-ADBC-00AA00A80033");
const IID IID_IExtendContextMenu = GuidLiteral("4F3B7A4F-CFAC-11CF-B8E3-00C04FD8D5B0");
const IID IID_IResultDataCompare = GuidLiteral("E8315A52-7A1A-11D0-A2D2-00C04FD909DD");
const IID IID_IResultOwnerData = GuidLiteral("9CB396D8-EA83-11D0-AEF1-00C04FB6DD2C");
const IID IID_IPersist = GuidLiteral("0000010C-0000-0000-C000-000000000046");
const IID IID_IPersistStream = GuidLiteral("00000109-0000-0000-C000-000000000046");
