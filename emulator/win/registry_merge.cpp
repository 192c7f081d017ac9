// Three-way merge of registry trees: what this process changed since it read the file wins, everything
// else comes from the file as another process left it.
#include <map>
#include <utility>

#include "emulator/win/registry_tree.h"

namespace vrk::win::detail {
namespace {

// A tree as flat maps keyed by folded names, so that three trees can be walked side by side.
struct FlatTree {
    std::map<std::wstring, std::wstring> keys;  // folded path -> path as written
    std::map<std::pair<std::wstring, std::wstring>, std::pair<std::wstring, Value>> values;  // -> (key path, value)
};

void flatten(const Key& key, const std::wstring& path, FlatTree& flat) {
    const std::wstring folded = foldName(path);
    flat.keys.emplace(folded, path);
    for (const auto& entry : key.values) flat.values[{folded, entry.first}] = {path, entry.second};
    for (const auto& entry : key.subkeys) flatten(*entry.second, path + L"\\" + entry.second->name, flat);
}

FlatTree flatten(const Roots& roots) {
    FlatTree flat;
    for (const auto& root : roots) flatten(*root, root->name, flat);
    return flat;
}

bool same(const std::wstring& a, const std::wstring& b) { return a == b; }
bool same(const std::pair<std::wstring, Value>& a, const std::pair<std::wstring, Value>& b) {
    return a.second.name == b.second.name && a.second.type == b.second.type && a.second.data == b.second.data;
}

// Each entry as mine has it where mine differs from base, else as theirs has it.
template <class Map, class Keep>
void mergeMaps(const Map& base, const Map& mine, const Map& theirs, Keep keep) {
    Map all = theirs;
    all.insert(mine.begin(), mine.end());
    all.insert(base.begin(), base.end());
    for (const auto& entry : all) {
        const auto inBase = base.find(entry.first);
        const auto inMine = mine.find(entry.first);
        const bool mineChanged = (inBase == base.end()) != (inMine == mine.end()) ||
                                 (inMine != mine.end() && !same(inBase->second, inMine->second));
        if (mineChanged) {
            if (inMine != mine.end()) keep(inMine->second);
        } else if (const auto inTheirs = theirs.find(entry.first); inTheirs != theirs.end()) {
            keep(inTheirs->second);
        }
    }
}

}  // namespace

Roots mergeRegistries(const Roots& base, const Roots& mine, const Roots& theirs) {
    const FlatTree flatBase = flatten(base), flatMine = flatten(mine), flatTheirs = flatten(theirs);
    Roots merged = makeRoots();
    mergeMaps(flatBase.keys, flatMine.keys, flatTheirs.keys,
              [&](const std::wstring& path) { createPath(merged, path); });
    mergeMaps(flatBase.values, flatMine.values, flatTheirs.values, [&](const std::pair<std::wstring, Value>& entry) {
        if (Key* key = createPath(merged, entry.first)) key->values[foldName(entry.second.name)] = entry.second;
    });
    return merged;
}

}  // namespace vrk::win::detail
