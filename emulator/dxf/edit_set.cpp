#include "edit_set.h"

namespace vrk::dxf {

void EditSet::setLayerSwitches(Handle layer, LayerSwitches s) {
    RecordEdit& e = mEdits[layer];
    e.hasLayerSwitches = true;
    e.layer = s;
}

void EditSet::setValue(Handle h, int code, std::string raw, int occurrence) {
    mEdits[h].values.push_back(ValueEdit{code, occurrence, std::move(raw)});
}

void EditSet::setHeaderValue(std::string name, int code, std::string raw, int occurrence) {
    mHeaderEdits[std::move(name)].push_back(ValueEdit{code, occurrence, std::move(raw)});
}

}  // namespace vrk::dxf
