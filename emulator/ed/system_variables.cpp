// System variables: the host's settings, read and written through result buffers.
#include <cmath>
#include <cstdlib>
#include <map>

#include "emulator/host.h"
#include "emulator/calls/host_calls.h"

namespace vrk::emu {

namespace {

struct Variable {
    explicit Variable(short t = RTSHORT, short lowest = -32768, short highest = 32767)
        : type(t), low(lowest), high(highest) {}
    short type;       // RTSHORT, RTREAL or RTSTR
    short low, high;  // the values an integer variable takes
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
    vars["DWGCHECK"] = Variable{RTSHORT, 0, 3};
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

std::optional<std::pair<int, int>> integerVariableRange(const std::string& utf8Name) {
    if (variables().empty()) setDefaults();
    const auto it = variables().find(foldCase(utf8Name));
    if (it == variables().end() || it->second.type != RTSHORT) return std::nullopt;
    return std::make_pair(int{it->second.low}, int{it->second.high});
}

}  // namespace vrk::emu

using namespace vrk::emu;

int acedGetVar(const ACHAR* sym, struct resbuf* result) {
    if (int rc = HostCalls::instance().enter("acedGetVar")) return rc < 0 ? rc : RTERROR;
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
    if (int rc = HostCalls::instance().enter("acedSetVar")) return rc < 0 ? rc : RTERROR;
    Variable* pVar = find(sym);
    if (pVar == nullptr || value == nullptr) return RTERROR;
    switch (pVar->type) {
        case RTSHORT: {
            // An integer variable also takes a long or a real that holds a whole number in its range.
            double number;
            if (value->restype == RTSHORT) number = value->resval.rint;
            else if (value->restype == RTLONG) number = value->resval.rlong;
            else if (value->restype == RTREAL && std::floor(value->resval.rreal) == value->resval.rreal)
                number = value->resval.rreal;
            else return RTERROR;
            if (number < pVar->low || number > pVar->high) return RTERROR;
            pVar->shortValue = static_cast<short>(number);
            return RTNORM;
        }
        case RTREAL:
            if (value->restype == RTREAL && std::isfinite(value->resval.rreal)) pVar->realValue = value->resval.rreal;
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
