#include "emulator/rx/class_registry.h"

#include <map>
#include <memory>

#include "emulator/text.h"

class AcRxClassImp {
public:
    std::string name;
    vrk::emu::HostString presentedName;
    AcRxClass* parent = nullptr;
    vrk::emu::Facade facade = vrk::emu::Facade::None;

    static AcRxClass* create(std::string_view name, AcRxClass* parent, vrk::emu::Facade facade) {
        AcRxClass* pClass = new AcRxClass();
        pClass->mpImp->name = std::string(name);
        pClass->mpImp->presentedName = vrk::emu::toHost(name);
        pClass->mpImp->parent = parent;
        pClass->mpImp->facade = facade;
        return pClass;
    }
    static AcRxClassImp* of(const AcRxClass* pClass) { return pClass->mpImp; }
};

AcRxClass::AcRxClass() : mpImp(new AcRxClassImp()) {}
AcRxClass::~AcRxClass() { delete mpImp; }
AcRxClass* AcRxClass::isA() const { return AcRxClass::desc(); }
const ACHAR* AcRxClass::name() const { return mpImp->presentedName.c_str(); }
AcRxClass* AcRxClass::myParent() const { return mpImp->parent; }
bool AcRxClass::isDerivedFrom(const AcRxClass* pOtherClass) const {
    for (const AcRxClass* p = this; p != nullptr; p = p->mpImp->parent)
        if (p == pOtherClass) return true;
    return false;
}

namespace vrk::emu {

namespace {

// Class records live for the life of the process, as the host's do.
class ClassRegistry {
public:
    ClassRegistry() {
        using F = Facade;
        AcRxClass* rx = add("AcRxObject", nullptr, F::None);
        add("AcRxClass", rx, F::None);
        add("AcRxDictionary", rx, F::None);
        add("AcRxDynamicLinker", rx, F::None);
        add("AcEdCommandStack", rx, F::None);
        add("AcDbHostApplicationServices", rx, F::None);
        add("AcDbDatabase", rx, F::None);
        add("AcDbLayerFilter", rx, F::None);
        AcRxClass* obj = add("AcDbObject", rx, F::Object);
        AcRxClass* ent = add("AcDbEntity", obj, F::Entity);
        AcRxClass* ref = add("AcDbBlockReference", ent, F::BlockReference);
        add("AcDbMInsertBlock", ref, F::MInsertBlock);
        add("AcDbTable", ref, F::Table);
        add("AcDbDictionary", obj, F::Dictionary);
        AcRxClass* table = add("AcDbSymbolTable", obj, F::SymbolTable);
        add("AcDbBlockTable", table, F::BlockTable);
        add("AcDbLayerTable", table, F::LayerTable);
        AcRxClass* record = add("AcDbSymbolTableRecord", obj, F::SymbolTableRecord);
        add("AcDbBlockTableRecord", record, F::BlockTableRecord);
        add("AcDbLayerTableRecord", record, F::LayerTableRecord);
    }

    AcRxClass* add(std::string_view name, AcRxClass* parent, Facade facade) {
        AcRxClass* pClass = AcRxClassImp::create(name, parent, facade);
        mClasses.emplace(std::string(name), pClass);
        return pClass;
    }
    AcRxClass* find(std::string_view name) const {
        auto it = mClasses.find(std::string(name));
        return it == mClasses.end() ? nullptr : it->second;
    }
    const std::map<std::string, AcRxClass*>& all() const { return mClasses; }

private:
    std::map<std::string, AcRxClass*> mClasses;
};

ClassRegistry& registry() {
    static ClassRegistry* pRegistry = new ClassRegistry();
    return *pRegistry;
}

}  // namespace

AcRxClass* findClass(std::string_view name) { return registry().find(name); }

AcRxClass* ensureClass(std::string_view name, AcRxClass* parent) {
    if (AcRxClass* pClass = registry().find(name)) return pClass;
    return registry().add(name, parent, facadeOf(parent));
}

Facade facadeOf(const AcRxClass* pClass) { return pClass ? AcRxClassImp::of(pClass)->facade : Facade::None; }

const std::string& className(const AcRxClass* pClass) { return AcRxClassImp::of(pClass)->name; }

const std::map<std::string, AcRxClass*>& allClasses() { return registry().all(); }

}  // namespace vrk::emu

// The host's heap, shared by the host and every module.
void* AcHeapOperators::operator new(size_t size) { return ::operator new(size); }
void AcHeapOperators::operator delete(void* p) { ::operator delete(p); }

AcRxObject::~AcRxObject() {}
AcRxClass* AcRxObject::isA() const { return AcRxObject::desc(); }
bool AcRxObject::isKindOf(const AcRxClass* pClass) const {
    const AcRxClass* pMine = isA();
    return pMine != nullptr && pMine->isDerivedFrom(pClass);
}

VRK_DEFINE_DESC(AcRxObject)
VRK_DEFINE_DESC(AcRxClass)
VRK_DEFINE_DESC(AcRxDictionary)
VRK_DEFINE_DESC(AcRxDynamicLinker)
