// An engine library that lacks the CreateServer export.
#include "TestLibExport.h"

TESTLIB_EXPORT void DeleteServer() {}
