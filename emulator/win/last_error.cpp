#include "arx/windows_api.h"

namespace {
// Per thread, as on Windows.
thread_local DWORD lastError = ERROR_SUCCESS;
}  // namespace

extern "C" DWORD GetLastError(void) { return lastError; }

extern "C" void SetLastError(DWORD dwErrCode) { lastError = dwErrCode; }
