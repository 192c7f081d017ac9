// The run-time class records of the emulated host.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "arx/rxobject.h"

namespace vrk::emu {

// Which host class stands in for an object of a class while it is open: the nearest class that
// the host models.  A class read from a drawing (AcDbLine, AcDbXrecord, ...) is opened as its
// nearest modelled ancestor and still reports its own class record.
enum class Facade : unsigned char {
    None,
    Object,
    Entity,
    BlockReference,
    MInsertBlock,
    Table,
    Dictionary,
    SymbolTable,
    BlockTable,
    LayerTable,
    SymbolTableRecord,
    BlockTableRecord,
    LayerTableRecord,
};

// Finds a class record by its C++ class name, or nullptr.
AcRxClass* findClass(std::string_view name);
// Finds or creates a class record deriving from parent (created classes take the parent's facade).
AcRxClass* ensureClass(std::string_view name, AcRxClass* parent);
Facade facadeOf(const AcRxClass* pClass);
const std::string& className(const AcRxClass* pClass);
const std::map<std::string, AcRxClass*>& allClasses();

}  // namespace vrk::emu

// The class record of a host class, looked up once.
#define VRK_DEFINE_DESC(CLASS_NAME)                                  \
    AcRxClass* CLASS_NAME::desc() {                                  \
        static AcRxClass* pClass = vrk::emu::findClass(#CLASS_NAME); \
        return pClass;                                               \
    }
