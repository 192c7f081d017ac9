# Varnikel for AutoCAD 2004: R16 host libraries, narrow (ANSI code page) strings.
set(VRK_RELEASE 2004)
set(VRK_HOST_GENERATION R16)
set(VRK_WIDTH narrow)
set(VRK_FILE_NAME Varnikel_2004.arx)
# Beside subsystems 1 to 5, the 2004 module carries the digest utility.
set(VRK_EXTRA_SUBSYSTEMS digest)
