# Varnikel for AutoCAD 2008: R17 host libraries, wide (UTF-16) strings.
set(VRK_RELEASE 2008)
set(VRK_HOST_GENERATION R17)
set(VRK_WIDTH wide)
set(VRK_FILE_NAME Varnikel_2008.dll)
