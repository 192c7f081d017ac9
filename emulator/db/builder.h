// Builds drawings in an emulated database directly, without going through the plug-in's API:
// for tests, the sample drawings and the drawing-file reader.
#pragma once

#include <cstdint>
#include <string_view>

#include "arx/dbdatabase.h"

namespace vrk::emu {

class DrawingBuilder {
public:
    explicit DrawingBuilder(AcDbDatabase* pDb);

    AcDbObjectId modelSpace() const;
    AcDbObjectId paperSpace() const;
    AcDbObjectId layerZero() const;
    AcDbObjectId namedObjects() const;

    AcDbObjectId addLayer(std::string_view name, bool off = false, bool frozen = false, bool locked = false);
    AcDbObjectId addBlock(std::string_view name);
    // An entity of the given class (derived from AcDbEntity) appended to the block definition.
    AcDbObjectId addEntity(AcDbObjectId blockId, AcDbObjectId layerId = AcDbObjectId::kNull, bool invisible = false,
                           std::string_view className = "AcDbLine");
    // A reference to referencedId placed in blockId; className picks the reference class.
    AcDbObjectId addReference(AcDbObjectId blockId, AcDbObjectId referencedId,
                              std::string_view className = "AcDbBlockReference");
    // The object's extension dictionary, created when it has none.
    AcDbObjectId addExtensionDictionary(AcDbObjectId ownerId);
    // An entry of a dictionary, of any class (AcDbDictionary for a nested dictionary).
    AcDbObjectId addDictionaryEntry(AcDbObjectId dictionaryId, std::string_view key,
                                    std::string_view className = "AcDbXrecord");

    // Low-level access for tests.
    static void setErased(AcDbObjectId id, bool erased);
    static void setExtensionDictionary(AcDbObjectId ownerId, AcDbObjectId dictionaryId);
    // Renames a table record as a drawing file may spell it (e.g. "*MODEL_SPACE").
    static void setRecordName(AcDbObjectId recordId, std::string_view name);
    // Makes a layer current whatever its switches, as a drawing file may say.
    static void setCurrentLayer(AcDbObjectId layerId);

private:
    AcDbObjectId recordNamed(AcDbObjectId tableId, std::string_view name) const;
    AcDbDatabase* mpDb;
};

}  // namespace vrk::emu
