// Run-time classes, the system registry of services and the dynamic linker.
#pragma once

#include "arx/acadstrc.h"

class AcRxClass;

// Declares the run-time class members of a host class.
#define ACRX_DECLARE_MEMBERS(CLASS_NAME)                                                           \
    static AcRxClass* desc();                                                                      \
    static CLASS_NAME* cast(const AcRxObject* inPtr)                                               \
    {                                                                                              \
        return inPtr != NULL && inPtr->isKindOf(CLASS_NAME::desc()) ? (CLASS_NAME*)(inPtr) : NULL; \
    }

class VRK_HOST_API AcRxObject : public AcHeapOperators {
public:
    virtual ~AcRxObject();
    static AcRxClass* desc();
    static AcRxObject* cast(const AcRxObject* inPtr) { return const_cast<AcRxObject*>(inPtr); }
    // The object's own class record.
    virtual AcRxClass* isA() const;
    // True when the object's class is pClass or derives from it.
    bool isKindOf(const AcRxClass* pClass) const;

protected:
    AcRxObject() {}
};

class VRK_HOST_API AcRxClass : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcRxClass);
    virtual AcRxClass* isA() const;
    const ACHAR* name() const;
    AcRxClass* myParent() const;
    bool isDerivedFrom(const AcRxClass* pOtherClass) const;

private:
    AcRxClass();
    virtual ~AcRxClass();
    friend class AcRxClassImp;
    class AcRxClassImp* mpImp;
};

// A dictionary of the host's services and class records, looked up by name.
class AcRxDictionary : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcRxDictionary);
    virtual AcRxObject* at(const ACHAR* key) const = 0;
};

class AcRxDynamicLinker : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcRxDynamicLinker);
    virtual bool unlockApplication(void* appId) const = 0;
    virtual bool registerAppMDIAware(void* appId) const = 0;
};

namespace AcRx {
enum AppMsgCode {
    kNullMsg = 0,
    kInitAppMsg = 1,
    kUnloadAppMsg = 2,
    kLoadDwgMsg = 3,
    kUnloadDwgMsg = 4,
    kInvkSubrMsg = 5,
    kCfgMsg = 6,
    kEndMsg = 7,
    kQuitMsg = 8,
    kSaveMsg = 9,
    kDependencyMsg = 10,
    kNoDependencyMsg = 11,
    kOleUnloadAppMsg = 12,
    kPreQuitMsg = 13,
    kInitDialogMsg = 14,
    kEndDialogMsg = 15,
    kSuspendMsg = 16
};
enum AppRetCode { kRetOK = 0, kRetError = 3 };
}  // namespace AcRx

VRK_HOST_API AcRxDictionary* acrxSysRegistry();
VRK_HOST_API void acrxBuildClassHierarchy();

#define ACRX_CLASS_DICTIONARY ACRX_T("ClassDictionary")
#define ACRX_DYNAMIC_LINKER ACRX_T("DynamicLinker")
#define ACRX_COMMAND_DOCK ACRX_T("ACAD_REGISTERED_COMMANDS")
