// Whether the system locale is Chinese; set once at load, read when labelling the progress meter.
#pragma once

extern bool ChineseLocaleFlag;

// True when the Windows system default locale is Chinese as used in Taiwan (1028) or in the
// People's Republic (2052), compared whole, sort-order bits included.
bool IsChineseSystemLocale();
