#pragma once
// The exceptions of the data-set layer. EKRDatabaseError carries every
// failure of a table and of its companions (filters, field lists) with a
// message for the user; EKRAutoCommitError is a table's failed automatic
// commit and EKRRequiredFieldError a post refused for empty required fields.

#include "platform/vcl/DataSetTypes.h"

KR_DECLARE_EXCEPTION(EKRDatabaseError, EDatabaseError);
KR_DECLARE_EXCEPTION(EKRAutoCommitError, EKRDatabaseError);
KR_DECLARE_EXCEPTION(EKRRequiredFieldError, EKRDatabaseError);
