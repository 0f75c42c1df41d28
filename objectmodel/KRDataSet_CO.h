#pragma once
// The object model's automation objects: the proxy interfaces, the
// interface boundary, the proxy base, proxy lists and their iterator.

#include "objectmodel/KRDataSet_CO_Boundary.h"
#include "objectmodel/KRDataSet_CO_Functions.h"
#include "objectmodel/KRDataSet_CO_Interfaces.h"
#include "objectmodel/KRDataSet_CO_Proxy.h"
#include "objectmodel/KRDataSet_CO_ProxyList.h"
