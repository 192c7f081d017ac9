// The host classes that stand for an object while it is open.
#include "emulator/db/facades.h"

#include "emulator/db/open.h"
#include "emulator/rx/class_registry.h"
#include "arx/dbdatabase.h"

namespace vrk::emu {

namespace {

template <class Base>
class Facade final : public Base {
public:
    Facade() = default;
    ~Facade() override = default;
};

template <class Base>
AcDbObject* make() {
    return new Facade<Base>();
}

}  // namespace

AcDbObject* createFacade(AcDbStub* pStub, const AcRxClass* pClass) {
    AcDbObject* pObj = nullptr;
    switch (facadeOf(pClass)) {
        case vrk::emu::Facade::Entity: pObj = make<AcDbEntity>(); break;
        case vrk::emu::Facade::BlockReference: pObj = make<AcDbBlockReference>(); break;
        case vrk::emu::Facade::MInsertBlock: pObj = make<AcDbMInsertBlock>(); break;
        case vrk::emu::Facade::Table: pObj = make<AcDbTable>(); break;
        case vrk::emu::Facade::Dictionary: pObj = make<AcDbDictionary>(); break;
        case vrk::emu::Facade::SymbolTable: pObj = make<AcDbSymbolTable>(); break;
        case vrk::emu::Facade::BlockTable: pObj = make<AcDbBlockTable>(); break;
        case vrk::emu::Facade::LayerTable: pObj = make<AcDbLayerTable>(); break;
        case vrk::emu::Facade::SymbolTableRecord: pObj = make<AcDbSymbolTableRecord>(); break;
        case vrk::emu::Facade::BlockTableRecord: pObj = make<AcDbBlockTableRecord>(); break;
        case vrk::emu::Facade::LayerTableRecord: pObj = make<AcDbLayerTableRecord>(); break;
        case vrk::emu::Facade::Object:
        case vrk::emu::Facade::None: pObj = make<AcDbObject>(); break;
    }
    AcDbObjectAccess::attach(pObj, pStub);
    return pObj;
}

void destroyFacade(AcDbObject* pObj) { delete static_cast<AcRxObject*>(pObj); }

}  // namespace vrk::emu
