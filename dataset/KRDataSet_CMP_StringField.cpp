#include "dataset/KRDataSet_CMP_StringField.h"

// The definitions of a table's string fields say ftString: the field
// binds to them with that type while storing wide characters.
TKRStringField::TKRStringField(TComponent* owner) : TWideStringField(owner) {
  SetDataType(ftString);
}
