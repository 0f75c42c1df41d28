#pragma once
// The exceptions of the data-set layer. EKRDatabaseError carries every
// failure of a table and of its companions (filters, field lists) with a
// message for the user.

#include "platform/vcl/DataSetTypes.h"

KR_DECLARE_EXCEPTION(EKRDatabaseError, EDatabaseError);
