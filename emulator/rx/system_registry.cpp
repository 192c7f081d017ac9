// The system registry of services: the class dictionary, the dynamic linker and the command stack.
#include <map>

#include "emulator/rx/class_registry.h"
#include "emulator/rx/services.h"
#include "emulator/calls/host_calls.h"
#include "emulator/text.h"

namespace vrk::emu {

AcRxObject* commandStackService();

namespace {

class ClassDictionary : public AcRxDictionary {
public:
    AcRxObject* at(const ACHAR* key) const override { return findClass(fromHost(key)); }
    AcRxClass* isA() const override { return AcRxDictionary::desc(); }
};

std::vector<void*>& unlocked() {
    static std::vector<void*> apps;
    return apps;
}
std::vector<void*>& mdiAware() {
    static std::vector<void*> apps;
    return apps;
}

class DynamicLinker : public AcRxDynamicLinker {
public:
    bool unlockApplication(void* appId) const override {
        HostCalls::instance().note("AcRxDynamicLinker::unlockApplication");
        unlocked().push_back(appId);
        return true;
    }
    bool registerAppMDIAware(void* appId) const override {
        HostCalls::instance().note("AcRxDynamicLinker::registerAppMDIAware");
        mdiAware().push_back(appId);
        return true;
    }
    AcRxClass* isA() const override { return AcRxDynamicLinker::desc(); }
};

class SystemRegistry : public AcRxDictionary {
public:
    AcRxObject* at(const ACHAR* key) const override {
        HostCalls::instance().note("AcRxDictionary::at");
        const std::string name = fromHost(key);
        if (name == "ClassDictionary") return &mClasses;
        if (name == "DynamicLinker") return &mLinker;
        if (name == "ACAD_REGISTERED_COMMANDS") return commandStackService();
        return nullptr;
    }
    AcRxClass* isA() const override { return AcRxDictionary::desc(); }

private:
    mutable ClassDictionary mClasses;
    mutable DynamicLinker mLinker;
};

}  // namespace

const std::vector<void*>& unlockedApplications() { return unlocked(); }
const std::vector<void*>& mdiAwareApplications() { return mdiAware(); }

void clearApplications() {
    unlocked().clear();
    mdiAware().clear();
}

}  // namespace vrk::emu

AcRxDictionary* acrxSysRegistry() {
    static vrk::emu::SystemRegistry* pRegistry = new vrk::emu::SystemRegistry();
    return pRegistry;
}

void acrxBuildClassHierarchy() { vrk::emu::HostCalls::instance().note("acrxBuildClassHierarchy"); }
