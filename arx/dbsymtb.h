// Symbol tables (blocks, layers), their records and iterators.
#pragma once

#include "arx/dbmain.h"

class AcDbSymbolTableIterator;
class AcDbBlockTableIterator;
class AcDbLayerTableIterator;
class AcDbBlockTableRecordIterator;
class AcDbBlockTableRecord;
class AcDbSymbolTableRecord;
class AcDbLayerTableRecord;
class AcDbImpIterator;

class VRK_HOST_API AcDbSymbolTable : public AcDbObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbSymbolTable);
    bool has(const ACHAR* name) const;
    Acad::ErrorStatus getAt(const ACHAR* entryName, AcDbObjectId& recordId, bool getErasedRecord = false) const;
    Acad::ErrorStatus newIterator(AcDbSymbolTableIterator*& pIterator, bool atBeginning = true,
                                  bool skipDeleted = true) const;

protected:
    AcDbSymbolTable();
};

class VRK_HOST_API AcDbBlockTable : public AcDbSymbolTable {
public:
    ACRX_DECLARE_MEMBERS(AcDbBlockTable);
    using AcDbSymbolTable::getAt;
    // Opens the record of that name.  eKeyNotFound when the table has none.
    Acad::ErrorStatus getAt(const ACHAR* entryName, AcDbBlockTableRecord*& pRec, AcDb::OpenMode openMode,
                            bool openErasedRec = false) const;
    Acad::ErrorStatus newIterator(AcDbBlockTableIterator*& pIterator, bool atBeginning = true,
                                  bool skipDeleted = true) const;

protected:
    AcDbBlockTable();
};

class VRK_HOST_API AcDbLayerTable : public AcDbSymbolTable {
public:
    ACRX_DECLARE_MEMBERS(AcDbLayerTable);
    Acad::ErrorStatus newIterator(AcDbLayerTableIterator*& pIterator, bool atBeginning = true,
                                  bool skipDeleted = true) const;

protected:
    AcDbLayerTable();
};

class VRK_HOST_API AcDbSymbolTableRecord : public AcDbObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbSymbolTableRecord);
    // Hands out a copy that the caller releases with acutDelString.
    Acad::ErrorStatus getName(ACHAR*& pName) const;
    // Hands out the record's own name, valid while the record stays open.
    Acad::ErrorStatus getName(const ACHAR*& pName) const;

protected:
    AcDbSymbolTableRecord();
    virtual ~AcDbSymbolTableRecord();

private:
    friend class AcDbObjectAccess;
    mutable ACHAR* mpPresentedName;
};

class VRK_HOST_API AcDbBlockTableRecord : public AcDbSymbolTableRecord {
public:
    ACRX_DECLARE_MEMBERS(AcDbBlockTableRecord);
    Acad::ErrorStatus newIterator(AcDbBlockTableRecordIterator*& pIterator, bool atBeginning = true,
                                  bool skipDeleted = true) const;
    bool isLayout() const;
    bool isAnonymous() const;

protected:
    AcDbBlockTableRecord();
};

class VRK_HOST_API AcDbLayerTableRecord : public AcDbSymbolTableRecord {
public:
    ACRX_DECLARE_MEMBERS(AcDbLayerTableRecord);
    bool isOff() const;
    void setIsOff(bool off);
    bool isFrozen() const;
    Acad::ErrorStatus setIsFrozen(bool frozen);
    bool isLocked() const;
    void setIsLocked(bool locked);

protected:
    AcDbLayerTableRecord();
};

// Walks the records of one symbol table in table order.  The caller deletes it.
class VRK_HOST_API AcDbSymbolTableIterator : public AcHeapOperators {
public:
    virtual ~AcDbSymbolTableIterator();
    void start(bool atBeginning = true, bool skipDeleted = true);
    bool done() const;
    void step(bool forward = true, bool skipDeleted = true);
    Acad::ErrorStatus getRecordId(AcDbObjectId& id) const;
    Acad::ErrorStatus getRecord(AcDbSymbolTableRecord*& pRecord, AcDb::OpenMode openMode = AcDb::kForRead,
                                bool openErasedRec = false) const;

protected:
    friend class AcDbIteratorAccess;
    AcDbSymbolTableIterator();
    AcDbImpIterator* mpImp;
};

class VRK_HOST_API AcDbBlockTableIterator : public AcDbSymbolTableIterator {
public:
    using AcDbSymbolTableIterator::getRecord;
    Acad::ErrorStatus getRecord(AcDbBlockTableRecord*& pRecord, AcDb::OpenMode openMode = AcDb::kForRead,
                                bool openErasedRec = false) const;

protected:
    friend class AcDbIteratorAccess;
    AcDbBlockTableIterator();
};

class VRK_HOST_API AcDbLayerTableIterator : public AcDbSymbolTableIterator {
public:
    using AcDbSymbolTableIterator::getRecord;
    Acad::ErrorStatus getRecord(AcDbLayerTableRecord*& pRecord, AcDb::OpenMode openMode = AcDb::kForRead,
                                bool openErasedRec = false) const;

protected:
    friend class AcDbIteratorAccess;
    AcDbLayerTableIterator();
};

// Walks the entities of one block definition.  The caller deletes it.
class VRK_HOST_API AcDbBlockTableRecordIterator : public AcHeapOperators {
public:
    virtual ~AcDbBlockTableRecordIterator();
    void start(bool atBeginning = true, bool skipDeleted = true);
    bool done() const;
    void step(bool forward = true, bool skipDeleted = true);
    Acad::ErrorStatus getEntityId(AcDbObjectId& entityId) const;
    Acad::ErrorStatus getEntity(AcDbEntity*& pEntity, AcDb::OpenMode openMode = AcDb::kForRead,
                                bool openErasedEntity = false) const;

protected:
    friend class AcDbIteratorAccess;
    AcDbBlockTableRecordIterator();
    AcDbImpIterator* mpImp;
};
