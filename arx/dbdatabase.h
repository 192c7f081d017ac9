// Drawing databases, the host's application services and layer filters.
#pragma once

#include "arx/dbsymtb.h"

class AcDbImpDatabase;
class AcDbImpLayerFilter;
class SecurityParams;

#define _SH_DENYRW 0x10
#define _SH_DENYWR 0x20
#define _SH_DENYRD 0x30
#define _SH_DENYNO 0x40

class VRK_HOST_API AcDbDatabase : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbDatabase);
    // buildDefaultDrawing: start with the tables and records of a new drawing; otherwise empty,
    // ready for readDwgFile.
    explicit AcDbDatabase(bool buildDefaultDrawing = true, bool noDocument = false);
    virtual ~AcDbDatabase();

    // Reads a drawing file into a database constructed without a default drawing.
    Acad::ErrorStatus readDwgFile(const ACHAR* fileName, int shmode = _SH_DENYWR, bool bAllowCPConversion = false,
                                  const ACHAR* password = NULL);
    // Writes the drawing; the target is replaced only once the whole file is written.
    Acad::ErrorStatus saveAs(const ACHAR* fileName, const SecurityParams* pSecParams = NULL);

    Acad::ErrorStatus getSymbolTable(AcDbBlockTable*& pTable, AcDb::OpenMode mode);
    Acad::ErrorStatus getSymbolTable(AcDbLayerTable*& pTable, AcDb::OpenMode mode);
    Acad::ErrorStatus getBlockTable(AcDbBlockTable*& pTable, AcDb::OpenMode mode);
    Acad::ErrorStatus getLayerTable(AcDbLayerTable*& pTable, AcDb::OpenMode mode);

    void disableUndoRecording(bool disable);
    bool undoRecording() const;

    // The current layer.  A frozen layer cannot be made current (eInvalidInput), nor can the current
    // layer be frozen (AcDbLayerTableRecord::setIsFrozen answers eInvalidInput).
    AcDbObjectId clayer() const;
    Acad::ErrorStatus setClayer(AcDbObjectId objId);

private:
    friend class AcDbDatabaseAccess;
    AcDbDatabase(const AcDbDatabase&);
    AcDbDatabase& operator=(const AcDbDatabase&);
    AcDbImpDatabase* mpImp;
};

class VRK_HOST_API AcDbHostApplicationServices : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbHostApplicationServices);
    virtual AcDbDatabase* workingDatabase() const = 0;
};

VRK_HOST_API AcDbHostApplicationServices* acdbHostApplicationServices();

// A filter that lists layers by name.
class VRK_HOST_API AcDbLayerFilter : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbLayerFilter);
    AcDbLayerFilter();
    virtual ~AcDbLayerFilter();
    Acad::ErrorStatus add(const ACHAR* pLayer);
    Acad::ErrorStatus remove(const ACHAR* pLayer);
    Acad::ErrorStatus getAt(int index, const ACHAR*& pName) const;
    int layerCount() const;

private:
    AcDbLayerFilter(const AcDbLayerFilter&);
    AcDbLayerFilter& operator=(const AcDbLayerFilter&);
    AcDbImpLayerFilter* mpImp;
};
