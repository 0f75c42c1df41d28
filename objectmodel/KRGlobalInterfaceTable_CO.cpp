#include "objectmodel/KRGlobalInterfaceTable_CO.h"

IGlobalInterfaceTable& KRGlobalInterfaceTable() {
  static const ComPtr<IGlobalInterfaceTable> table = GetGlobalInterfaceTable();
  return *table;
}
