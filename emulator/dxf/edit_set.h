#pragma once
// Changes to apply while writing a Document. The document itself is never modified: the writer copies
// untouched records as the bytes they were read from and rewrites only what an edit or a mended
// reference touches.

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "group_codes.h"
#include "handle.h"

namespace vrk::dxf {

struct ValueEdit {
    int code = 0;
    int occurrence = 0;  // 0 = first group with this code in the record
    std::string raw;     // new value, already in the file's encoding (see TextCodec::encode)
};

struct LayerSwitches {
    bool off = false;
    bool frozen = false;
    bool locked = false;
};

struct RecordEdit {
    bool releaseXdict = false;  // drop the 102 {ACAD_XDICTIONARY ... 102 } group
    bool hasLayerSwitches = false;
    LayerSwitches layer;  // 62 sign, 70 bits 1 and 4 (other bits kept)
    std::vector<ValueEdit> values;
};

class EditSet {
public:
    // Leaves the object out of the written file together with everything it owns (extension dictionary
    // tree, hard-owned dictionary entries, ATTRIB/VERTEX/SEQEND parts, and for a block record its BLOCK,
    // ENDBLK and entities). References to left-out objects are mended by the writer.
    void leaveOut(Handle h) { mLeftOut.push_back(h); }
    // The object no longer names its extension dictionary (the dictionary itself stays unless left out).
    void releaseExtensionDictionary(Handle h) { mEdits[h].releaseXdict = true; }
    // Sets a LAYER record's off, frozen and locked switches.
    void setLayerSwitches(Handle layer, LayerSwitches s);
    // Replaces the value of the n-th group with this code in the record (no effect if it has none).
    void setValue(Handle h, int code, std::string raw, int occurrence = 0);
    // Replaces a value of a header variable ("$CLAYER", code 8).
    void setHeaderValue(std::string name, int code, std::string raw, int occurrence = 0);
    // The written $HANDSEED will be at least this (for handles handed out after reading).
    void raiseHandseed(Handle atLeast) {
        if (atLeast > mMinHandseed) mMinHandseed = atLeast;
    }

    // Writes the drawing in this encoding rather than the one it was read in: every record is then
    // written anew, each value converted exactly.
    void writeAs(Encoding encoding) { mEncoding = encoding; }
    const std::optional<Encoding>& encoding() const { return mEncoding; }

    // No change to the drawing's content (the encoding aside).
    bool empty() const { return mLeftOut.empty() && mEdits.empty() && mHeaderEdits.empty() && mMinHandseed == 0; }
    const std::vector<Handle>& leftOut() const { return mLeftOut; }
    const std::unordered_map<Handle, RecordEdit>& recordEdits() const { return mEdits; }
    const std::unordered_map<std::string, std::vector<ValueEdit>>& headerEdits() const { return mHeaderEdits; }
    Handle minHandseed() const { return mMinHandseed; }

private:
    std::vector<Handle> mLeftOut;
    std::unordered_map<Handle, RecordEdit> mEdits;
    std::unordered_map<std::string, std::vector<ValueEdit>> mHeaderEdits;
    Handle mMinHandseed = kNoHandle;
    std::optional<Encoding> mEncoding;
};

}  // namespace vrk::dxf
