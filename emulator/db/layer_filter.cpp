// AcDbLayerFilter: a list of layer names, kept in the order they were added.
#include <string>
#include <vector>

#include "emulator/rx/class_registry.h"
#include "emulator/calls/host_calls.h"
#include "emulator/text.h"
#include "arx/dbdatabase.h"

using vrk::emu::HostCalls;

VRK_DEFINE_DESC(AcDbLayerFilter)

class AcDbImpLayerFilter {
public:
    struct Entry {
        std::string name;                // UTF-8, for comparing
        vrk::emu::HostString presented;  // as the plug-in handed it over, for getAt
    };
    std::vector<Entry> entries;

    std::vector<Entry>::iterator find(const std::string& utf8) {
        const std::string key = vrk::emu::foldCase(utf8);
        for (auto it = entries.begin(); it != entries.end(); ++it)
            if (vrk::emu::foldCase(it->name) == key) return it;
        return entries.end();
    }
};

AcDbLayerFilter::AcDbLayerFilter() : mpImp(new AcDbImpLayerFilter()) {}
AcDbLayerFilter::~AcDbLayerFilter() { delete mpImp; }

Acad::ErrorStatus AcDbLayerFilter::add(const ACHAR* pLayer) {
    if (int es = HostCalls::instance().enter("AcDbLayerFilter::add")) return Acad::ErrorStatus(es);
    if (pLayer == nullptr) return Acad::eInvalidInput;
    // Every name is kept, a repeated one too: the filter is a list, not a set.
    mpImp->entries.push_back({vrk::emu::fromHost(pLayer), vrk::emu::HostString(pLayer)});
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLayerFilter::remove(const ACHAR* pLayer) {
    if (int es = HostCalls::instance().enter("AcDbLayerFilter::remove")) return Acad::ErrorStatus(es);
    if (pLayer == nullptr) return Acad::eInvalidInput;
    // Layer names are compared ignoring case, as everywhere in the host.
    auto it = mpImp->find(vrk::emu::fromHost(pLayer));
    if (it == mpImp->entries.end()) return Acad::eKeyNotFound;
    mpImp->entries.erase(it);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLayerFilter::getAt(int index, const ACHAR*& pName) const {
    pName = nullptr;
    if (int es = HostCalls::instance().enter("AcDbLayerFilter::getAt")) return Acad::ErrorStatus(es);
    if (index < 0 || index >= static_cast<int>(mpImp->entries.size())) return Acad::eInvalidIndex;
    pName = mpImp->entries[static_cast<size_t>(index)].presented.c_str();
    return Acad::eOk;
}

int AcDbLayerFilter::layerCount() const { return static_cast<int>(mpImp->entries.size()); }
