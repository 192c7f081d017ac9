// Object ids and the host's growable arrays.
#pragma once

#include <stdlib.h>

#include "arx/acadstrc.h"

class AcDbStub;
class AcDbDatabase;

// Identifies one object of a database; the null id means "none".
class VRK_HOST_API AcDbObjectId {
public:
    AcDbObjectId() : mId(NULL) {}
    AcDbObjectId(const AcDbStub* pStub) : mId(const_cast<AcDbStub*>(pStub)) {}
    static const AcDbObjectId kNull;

    bool isNull() const { return mId == NULL; }
    void setNull() { mId = NULL; }
    bool isValid() const;
    bool isErased() const;
    AcDbDatabase* database() const;
    // The object's handle, the persistent name it has in its drawing.
    Adesk::UInt64 handle() const;

    bool operator==(const AcDbObjectId& id) const { return mId == id.mId; }
    bool operator!=(const AcDbObjectId& id) const { return mId != id.mId; }
    bool operator<(const AcDbObjectId& id) const { return mId < id.mId; }
    operator AcDbStub*() const { return mId; }

private:
    AcDbStub* mId;
};

// The host's growable array of plain values.
template <class T>
class AcArray {
public:
    AcArray() : mpArray(NULL), mLogicalLen(0), mPhysicalLen(0) {}
    AcArray(const AcArray& src) : mpArray(NULL), mLogicalLen(0), mPhysicalLen(0) { *this = src; }
    ~AcArray() { free(mpArray); }
    AcArray& operator=(const AcArray& src)
    {
        if (this != &src) {
            setPhysicalLength(src.mLogicalLen);
            for (int i = 0; i < src.mLogicalLen; ++i)
                mpArray[i] = src.mpArray[i];
            mLogicalLen = src.mLogicalLen;
        }
        return *this;
    }
    int length() const { return mLogicalLen; }
    int logicalLength() const { return mLogicalLen; }
    bool isEmpty() const { return mLogicalLen == 0; }
    int append(const T& value)
    {
        if (mLogicalLen == mPhysicalLen)
            setPhysicalLength(mPhysicalLen ? mPhysicalLen * 2 : 8);
        mpArray[mLogicalLen] = value;
        return mLogicalLen++;
    }
    bool find(const T& value, int& index, int start = 0) const
    {
        for (int i = start; i < mLogicalLen; ++i)
            if (mpArray[i] == value) {
                index = i;
                return true;
            }
        return false;
    }
    bool contains(const T& value, int start = 0) const
    {
        int index;
        return find(value, index, start);
    }
    T& at(int i) { return mpArray[i]; }
    const T& at(int i) const { return mpArray[i]; }
    T& operator[](int i) { return mpArray[i]; }
    const T& operator[](int i) const { return mpArray[i]; }
    AcArray& removeAll()
    {
        mLogicalLen = 0;
        return *this;
    }

private:
    void setPhysicalLength(int n)
    {
        if (n <= mPhysicalLen)
            return;
        T* p = static_cast<T*>(realloc(mpArray, sizeof(T) * n));
        if (p == NULL)
            abort();
        mpArray = p;
        mPhysicalLen = n;
    }
    T* mpArray;
    int mLogicalLen;
    int mPhysicalLen;
};

typedef AcArray<AcDbObjectId> AcDbObjectIdArray;
