#include "dataset/KRDataSet_CMP_FieldText.h"

#include <cmath>
#include <utility>

#include "platform/vcl/NumericFields.h"
#include "support/KRComponentStrings.h"
#include "support/KRDateFunc_UNT.h"
#include "support/KRUtilFunctions_UNT.h"

namespace {

bool IsBlank(const std::string& text) {
  return text.find_first_not_of(' ') == std::string::npos;
}

// Installs `getText`, which is called for fields that have a value only.
void SetGetText(TField& field, std::function<std::string(TField&, bool displayText)> getText) {
  field.OnGetText = [getText = std::move(getText)](TField& sender, std::string& text,
                                                    bool displayText) {
    text = sender.IsNull() ? std::string() : getText(sender, displayText);
  };
}

}  // namespace

void KRInstallDateTimeText(TField& field) {
  SetGetText(field, [](TField& sender, bool) {
    return sender.DataType() == ftDate ? SysDateToDateStr(sender.AsDateTime())
                                       : SysDateToStr(sender.AsDateTime());
  });
  field.OnSetText = [](TField& sender, const std::string& text) {
    if (IsBlank(text)) {
      sender.Clear();
    } else {
      sender.SetAsDateTime(StrToSysDate(text, true));
    }
  };
}

void KRInstallDurationText(TField& field, std::function<int32_t()> decimals) {
  SetGetText(field, [decimals = std::move(decimals)](TField& sender, bool) {
    return DurationToStr(sender.AsInteger(), decimals(), krduAuto);
  });
  field.OnSetText = [](TField& sender, const std::string& text) {
    if (text.empty()) {
      sender.Clear();
    } else {
      sender.SetAsInteger(static_cast<int32_t>(std::trunc(StrToDuration(text, krduAuto))));
    }
  };
}

void KRInstallEnumeratedText(TField& field, std::function<std::string(int32_t value)> textOf) {
  SetGetText(field, [textOf = std::move(textOf)](TField& sender, bool) {
    return textOf(sender.AsInteger());
  });
}

void KRInstallFloatText(TField& field) {
  SetGetText(field, [](TField& sender, bool displayText) {
    const auto* number = dynamic_cast<const TFloatField*>(&sender);
    const int32_t precision = number != nullptr ? number->Precision() : 15;
    return FloatToString(sender.AsFloat(), precision, displayText);
  });
}

void KRInstallMemoText(TField& field) {
  SetGetText(field, [](TField& sender, bool) { return sender.AsString(); });
  field.OnSetText = [](TField& sender, const std::string& text) {
    if (text.empty()) {
      sender.Clear();
    } else {
      sender.SetAsString(text);
    }
  };
}

void KRSetBooleanDisplayValues(TBooleanField& field) {
  if (!field.DisplayValues().empty()) return;
  field.SetDisplayValues(ComponentString(krsBooleanTrue) + ";" + ComponentString(krsBooleanFalse));
}
