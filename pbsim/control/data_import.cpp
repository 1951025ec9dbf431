#include "control/data_import.h"

namespace pbsim {

long ImportRows(DataWindowModel& model, const std::wstring& text) {
    while (model.RowCount() > 0) model.DeleteRow(model.RowCount());
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        start = end + 1;
        const long row = model.InsertRow(0);
        size_t cellStart = 0;
        for (int column = 1; column <= model.ColumnCount(); ++column) {
            const size_t tab = line.find(L'\t', cellStart);
            model.SetCellText(row, column,
                              line.substr(cellStart, tab == std::wstring::npos ? std::wstring::npos : tab - cellStart));
            if (tab == std::wstring::npos) break;
            cellStart = tab + 1;
        }
    }
    if (model.RowCount() > 0) model.SetCurrentRow(1);
    model.SetFirstRowOnPage(1);
    return model.RowCount();
}

}  // namespace pbsim
