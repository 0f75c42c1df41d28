#include "platform/vcl/Persistent.h"

#include "platform/text/Exception.h"

void TPersistent::Assign(const TPersistent& source) { source.AssignTo(*this); }

void TPersistent::AssignTo(TPersistent& dest) const { dest.AssignError(*this); }

void TPersistent::AssignError(const TPersistent& source) const {
  throw EConvertError("Cannot assign a " + std::string(source.ClassName()) + " to a " +
                      std::string(ClassName()));
}

std::string TPersistent::GetNamePath() const { return std::string(ClassName()); }

void TPersistent::GetPublishedProperties(TPublishedProperties&) {}

void TPersistent::DefineProperties(TFiler&) {}
