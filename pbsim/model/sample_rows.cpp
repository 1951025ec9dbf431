#include "model/sample_rows.h"

#include <cstdarg>
#include <cstdio>

#include "model/wide_text.h"

namespace pbsim {

namespace {

// More rows than this are not made up.
const long kMaxSampleRows = 100000;

std::wstring Format(const wchar_t* format, ...) {
    wchar_t buffer[64];
    va_list args;
    va_start(args, format);
    vswprintf(buffer, 64, format, args);
    va_end(args);
    return buffer;
}

// The n of "char(n)" / "decimal(n)"; `fallback` without one.
int TypeSize(const std::wstring& type, int fallback) {
    const size_t open = type.find(L'(');
    if (open == std::wstring::npos) return fallback;
    const int size = LeadingInteger(type.substr(open + 1));
    return size > 0 ? size : fallback;
}

bool TypeIs(const std::wstring& type, const wchar_t* name) {
    const std::wstring n(name);
    return type == n || type.compare(0, n.size() + 1, n + L"(") == 0;
}

// Year, month and day of a day number counted from 1970-01-01.
void CivilFromDays(long days, int* year, int* month, int* day) {
    days += 719468;
    const long era = (days >= 0 ? days : days - 146096) / 146097;
    const long dayOfEra = days - era * 146097;
    const long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long mp = (5 * dayOfYear + 2) / 153;
    *day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    *month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    *year = static_cast<int>(yearOfEra + era * 400 + (*month <= 2 ? 1 : 0));
}

// 2024-01-01 is day 19723.
const long kFirstSampleDay = 19723;

}  // namespace

std::vector<std::wstring> CodeTableCodes(const std::wstring& codes) {
    std::vector<std::wstring> result;
    size_t start = 0;
    while (start < codes.size()) {
        size_t end = codes.find(L'/', start);
        if (end == std::wstring::npos) end = codes.size();
        const std::wstring entry = codes.substr(start, end - start);
        const size_t tab = entry.find(L'\t');
        if (tab != std::wstring::npos) result.push_back(entry.substr(tab + 1));
        start = end + 1;
    }
    return result;
}

std::wstring SampleValue(const std::wstring& rawType, const std::wstring& name, const std::wstring& codes, long row) {
    const std::wstring type = ToLowerAscii(Trim(rawType));
    if (row < 1) row = 1;
    const std::vector<std::wstring> table = CodeTableCodes(codes);
    if (!table.empty()) return table[static_cast<size_t>((row - 1) % static_cast<long>(table.size()))];
    const bool negative = row % 4 == 0;
    if (TypeIs(type, L"char") || TypeIs(type, L"varchar") || TypeIs(type, L"string")) {
        std::wstring text = (name.empty() ? std::wstring(L"Text") : name) + L' ' + IntToText(row);
        const size_t size = static_cast<size_t>(TypeSize(type, 255));
        if (text.size() > size) text.resize(size);
        return text;
    }
    if (TypeIs(type, L"ulong") || TypeIs(type, L"unsignedlong") || TypeIs(type, L"unsignedinteger")) {
        return IntToText(static_cast<long long>(row) * 10);
    }
    if (TypeIs(type, L"long") || TypeIs(type, L"int") || TypeIs(type, L"integer") || TypeIs(type, L"longlong")) {
        return IntToText(static_cast<long long>(row) * 10 * (negative ? -1 : 1));
    }
    const double number = (static_cast<double>(row) * 12.5 + 0.25) * (negative ? -1.0 : 1.0);
    if (TypeIs(type, L"decimal")) {
        const int places = type.find(L'(') == std::wstring::npos ? 2 : LeadingInteger(type.substr(type.find(L'(') + 1));
        return Format(L"%.*f", places < 0 ? 0 : (places > 6 ? 6 : places), number);
    }
    if (TypeIs(type, L"number") || TypeIs(type, L"real") || TypeIs(type, L"double") || TypeIs(type, L"float")) {
        return FormatNumber(number);
    }
    int year = 0;
    int month = 0;
    int day = 0;
    CivilFromDays(kFirstSampleDay + row - 1, &year, &month, &day);
    const long minutes = (row - 1) % (16 * 60);
    const int hour = static_cast<int>(8 + minutes / 60);
    const int minute = static_cast<int>(minutes % 60);
    if (TypeIs(type, L"date")) return Format(L"%04d-%02d-%02d", year, month, day);
    if (TypeIs(type, L"datetime") || TypeIs(type, L"timestamp")) {
        return Format(L"%04d-%02d-%02d %02d:%02d:00", year, month, day, hour, minute);
    }
    if (TypeIs(type, L"time")) return Format(L"%02d:%02d:00", hour, minute);
    return std::wstring();
}

long FillSampleRows(DataWindowModel& model, long count) {
    while (model.RowCount() > 0) model.DeleteRow(model.RowCount());
    if (count > kMaxSampleRows) count = kMaxSampleRows;
    for (long row = 1; row <= count; ++row) {
        model.InsertRow(0);
        for (int id = 1; id <= model.ColumnCount(); ++id) {
            const TableColumn* column = model.Column(id);
            // The code table of the table column, else of its column object.
            const std::wstring* codes = column->props.Find(L"values");
            const DwObject* object = model.FindColumnObject(id);
            if ((!codes || codes->empty()) && object) codes = object->props.Find(L"values");
            model.SetCellText(row, id,
                              SampleValue(column->Type(), column->Name(), codes ? *codes : std::wstring(), row));
        }
    }
    if (model.RowCount() > 0) model.SetCurrentRow(1);
    model.SetFirstRowOnPage(1);
    return model.RowCount();
}

}  // namespace pbsim
