// System variables: the host's settings, read and written through result buffers.
#include <cmath>
#include <cstdlib>
#include <map>

#include "emulator/host.h"
#include "emulator/testing/host_calls.h"

namespace vrk::emu {

namespace {

struct Variable {
    explicit Variable(short t = RTSHORT) : type(t) {}
    short type;  // RTSHORT, RTREAL or RTSTR
    short shortValue = 0;
    double realValue = 0.0;
    std::string stringValue;  // UTF-8
};

std::map<std::string, Variable>& variables() {
    static std::map<std::string, Variable> vars;
    return vars;
}

void setDefaults() {
    auto& vars = variables();
    vars.clear();
    vars["DWGCHECK"] = Variable{RTSHORT};
    for (int i = 1; i <= 5; ++i) {
        const std::string n = std::to_string(i);
        vars["USERI" + n] = Variable{RTSHORT};
        vars["USERR" + n] = Variable{RTREAL};
        vars["USERS" + n] = Variable{RTSTR};
    }
}

Variable* find(const ACHAR* sym) {
    if (variables().empty()) setDefaults();
    auto it = variables().find(foldCase(fromHost(sym)));
    return it == variables().end() ? nullptr : &it->second;
}

}  // namespace

void resetSystemVariables() { setDefaults(); }

}  // namespace vrk::emu

using namespace vrk::emu;

int acedGetVar(const ACHAR* sym, struct resbuf* result) {
    if (int rc = HostCalls::instance().enter("acedGetVar", nullptr)) return rc < 0 ? rc : RTERROR;
    Variable* pVar = find(sym);
    if (pVar == nullptr || result == nullptr) return RTERROR;
    result->rbnext = nullptr;
    result->restype = pVar->type;
    switch (pVar->type) {
        case RTSHORT: result->resval.rint = pVar->shortValue; break;
        case RTREAL: result->resval.rreal = pVar->realValue; break;
        case RTSTR: {
            const HostString text = toHost(pVar->stringValue);
            ACHAR* pCopy = static_cast<ACHAR*>(std::malloc((text.size() + 1) * sizeof(ACHAR)));
            if (pCopy == nullptr) return RTERROR;
            text.copy(pCopy, text.size());
            pCopy[text.size()] = 0;
            result->resval.rstring = pCopy;
            break;
        }
    }
    return RTNORM;
}

int acedSetVar(const ACHAR* sym, const struct resbuf* value) {
    if (int rc = HostCalls::instance().enter("acedSetVar", nullptr)) return rc < 0 ? rc : RTERROR;
    Variable* pVar = find(sym);
    if (pVar == nullptr || value == nullptr) return RTERROR;
    switch (pVar->type) {
        case RTSHORT:
            if (value->restype == RTSHORT) {
                pVar->shortValue = value->resval.rint;
            } else if (value->restype == RTLONG && value->resval.rlong >= -32768 && value->resval.rlong <= 32767) {
                pVar->shortValue = static_cast<short>(value->resval.rlong);
            } else if (value->restype == RTREAL && std::floor(value->resval.rreal) == value->resval.rreal &&
                       std::fabs(value->resval.rreal) <= 32767.0) {
                // An integer variable takes a real that holds a whole number.
                pVar->shortValue = static_cast<short>(value->resval.rreal);
            } else {
                return RTERROR;
            }
            return RTNORM;
        case RTREAL:
            if (value->restype == RTREAL) pVar->realValue = value->resval.rreal;
            else if (value->restype == RTSHORT) pVar->realValue = value->resval.rint;
            else return RTERROR;
            return RTNORM;
        case RTSTR:
            if (value->restype != RTSTR || value->resval.rstring == nullptr) return RTERROR;
            pVar->stringValue = fromHost(value->resval.rstring);
            return RTNORM;
    }
    return RTERROR;
}

void acdbFree(void* p) { std::free(p); }
