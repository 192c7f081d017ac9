# Varnikel for AutoCAD 2006: R16 host libraries, narrow (ANSI code page) strings.
set(VRK_RELEASE 2006)
set(VRK_HOST_GENERATION R16)
set(VRK_WIDTH narrow)
set(VRK_FILE_NAME Varnikel_2006.arx)
