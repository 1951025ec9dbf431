// The bands of a DataWindow: the four bands every DataWindow has, the
// header and trailer bands of its groups, and the header rows of a crosstab.
#include "model/datawindow_model.h"
#include "model/wide_text.h"

namespace pbsim {

const GroupDef* DataWindowModel::Group(int level) const {
    for (const GroupDef& group : m_groups) {
        if (group.level == level) return &group;
    }
    return nullptr;
}

int DataWindowModel::CrosstabHeaderCount() const {
    int count = 0;
    for (const BandDef& band : m_bands) {
        int row = 0;
        if (ParseCrosstabBandName(band.name, &row) && row > count) count = row;
    }
    return count;
}

bool DataWindowModel::HasBand(const std::wstring& lowerName) const {
    int level = 0;
    if (ParseGroupBandName(lowerName, &level, nullptr)) return Group(level) != nullptr;
    return FindBand(lowerName) != nullptr;
}

std::wstring DataWindowModel::BandNames() const {
    std::wstring names = L"header";
    for (const GroupDef& group : m_groups) names += L"\theader." + IntToText(group.level);
    names += L"\tdetail";
    for (auto it = m_groups.rbegin(); it != m_groups.rend(); ++it) names += L"\ttrailer." + IntToText(it->level);
    names += L"\tsummary\tfooter";
    return names;
}

const std::wstring* DataWindowModel::StoredBandProperty(const std::wstring& lowerBand,
                                                        const std::wstring& lowerKey) const {
    int level = 0;
    bool trailer = false;
    if (ParseGroupBandName(lowerBand, &level, &trailer)) {
        const GroupDef* group = Group(level);
        return group ? group->props.Find((trailer ? L"trailer." : L"header.") + lowerKey) : nullptr;
    }
    const BandDef* band = FindBand(lowerBand);
    return band ? band->props.Find(lowerKey) : nullptr;
}

bool DataWindowModel::SetBandProperty(const std::wstring& lowerBand, const std::wstring& lowerKey,
                                      const std::wstring& value) {
    int level = 0;
    bool trailer = false;
    if (ParseGroupBandName(lowerBand, &level, &trailer)) {
        for (GroupDef& group : m_groups) {
            if (group.level != level) continue;
            group.props.Set((trailer ? L"trailer." : L"header.") + lowerKey, value);
            return true;
        }
        return false;
    }
    BandDef* band = FindBand(lowerBand);
    if (!band) return false;
    band->props.Set(lowerKey, value);
    return true;
}

bool DataWindowModel::SplitBandPath(const std::wstring& path, std::wstring* band, std::wstring* key) const {
    const size_t first = path.find(L'.');
    if (first == std::wstring::npos || first == 0) return false;
    std::wstring name = path.substr(0, first);
    size_t keyStart = first + 1;
    // header.N.key and trailer.N.key
    if (name == L"header" || name == L"trailer") {
        const size_t second = path.find(L'.', keyStart);
        if (second != std::wstring::npos) {
            const std::wstring grouped = path.substr(0, second);
            if (ParseGroupBandName(grouped, nullptr, nullptr)) {
                name = grouped;
                keyStart = second + 1;
            }
        }
    }
    if (keyStart >= path.size() || !HasBand(name)) return false;
    *band = name;
    *key = path.substr(keyStart);
    return true;
}

bool DataWindowModel::StartsGroup(int level, long row) const {
    if (!Group(level) || row < 1 || row > RowCount()) return false;
    if (row == 1) return true;
    for (const GroupDef& group : m_groups) {
        if (group.level > level) break;
        for (const std::wstring& name : group.by) {
            const int id = ColumnIdByName(name);
            if (id > 0 && CellText(row, id) != CellText(row - 1, id)) return true;
        }
    }
    return false;
}

bool DataWindowModel::EndsGroup(int level, long row) const {
    if (!Group(level) || row < 1 || row > RowCount()) return false;
    return row == RowCount() || StartsGroup(level, row + 1);
}

bool DataWindowModel::GroupRowRange(int level, long row, long* first, long* last) const {
    if (!Group(level) || row < 1 || row > RowCount()) return false;
    long begin = row;
    while (!StartsGroup(level, begin)) --begin;
    long end = row;
    while (!EndsGroup(level, end)) ++end;
    *first = begin;
    *last = end;
    return true;
}

}  // namespace pbsim
