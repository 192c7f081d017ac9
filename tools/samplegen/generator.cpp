#include "tools/samplegen/generator.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "tools/samplegen/dxf_emitter.h"

namespace vrk::samplegen {

namespace {

// xorshift64*: the same drawing for the same seed on every platform and library.
struct Rng {
    std::uint64_t s;
    explicit Rng(std::uint64_t seed) : s(seed * 0x9E3779B97F4A7C15ULL + 0x2545F4914F6CDD1DULL) {
        if (s == 0) s = 1;
    }
    std::uint64_t next() {
        s ^= s >> 12;
        s ^= s << 25;
        s ^= s >> 27;
        return s * 0x2545F4914F6CDD1DULL;
    }
    double uniform(double lo, double hi) { return lo + (hi - lo) * double(next() >> 11) / double(1ULL << 53); }
    int below(int n) { return int(next() % std::uint64_t(n)); }
};

struct LayerDef {
    const char* name;
    int color;
    int flags;
};
const LayerDef kLayers[] = {{"0", 7, 0},      {"Geometry", 3, 0}, {"Hidden_Off", -1, 0}, {"Hidden_Frozen", 5, 1},
                            {"Locked", 2, 4}, {"Defpoints", 7, 0}};
enum { kLayerZero, kLayerGeometry, kLayerOff, kLayerFrozen, kLayerLocked, kLayerDefpoints, kLayerCount };

const char* const kAppIds[] = {"ACAD", "AcDbDynamicBlockTrueName", "AcDbDynamicBlockGUID", "AcDbBlockRepBTag"};
constexpr int kStates = 2;

struct Insert {
    Handle h = 0, xdict = 0, repDict = 0, repData = 0, cache = 0;
};

struct Rep {
    std::string name;
    Handle br = 0, block = 0, endblk = 0, xdict = 0, repDict = 0, repData = 0, nested = 0;
    int state = 0;
    std::vector<Insert> inserts;
};

struct Dyn {
    std::string name;
    Handle br = 0, block = 0, endblk = 0, xdict = 0, graph = 0, param = 0, grip = 0, nested = 0;
    Handle nestedBr = 0, nestedBlock = 0, nestedEnd = 0;
    std::vector<Handle> entities;
    std::vector<Handle> stateEntities[kStates];
    std::vector<Rep> reps;
};

class Generator {
public:
    explicit Generator(const Options& o) : mO(o), mRng(o.seed), mNext(o.firstHandle < 0x20 ? 0x20 : o.firstHandle) {}
    std::string run();

private:
    Handle alloc() { return mNext++; }
    void plan();
    void tables(Emitter& e);
    void table(Emitter& e, const char* name, Handle h, int count, const char* subclass = nullptr);
    void blockRecord(Emitter& e, Handle h, const std::string& name, Handle layout, Handle xdict,
                     const std::vector<Handle>& blkrefs, int flags, bool dynamicName, Handle repOf);
    void blocks(Emitter& e);
    void blockBegin(Emitter& e, Handle h, Handle br, const std::string& name, int flags);
    void blockEnd(Emitter& e, Handle h, Handle br);
    void entity(Emitter& e, Handle h, Handle owner, int layer, bool invisible, int kind);
    void insert(Emitter& e, Handle h, Handle owner, const std::string& block, double x, double y, Handle xdict = 0,
                int layer = kLayerZero, bool invisible = false);
    void entities(Emitter& e);
    void objects(Emitter& e);
    void dictionary(Emitter& e, Handle h, Handle owner, const std::vector<std::pair<std::string, Handle>>& entries,
                    bool hard, bool reactor = true);
    void layout(Emitter& e, Handle h, const char* name, int tab, Handle br);
    void classes(Emitter& e);
    void header(Emitter& e);

    Options mO;
    Rng mRng;
    Handle mNext;
    int mAnonCounter = 1;

    Handle mVportTable = 0, mLtypeTable = 0, mLayerTable = 0, mStyleTable = 0, mViewTable = 0, mUcsTable = 0,
           mAppidTable = 0, mDimstyleTable = 0, mBrTable = 0;
    Handle mVport = 0, mLtByBlock = 0, mLtByLayer = 0, mLtContinuous = 0, mStyle = 0, mDimstyle = 0;
    Handle mLayers[kLayerCount] = {};
    Handle mAppids[4] = {};
    Handle mMsBr = 0, mMsBlock = 0, mMsEnd = 0, mPsBr = 0, mPsBlock = 0, mPsEnd = 0, mMsLayout = 0, mPsLayout = 0;
    Handle mRoot = 0, mGroupDict = 0, mLayoutDict = 0, mPlotStyleDict = 0, mPlaceholder = 0;
    Handle mTagBr = 0, mTagBlock = 0, mTagEnd = 0, mTagAttdef = 0, mTagInsert = 0, mTagAttrib = 0, mTagSeqend = 0;
    Handle mMinsert = 0;
    Handle mBigBr = 0, mBigBlock = 0, mBigEnd = 0, mBigInsert = 0;
    std::vector<Dyn> mDyns;
};

void Generator::plan() {
    for (Handle* h : {&mVportTable,   &mLtypeTable,    &mLayerTable,    &mStyleTable,  &mViewTable, &mUcsTable,
                      &mAppidTable,   &mDimstyleTable, &mBrTable,       &mVport,       &mLtByBlock, &mLtByLayer,
                      &mLtContinuous, &mStyle,         &mDimstyle,      &mMsBr,        &mMsBlock,   &mMsEnd,
                      &mPsBr,         &mPsBlock,       &mPsEnd,         &mMsLayout,    &mPsLayout,  &mRoot,
                      &mGroupDict,    &mLayoutDict,    &mPlotStyleDict, &mPlaceholder, &mTagBr,     &mTagBlock,
                      &mTagEnd,       &mTagAttdef,     &mTagInsert,     &mTagAttrib,   &mTagSeqend, &mMinsert}) {
        *h = alloc();
    }
    for (Handle& h : mLayers) h = alloc();
    for (Handle& h : mAppids) h = alloc();
    if (mO.bigBlockEntities > 0) {
        mBigBr = alloc();
        mBigBlock = alloc();
        mBigEnd = alloc();
        mBigInsert = alloc();
    }
    mDyns.resize(std::size_t(mO.blocks < 0 ? 0 : mO.blocks));
    for (std::size_t k = 0; k < mDyns.size(); ++k) {
        Dyn& d = mDyns[k];
        char name[32];
        std::snprintf(name, sizeof name, "DynDoor_%zu", k + 1);
        d.name = name;
        for (Handle* h : {&d.br, &d.block, &d.endblk, &d.xdict, &d.graph, &d.param, &d.grip, &d.nested, &d.nestedBr,
                          &d.nestedBlock, &d.nestedEnd}) {
            *h = alloc();
        }
        d.reps.resize(std::size_t(mO.representations < 0 ? 0 : mO.representations));
        for (std::size_t r = 0; r < d.reps.size(); ++r) {
            Rep& rep = d.reps[r];
            rep.name = "*U" + std::to_string(mAnonCounter++);
            rep.state = int(r % kStates);
            for (Handle* h : {&rep.br, &rep.block, &rep.endblk, &rep.xdict, &rep.repDict, &rep.repData, &rep.nested}) {
                *h = alloc();
            }
            rep.inserts.resize(std::size_t(mO.referencesPerRep < 0 ? 0 : mO.referencesPerRep));
            for (Insert& in : rep.inserts) {
                for (Handle* h : {&in.h, &in.xdict, &in.repDict, &in.repData, &in.cache}) *h = alloc();
            }
        }
    }
}

void Generator::table(Emitter& e, const char* name, Handle h, int count, const char* subclass) {
    e.str(0, "TABLE");
    e.str(2, name);
    e.handle(5, h);
    e.handle(330, 0);
    e.str(100, "AcDbSymbolTable");
    e.integer(70, count);
    if (subclass) {
        e.str(100, subclass);
        e.integer(71, 1);
    }
}

void Generator::blockRecord(Emitter& e, Handle h, const std::string& name, Handle layout, Handle xdict,
                            const std::vector<Handle>& blkrefs, int flags, bool dynamicName, Handle repOf) {
    e.head("BLOCK_RECORD", h, mBrTable, {}, xdict);
    e.str(100, "AcDbSymbolTableRecord");
    e.str(100, "AcDbBlockTableRecord");
    e.str(2, name);
    e.handle(340, layout);
    if (!blkrefs.empty()) {
        e.str(102, "{BLKREFS");
        for (Handle r : blkrefs) e.handle(331, r);
        e.str(102, "}");
    }
    e.integer(70, flags);
    e.integer(280, 1);
    e.integer(281, 0);
    if (dynamicName) {
        e.str(1001, "AcDbDynamicBlockTrueName");
        e.str(1000, name);
        e.str(1001, "AcDbDynamicBlockGUID");
        char guid[64];
        std::snprintf(guid, sizeof guid, "{%08llX-0000-4000-8000-%012llX}", (unsigned long long)(h & 0xFFFFFFFF),
                      (unsigned long long)(mRng.next() & 0xFFFFFFFFFFFFULL));
        e.str(1000, guid);
    }
    if (repOf != 0) {
        e.str(1001, "AcDbBlockRepBTag");
        e.integer(1070, 1);
        e.handle(1005, repOf);
    }
}

void Generator::tables(Emitter& e) {
    e.str(0, "SECTION");
    e.str(2, "TABLES");

    table(e, "VPORT", mVportTable, 1);
    e.head("VPORT", mVport, mVportTable);
    e.str(100, "AcDbSymbolTableRecord");
    e.str(100, "AcDbViewportTableRecord");
    e.str(2, "*Active");
    e.integer(70, 0);
    e.point(10, 0, 0);
    e.point(11, 1, 1);
    e.point(12, 50, 50);
    e.real(40, 200);
    e.real(41, 1.5);
    e.str(0, "ENDTAB");

    table(e, "LTYPE", mLtypeTable, 3);
    const std::pair<Handle, const char*> ltypes[] = {
        {mLtByBlock, "ByBlock"}, {mLtByLayer, "ByLayer"}, {mLtContinuous, "Continuous"}};
    for (const auto& [h, name] : ltypes) {
        e.head("LTYPE", h, mLtypeTable);
        e.str(100, "AcDbSymbolTableRecord");
        e.str(100, "AcDbLinetypeTableRecord");
        e.str(2, name);
        e.integer(70, 0);
        e.str(3, h == mLtContinuous ? "Solid line" : "");
        e.integer(72, 65);
        e.integer(73, 0);
        e.real(40, 0);
    }
    e.str(0, "ENDTAB");

    table(e, "LAYER", mLayerTable, kLayerCount);
    for (int i = 0; i < kLayerCount; ++i) {
        e.head("LAYER", mLayers[i], mLayerTable);
        e.str(100, "AcDbSymbolTableRecord");
        e.str(100, "AcDbLayerTableRecord");
        e.str(2, kLayers[i].name);
        e.integer(70, kLayers[i].flags);
        e.integer(62, kLayers[i].color);
        e.str(6, "Continuous");
        if (i == kLayerDefpoints) e.integer(290, 0);
        e.integer(370, -3);
        e.handle(390, mPlaceholder);
    }
    e.str(0, "ENDTAB");

    table(e, "STYLE", mStyleTable, 1);
    e.head("STYLE", mStyle, mStyleTable);
    e.str(100, "AcDbSymbolTableRecord");
    e.str(100, "AcDbTextStyleTableRecord");
    e.str(2, "Standard");
    e.integer(70, 0);
    e.real(40, 0);
    e.real(41, 1);
    e.real(50, 0);
    e.integer(71, 0);
    e.real(42, 2.5);
    e.str(3, "txt");
    e.str(4, "");
    e.str(0, "ENDTAB");

    table(e, "VIEW", mViewTable, 0);
    e.str(0, "ENDTAB");
    table(e, "UCS", mUcsTable, 0);
    e.str(0, "ENDTAB");

    table(e, "APPID", mAppidTable, 4);
    for (int i = 0; i < 4; ++i) {
        e.head("APPID", mAppids[i], mAppidTable);
        e.str(100, "AcDbSymbolTableRecord");
        e.str(100, "AcDbRegAppTableRecord");
        e.str(2, kAppIds[i]);
        e.integer(70, 0);
    }
    e.str(0, "ENDTAB");

    table(e, "DIMSTYLE", mDimstyleTable, 1, "AcDbDimStyleTable");
    e.head("DIMSTYLE", mDimstyle, mDimstyleTable, {}, 0, 105);
    e.str(100, "AcDbSymbolTableRecord");
    e.str(100, "AcDbDimStyleTableRecord");
    e.str(2, "Standard");
    e.integer(70, 0);
    e.handle(340, mStyle);
    e.str(0, "ENDTAB");

    table(e, "BLOCK_RECORD", mBrTable, 0);
    blockRecord(e, mMsBr, "*Model_Space", mMsLayout, 0, {}, 0, false, 0);
    blockRecord(e, mPsBr, "*Paper_Space", mPsLayout, 0, {}, 0, false, 0);
    blockRecord(e, mTagBr, "TitleTag", 0, 0, {mTagInsert}, 2, false, 0);
    if (mBigBr) blockRecord(e, mBigBr, "BigBlock", 0, 0, {mBigInsert}, 0, false, 0);
    for (const Dyn& d : mDyns) {
        // Only representations are inserted; the definition's own list names none.
        blockRecord(e, d.br, d.name, 0, d.xdict, {}, 0, true, 0);
        std::vector<Handle> nestedRefs{d.nested};
        for (const Rep& rep : d.reps) nestedRefs.push_back(rep.nested);
        blockRecord(e, d.nestedBr, d.name + "_Leaf", 0, 0, nestedRefs, 0, false, 0);
        for (const Rep& rep : d.reps) {
            std::vector<Handle> refs;
            for (const Insert& in : rep.inserts) refs.push_back(in.h);
            blockRecord(e, rep.br, rep.name, 0, rep.xdict, refs, 1, false, d.br);
        }
    }
    e.str(0, "ENDTAB");
    e.str(0, "ENDSEC");
}

void Generator::blockBegin(Emitter& e, Handle h, Handle br, const std::string& name, int flags) {
    e.head("BLOCK", h, br);
    e.str(100, "AcDbEntity");
    e.str(8, "0");
    e.str(100, "AcDbBlockBegin");
    e.str(2, name);
    e.integer(70, flags);
    e.point(10, 0, 0);
    e.str(3, name);
    e.str(1, "");
}

void Generator::blockEnd(Emitter& e, Handle h, Handle br) {
    e.head("ENDBLK", h, br);
    e.str(100, "AcDbEntity");
    e.str(8, "0");
    e.str(100, "AcDbBlockEnd");
}

void Generator::entity(Emitter& e, Handle h, Handle owner, int layer, bool invisible, int kind) {
    static const char* const kTypes[] = {"LINE", "CIRCLE", "ARC", "LWPOLYLINE", "POINT"};
    e.head(kTypes[kind], h, owner);
    e.str(100, "AcDbEntity");
    e.str(8, kLayers[layer].name);
    if (invisible) e.integer(60, 1);
    const double x = mRng.uniform(-50, 50), y = mRng.uniform(-50, 50);
    switch (kind) {
        case 0:
            e.str(100, "AcDbLine");
            e.point(10, x, y);
            e.point(11, x + mRng.uniform(1, 20), y + mRng.uniform(1, 20));
            break;
        case 1:
        case 2:
            e.str(100, "AcDbCircle");
            e.point(10, x, y);
            e.real(40, mRng.uniform(0.5, 10));
            if (kind == 2) {
                e.str(100, "AcDbArc");
                e.real(50, mRng.uniform(0, 180));
                e.real(51, mRng.uniform(180, 360));
            }
            break;
        case 3:
            e.str(100, "AcDbPolyline");
            e.integer(90, 4);
            e.integer(70, 1);
            e.real(43, 0);
            for (int k = 0; k < 4; ++k) {
                e.real(10, x + (k == 1 || k == 2 ? 5 : 0));
                e.real(20, y + (k >= 2 ? 3 : 0));
            }
            break;
        default:
            e.str(100, "AcDbPoint");
            e.point(10, x, y);
            break;
    }
}

void Generator::insert(Emitter& e, Handle h, Handle owner, const std::string& block, double x, double y, Handle xdict,
                       int layer, bool invisible) {
    e.head("INSERT", h, owner, {}, xdict);
    e.str(100, "AcDbEntity");
    e.str(8, kLayers[layer].name);
    if (invisible) e.integer(60, 1);
    e.str(100, "AcDbBlockReference");
    e.str(2, block);
    e.point(10, x, y);
}

// Which entities a definition's visibility state shows: every third in all states, the others in one.
bool shownIn(std::size_t j, int state) {
    int group = int(j % 3);
    return group == 0 || group - 1 == state;
}

int layerFor(std::size_t j) {
    if (j % 7 == 3) return kLayerOff;
    if (j % 11 == 5) return kLayerFrozen;
    return j % 2 ? kLayerGeometry : kLayerZero;
}

void Generator::blocks(Emitter& e) {
    e.str(0, "SECTION");
    e.str(2, "BLOCKS");
    blockBegin(e, mMsBlock, mMsBr, "*Model_Space", 0);
    blockEnd(e, mMsEnd, mMsBr);
    blockBegin(e, mPsBlock, mPsBr, "*Paper_Space", 0);
    blockEnd(e, mPsEnd, mPsBr);

    blockBegin(e, mTagBlock, mTagBr, "TitleTag", 2);
    e.head("ATTDEF", mTagAttdef, mTagBr);
    e.str(100, "AcDbEntity");
    e.str(8, "0");
    e.str(100, "AcDbText");
    e.point(10, 0, 0);
    e.real(40, 2.5);
    e.str(1, "Ü-1");
    e.str(100, "AcDbAttributeDefinition");
    e.integer(280, 0);
    e.str(3, "Door number");
    e.str(2, "NUMBER");
    e.integer(70, 0);
    blockEnd(e, mTagEnd, mTagBr);

    if (mBigBr) {
        blockBegin(e, mBigBlock, mBigBr, "BigBlock", 0);
        for (int j = 0; j < mO.bigBlockEntities; ++j) {
            entity(e, alloc(), mBigBr, j % 2 ? kLayerGeometry : kLayerZero, j % 10 == 9, j % 5 == 0 ? 0 : 4);
        }
        blockEnd(e, mBigEnd, mBigBr);
    }

    for (std::size_t k = 0; k < mDyns.size(); ++k) {
        Dyn& d = mDyns[k];
        const auto n = std::size_t(mO.entitiesPerBlock < 0 ? 0 : mO.entitiesPerBlock);
        std::vector<int> kinds(n), layers(n);
        for (std::size_t j = 0; j < n; ++j) {
            kinds[j] = mRng.below(5);
            layers[j] = layerFor(j);
        }

        blockBegin(e, d.nestedBlock, d.nestedBr, d.name + "_Leaf", 0);
        for (int j = 0; j < 3; ++j) entity(e, alloc(), d.nestedBr, kLayerGeometry, false, j);
        blockEnd(e, d.nestedEnd, d.nestedBr);

        // The definition: state 0 shown, the rest hidden as the CAD program leaves it.
        blockBegin(e, d.block, d.br, d.name, 0);
        for (std::size_t j = 0; j < n; ++j) {
            Handle h = alloc();
            d.entities.push_back(h);
            for (int s = 0; s < kStates; ++s) {
                if (shownIn(j, s)) d.stateEntities[s].push_back(h);
            }
            entity(e, h, d.br, layers[j], !shownIn(j, 0), kinds[j]);
        }
        insert(e, d.nested, d.br, d.name + "_Leaf", 5, 5);
        blockEnd(e, d.endblk, d.br);

        for (std::size_t r = 0; r < d.reps.size(); ++r) {
            Rep& rep = d.reps[r];
            blockBegin(e, rep.block, rep.br, rep.name, 1);
            // In every third definition one representation holds an invisible entity on a locked layer.
            const bool lockedOne = k % 3 == 2 && r == 1;
            for (std::size_t j = 0; j < n; ++j) {
                bool hidden = !shownIn(j, rep.state);
                int layer = lockedOne && hidden && j == n / 2 ? kLayerLocked : layers[j];
                entity(e, alloc(), rep.br, layer, hidden, kinds[j]);
            }
            insert(e, rep.nested, rep.br, d.name + "_Leaf", 5, 5, 0, kLayerZero, rep.state != 0);
            blockEnd(e, rep.endblk, rep.br);
        }
    }
    e.str(0, "ENDSEC");
}

void Generator::entities(Emitter& e) {
    e.str(0, "SECTION");
    e.str(2, "ENTITIES");
    double x = 0;
    for (const Dyn& d : mDyns) {
        for (const Rep& rep : d.reps) {
            for (const Insert& in : rep.inserts) {
                insert(e, in.h, mMsBr, rep.name, x, mRng.uniform(0, 100), in.xdict);
                x += 25;
            }
        }
    }
    // An INSERT with an attribute: ATTRIB and SEQEND are parts of it.
    e.head("INSERT", mTagInsert, mMsBr);
    e.str(100, "AcDbEntity");
    e.str(8, "Geometry");
    e.str(100, "AcDbBlockReference");
    e.integer(66, 1);
    e.str(2, "TitleTag");
    e.point(10, -20, -20);
    e.head("ATTRIB", mTagAttrib, mTagInsert);
    e.str(100, "AcDbEntity");
    e.str(8, "Geometry");
    e.str(100, "AcDbText");
    e.point(10, -20, -20);
    e.real(40, 2.5);
    e.str(1, "Tür 7 – Süd");
    e.str(100, "AcDbAttribute");
    e.integer(280, 0);
    e.str(2, "NUMBER");
    e.integer(70, 0);
    e.head("SEQEND", mTagSeqend, mTagInsert);
    e.str(100, "AcDbEntity");
    e.str(8, "Geometry");
    if (!mDyns.empty()) {
        // A multiple insert (columns x rows) of the first definition's leaf block.
        e.head("INSERT", mMinsert, mMsBr);
        e.str(100, "AcDbEntity");
        e.str(8, "Locked");
        e.str(100, "AcDbMInsertBlock");
        e.str(2, mDyns[0].name + "_Leaf");
        e.point(10, -60, 0);
        e.integer(70, 3);
        e.integer(71, 2);
        e.real(44, 10);
        e.real(45, 10);
    }
    if (mBigBr) insert(e, mBigInsert, mMsBr, "BigBlock", 200, 200);
    e.str(0, "ENDSEC");
}

void Generator::dictionary(Emitter& e, Handle h, Handle owner,
                           const std::vector<std::pair<std::string, Handle>>& entries, bool hard, bool reactor) {
    e.head("DICTIONARY", h, owner, reactor ? std::vector<Handle>{owner} : std::vector<Handle>{});
    e.str(100, "AcDbDictionary");
    if (hard) e.integer(280, 1);
    e.integer(281, 1);
    for (const auto& [key, value] : entries) {
        e.str(3, key);
        e.handle(hard ? 360 : 350, value);
    }
}

void Generator::layout(Emitter& e, Handle h, const char* name, int tab, Handle br) {
    e.head("LAYOUT", h, mLayoutDict, {mLayoutDict});
    e.str(100, "AcDbPlotSettings");
    e.str(1, "");
    e.str(2, "none_device");
    e.str(4, "");
    e.str(6, "");
    for (int c = 40; c <= 49; ++c) e.real(c, 0);
    e.real(140, 0);
    e.real(141, 0);
    e.real(142, 1);
    e.real(143, 1);
    e.integer(70, 688);
    e.integer(72, 0);
    e.integer(73, 0);
    e.integer(74, 5);
    e.str(7, "");
    e.integer(75, 16);
    e.real(147, 1);
    e.integer(76, 0);
    e.integer(77, 2);
    e.integer(78, 300);
    e.real(148, 0);
    e.real(149, 0);
    e.str(100, "AcDbLayout");
    e.str(1, name);
    e.integer(70, 1);
    e.integer(71, tab);
    e.point(10, 0, 0);
    e.real(11, 420);
    e.real(21, 297);
    e.point(12, 0, 0);
    e.point(14, 0, 0);
    e.point(15, 0, 0);
    e.real(146, 0);
    e.point(13, 0, 0);
    e.point(16, 1, 0);
    e.point(17, 0, 1);
    e.integer(76, 0);
    e.handle(330, br);
}

void Generator::objects(Emitter& e) {
    e.str(0, "SECTION");
    e.str(2, "OBJECTS");
    dictionary(e, mRoot, 0,
               {{"ACAD_GROUP", mGroupDict}, {"ACAD_LAYOUT", mLayoutDict}, {"ACAD_PLOTSTYLENAME", mPlotStyleDict}},
               false, false);
    dictionary(e, mGroupDict, mRoot, {}, false);
    dictionary(e, mLayoutDict, mRoot, {{"Layout1", mPsLayout}, {"Model", mMsLayout}}, false);
    e.head("ACDBDICTIONARYWDFLT", mPlotStyleDict, mRoot, {mRoot});
    e.str(100, "AcDbDictionary");
    e.integer(281, 1);
    e.str(3, "Normal");
    e.handle(350, mPlaceholder);
    e.str(100, "AcDbDictionaryWithDefault");
    e.handle(340, mPlaceholder);
    e.head("ACDBPLACEHOLDER", mPlaceholder, mPlotStyleDict, {mPlotStyleDict});
    layout(e, mPsLayout, "Layout1", 1, mPsBr);
    layout(e, mMsLayout, "Model", 0, mMsBr);

    for (Dyn& d : mDyns) {
        // The definition's tree: xdict -> ACAD_ENHANCEDBLOCK graph -> parameter and grip nodes.
        dictionary(e, d.xdict, d.br, {{"ACAD_ENHANCEDBLOCK", d.graph}}, true);
        e.head("ACAD_EVALUATION_GRAPH", d.graph, d.xdict, {d.xdict});
        e.str(100, "AcDbEvalGraph");
        e.integer(96, 2);
        e.integer(97, 2);
        int id = 0;
        for (Handle node : {d.param, d.grip}) {
            e.integer(91, id++);
            e.integer(93, 32);
            e.integer(95, -1);
            e.handle(360, node);
            e.integer(92, -1);
        }
        e.integer(92, 0);
        e.integer(93, 1);
        e.head("BLOCKVISIBILITYPARAMETER", d.param, d.graph, {d.graph});
        e.str(100, "AcDbEvalExpr");
        e.integer(90, 0);
        e.str(100, "AcDbBlockElement");
        e.str(300, "Visibility1");
        e.str(100, "AcDbBlockParameter");
        e.integer(280, 1);
        e.str(100, "AcDbBlock1PtParameter");
        e.point(1010, 0, 0);
        e.str(100, "AcDbBlockVisibilityParameter");
        e.str(301, "Visibility State");
        e.integer(93, (long long)d.entities.size());
        for (Handle h : d.entities) e.handle(331, h);
        e.integer(92, kStates);
        for (int s = 0; s < kStates; ++s) {
            e.str(303, s == 0 ? "Open" : "Closed");
            e.integer(94, (long long)d.stateEntities[s].size());
            for (Handle h : d.stateEntities[s]) e.handle(332, h);
            e.integer(95, 0);
        }
        e.head("BLOCKVISIBILITYGRIP", d.grip, d.graph, {d.graph});
        e.str(100, "AcDbEvalExpr");
        e.integer(90, 1);
        e.str(100, "AcDbBlockElement");
        e.str(300, "Grip");
        e.str(100, "AcDbBlockGrip");
        e.integer(91, 0);
        e.point(1010, 0, 0);
        e.handle(331, d.param);

        for (const Rep& rep : d.reps) {
            dictionary(e, rep.xdict, rep.br, {{"AcDbBlockRepresentation", rep.repDict}}, true);
            dictionary(e, rep.repDict, rep.xdict, {{"AcDbRepData", rep.repData}}, true);
            e.head("XRECORD", rep.repData, rep.repDict, {rep.repDict});
            e.str(100, "AcDbXrecord");
            e.integer(280, 1);
            e.integer(70, 1);
            e.handle(340, d.br);
            for (const Insert& in : rep.inserts) {
                dictionary(e, in.xdict, in.h, {{"AcDbBlockRepresentation", in.repDict}}, true);
                dictionary(e, in.repDict, in.xdict, {{"AcDbRepData", in.repData}, {"AppDataCache", in.cache}}, true);
                e.head("XRECORD", in.repData, in.repDict, {in.repDict});
                e.str(100, "AcDbXrecord");
                e.integer(280, 1);
                e.integer(70, 1);
                e.handle(340, d.br);
                dictionary(e, in.cache, in.repDict, {}, true);
            }
        }
    }
    e.str(0, "ENDSEC");
}

void Generator::classes(Emitter& e) {
    e.str(0, "SECTION");
    e.str(2, "CLASSES");
    const struct {
        const char* dxf;
        const char* cpp;
        std::size_t count;
    } kClasses[] = {{"ACDBDICTIONARYWDFLT", "AcDbDictionaryWithDefault", 1},
                    {"ACDBPLACEHOLDER", "AcDbPlaceHolder", 1},
                    {"LAYOUT", "AcDbLayout", 2},
                    {"ACAD_EVALUATION_GRAPH", "AcDbEvalGraph", mDyns.size()},
                    {"BLOCKVISIBILITYPARAMETER", "AcDbBlockVisibilityParameter", mDyns.size()},
                    {"BLOCKVISIBILITYGRIP", "AcDbBlockVisibilityGrip", mDyns.size()}};
    for (const auto& c : kClasses) {
        e.str(0, "CLASS");
        e.str(1, c.dxf);
        e.str(2, c.cpp);
        e.str(3, "ObjectDBX Classes");
        e.integer(90, c.dxf[0] == 'B' || c.dxf[0] == 'A' ? 1153 : 0);
        e.integer(91, (long long)c.count);
        e.integer(280, 0);
        e.integer(281, 0);
    }
    e.str(0, "ENDSEC");
}

void Generator::header(Emitter& e) {
    e.str(0, "SECTION");
    e.str(2, "HEADER");
    e.str(9, "$ACADVER");
    e.str(1, "AC1032");
    e.str(9, "$ACADMAINTVER");
    e.integer(90, 105);
    e.str(9, "$DWGCODEPAGE");
    e.str(3, "ANSI_1252");
    e.str(9, "$INSBASE");
    e.point(10, 0, 0);
    e.str(9, "$EXTMIN");
    e.point(10, -100, -100);
    e.str(9, "$EXTMAX");
    e.point(10, 100, 100);
    e.str(9, "$CLAYER");
    e.str(8, "0");
    e.str(9, "$INSUNITS");
    e.integer(70, 4);
    e.str(9, "$HANDSEED");
    e.handle(5, mNext);
    e.str(0, "ENDSEC");
}

std::string Generator::run() {
    plan();
    std::string tablesText, blocksText, entitiesText, objectsText;
    Emitter t(tablesText), b(blocksText), en(entitiesText), ob(objectsText);
    tables(t);
    blocks(b);
    entities(en);
    objects(ob);
    std::string out;
    out.reserve(tablesText.size() + blocksText.size() + entitiesText.size() + objectsText.size() + 8192);
    Emitter e(out);
    header(e);
    classes(e);
    out += tablesText;
    out += blocksText;
    out += entitiesText;
    out += objectsText;
    e.str(0, "EOF");
    return out;
}

}  // namespace

std::string generateDrawing(const Options& options) {
    Options o = options.targetMb > 0 ? sizeForTarget(options) : options;
    return Generator(o).run();
}

Options sizeForTarget(Options o) {
    if (o.targetMb <= 0) return o;
    const double target = o.targetMb * 1024 * 1024;
    o.targetMb = 0;
    Options one = o, two = o;
    one.blocks = 1;
    two.blocks = 2;
    const double s1 = double(generateDrawing(one).size());
    const double per = double(generateDrawing(two).size()) - s1;
    o.blocks = per > 0 ? int(std::ceil((target - (s1 - per)) / per)) : 1;
    if (o.blocks < 1) o.blocks = 1;
    return o;
}

}  // namespace vrk::samplegen
