#include "save_document.h"

namespace vrk::dxf {

bool saveDocument(const Document& doc, const EditSet& edits, const std::string& target, fs::SaveError& err,
                  WriteStats* stats, const fs::SaveFaults* faults, fs::FileIdentity* saved, fs::SaveChecks* checks) {
    return fs::saveAtomically(
        target, [&](fs::Sink& sink, std::string& why) { return writeDocument(doc, edits, sink, why, stats); }, err,
        faults, saved, checks);
}

}  // namespace vrk::dxf
