// Database objects, entities and dictionaries, and the host's global open function.
#pragma once

#include "arx/dbid.h"
#include "arx/rxobject.h"

class AcDbDictionary;

// A database-resident object.  The host hands it out opened; its opener closes it.
class VRK_HOST_API AcDbObject : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbObject);
    virtual AcRxClass* isA() const;

    AcDbObjectId objectId() const;
    AcDbObjectId ownerId() const;
    AcDbDatabase* database() const;

    AcDbObjectId extensionDictionary() const;
    Acad::ErrorStatus createExtensionDictionary();
    // Detaches the extension dictionary; refused while it still holds entries that are not erased.
    Acad::ErrorStatus releaseExtensionDictionary();

    Acad::ErrorStatus erase(bool erasing = true);
    bool isErased() const;

    bool isReadEnabled() const;
    bool isWriteEnabled() const;
    bool isNotifyEnabled() const;
    // Gives the object back to the host; the pointer must not be used afterwards.
    Acad::ErrorStatus close();

protected:
    AcDbObject();
    virtual ~AcDbObject();

private:
    AcDbObject(const AcDbObject&);
    AcDbObject& operator=(const AcDbObject&);
    friend class AcDbObjectAccess;
    AcDbStub* mpStub;
};

class VRK_HOST_API AcDbEntity : public AcDbObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbEntity);
    AcDbObjectId blockId() const;
    AcDbObjectId layerId() const;
    Acad::ErrorStatus setLayer(AcDbObjectId newVal);
    AcDb::Visibility visibility() const;
    Acad::ErrorStatus setVisibility(AcDb::Visibility newVal);

protected:
    AcDbEntity();
};

class VRK_HOST_API AcDbBlockReference : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(AcDbBlockReference);
    AcDbObjectId blockTableRecord() const;

protected:
    AcDbBlockReference();
};

class VRK_HOST_API AcDbMInsertBlock : public AcDbBlockReference {
public:
    ACRX_DECLARE_MEMBERS(AcDbMInsertBlock);
    Adesk::UInt16 columns() const;
    Adesk::UInt16 rows() const;

protected:
    AcDbMInsertBlock();
};

// A table entity: a block reference by descent, though not one for exact class tests.
class VRK_HOST_API AcDbTable : public AcDbBlockReference {
public:
    ACRX_DECLARE_MEMBERS(AcDbTable);

protected:
    AcDbTable();
};

class VRK_HOST_API AcDbDictionary : public AcDbObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbDictionary);
    Adesk::UInt32 numEntries() const;
    bool has(const ACHAR* entryName) const;
    Acad::ErrorStatus getAt(const ACHAR* entryName, AcDbObjectId& entryId) const;

protected:
    AcDbDictionary();
};

// Opens the object with the given id.  Fails with eNullObjectId, eWasErased (unless openErased),
// eWasOpenForRead / eWasOpenForWrite on a conflicting open, eOnLockedLayer for an entity on a
// locked layer opened for write.
VRK_HOST_API Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*& pObj, AcDbObjectId id, AcDb::OpenMode mode,
                                                  bool openErasedObject = false);
// As above, and fails with eNotThatKindOfClass unless the object is of pClass or derives from it.
VRK_HOST_API Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*& pObj, AcDbObjectId id, AcDb::OpenMode mode,
                                                  bool openErasedObject, const AcRxClass* pClass);

template <class T_OBJECT>
inline Acad::ErrorStatus acdbOpenObject(T_OBJECT*& pObj, AcDbObjectId id, AcDb::OpenMode mode, bool openErased = false)
{
    AcDbObject* pTemp = NULL;
    Acad::ErrorStatus es = acdbOpenAcDbObject(pTemp, id, mode, openErased, T_OBJECT::desc());
    pObj = es == Acad::eOk ? static_cast<T_OBJECT*>(pTemp) : NULL;
    return es;
}
