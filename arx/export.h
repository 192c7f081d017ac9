// How the host's libraries export what they declare.  The plug-in imports; the emulated host exports.
#pragma once

#if defined(_WIN32)
#if defined(VRK_BUILDING_HOST)
#define VRK_HOST_API __declspec(dllexport)
#else
#define VRK_HOST_API __declspec(dllimport)
#endif
#else
#define VRK_HOST_API __attribute__((visibility("default")))
#endif

// What a module exports to the host: its entry points, unmangled.
#if defined(_WIN32)
#define VRK_MODULE_EXPORT extern "C" __declspec(dllexport)
#else
#define VRK_MODULE_EXPORT extern "C" __attribute__((visibility("default")))
#endif
