#include "support/KRComponentStrings.h"

#include "support/KRModuleStrings.h"

StringTable ComponentStringTable() {
  return {
      {10401, "Field '%0:s' must have a value."},
      {10402, "All modifications have been undone and the data has been refreshed."},
      {10403,
       "Changes made outside of this applet, possibly by another user, prevent modifications "
       "from being saved."},
      {10404, "Safecall exception trapped"},
      {10405,
       "Norvik Supply Chain Solutions, GUI Framework\rclass: '%0:s', message: '%1:s', "
       "address: $%2:.8x\rtrapped by: %3:s\rinvoked by: '%4:s' [%5:s]"},
      {10406, "True"},
      {10407, "False"},
      {14605, "Warning"},
      {14606, "Error"},
      {14607, "Information"},
      {14608, "Confirmation"},
      {14609, "Yes"},
      {14610, "No"},
      {14611, "OK"},
      {14612, "Cancel"},
      {14613, "Abort"},
      {14614, "Retry"},
      {14615, "Ignore"},
      {14616, "All"},
      {14617, "No to All"},
      {14618, "Yes to All"},
      {14619, "Help"},
      {14659, "a"},
      {14660, "s"},
      {14661, "min"},
      {14662, "h"},
      {14663, "d"},
      {14664, "w"},
      {14665, "Invalid date: %0:s (should be between %1:s and %2:s)."},
      {14666, "Invalid duration unit: %0:s."},
      {14669, "mo"},
      {14670, "y"},
  };
}

namespace {

constinit TKRModuleStrings gComponentStrings(ComponentStringTable);

}  // namespace

HINSTANCE ComponentsInstance() { return gComponentStrings.Instance(); }

std::string ComponentString(UINT id) { return gComponentStrings.Text(id); }
