// A deliverable module: the plug-in, linked whole, exporting only its entry points.

// The module's version in readable text, so that `strings` (or a look at the file) tells which build it is.
#define VRK_STRINGIFY2(x) #x
#define VRK_STRINGIFY(x) VRK_STRINGIFY2(x)
extern "C" {
#if defined(__GNUC__)
__attribute__((used))
#endif
extern const char vrkModuleVersion[] = "Varnikel " VRK_VERSION " for AutoCAD " VRK_STRINGIFY(VRK_RELEASE);
}
