#include "util/locale_flag.h"

#include "arx/windows_api.h"

bool ChineseLocaleFlag = false;

bool IsChineseSystemLocale()
{
    LCID lcid = GetSystemDefaultLCID();
    return lcid == 1028 || lcid == 2052;
}
