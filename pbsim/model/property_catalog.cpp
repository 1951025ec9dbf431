#include "model/property_catalog.h"

namespace pbsim {

namespace {

struct Entry {
    const wchar_t* key;
    const wchar_t* value;
};

// Shared by every object that shows text or a box.
const Entry kBoxed[] = {
    {L"band", L"detail"},
    {L"x", L"0"},
    {L"y", L"0"},
    {L"width", L"0"},
    {L"height", L"0"},
    {L"visible", L"1"},
    {L"border", L"0"},
    {L"color", L"0"},
    {L"alignment", L"0"},
    {L"background.mode", L"1"},
    {L"background.color", L"536870912"},
    {L"font.face", L"Arial"},
    {L"font.height", L"-10"},
    {L"font.weight", L"400"},
    {L"font.family", L"2"},
    {L"font.pitch", L"2"},
    {L"font.charset", L"0"},
    {L"font.italic", L"0"},
    {L"font.underline", L"0"},
    {L"font.strikethrough", L"0"},
    {L"html.valueishtml", L"0"},
    {L"pointer", L"Arrow!"},
    {L"tag", L""},
    {L"moveable", L"0"},
    {L"resizeable", L"0"},
    {L"slideup", L"no"},
    {L"slideleft", L"no"},
};

const Entry kTextOnly[] = {{L"text", L""}};
const Entry kColumnOnly[] = {{L"tabsequence", L"0"}, {L"format", L"[general]"}, {L"edit.limit", L"0"}};
const Entry kComputeOnly[] = {{L"expression", L""}, {L"format", L"[general]"}};
const Entry kButtonOnly[] = {{L"text", L""}, {L"action", L"0"}, {L"picturename", L""}};
const Entry kGraphOnly[] = {
    {L"graphtype", L"7"}, {L"title", L""}, {L"category", L""}, {L"values", L""}, {L"series", L""}};

const Entry kLine[] = {
    {L"band", L"detail"},
    {L"x1", L"0"},
    {L"y1", L"0"},
    {L"x2", L"0"},
    {L"y2", L"0"},
    {L"visible", L"1"},
    {L"pen.style", L"0"},
    {L"pen.width", L"1"},
    {L"pen.color", L"0"},
    {L"background.mode", L"2"},
    {L"background.color", L"16777215"},
    {L"tag", L""},
    {L"moveable", L"0"},
    {L"resizeable", L"0"},
    {L"slideup", L"no"},
};

// Rectangle, roundrectangle and ellipse: a pen outline and a brush fill.
const Entry kShape[] = {
    {L"band", L"detail"},
    {L"x", L"0"},
    {L"y", L"0"},
    {L"width", L"0"},
    {L"height", L"0"},
    {L"visible", L"1"},
    {L"brush.hatch", L"6"},
    {L"brush.color", L"16777215"},
    {L"pen.style", L"0"},
    {L"pen.width", L"1"},
    {L"pen.color", L"0"},
    {L"background.mode", L"2"},
    {L"background.color", L"16777215"},
    {L"tag", L""},
    {L"moveable", L"0"},
    {L"resizeable", L"0"},
    {L"slideup", L"no"},
    {L"slideleft", L"no"},
};
const Entry kRoundRectangleOnly[] = {{L"ellipseheight", L"36"}, {L"ellipsewidth", L"41"}};

const Entry kBitmap[] = {
    {L"band", L"detail"}, {L"x", L"0"},          {L"y", L"0"},        {L"width", L"0"},      {L"height", L"0"},
    {L"visible", L"1"},   {L"border", L"0"},     {L"filename", L""},  {L"invert", L"0"},     {L"tag", L""},
    {L"moveable", L"0"},  {L"resizeable", L"0"}, {L"slideup", L"no"}, {L"slideleft", L"no"}, {L"pointer", L"Arrow!"},
};

const Entry kReport[] = {
    {L"band", L"detail"},  {L"x", L"0"},
    {L"y", L"0"},          {L"width", L"0"},
    {L"height", L"0"},     {L"visible", L"1"},
    {L"border", L"0"},     {L"dataobject", L""},
    {L"criteria", L""},    {L"nest_arguments", L""},
    {L"newpage", L"no"},   {L"trail_footer", L"yes"},
    {L"tag", L""},         {L"moveable", L"0"},
    {L"resizeable", L"0"}, {L"slideup", L"no"},
    {L"slideleft", L"no"}, {L"height.autosize", L"no"},
};

const Entry kDataWindow[] = {
    {L"units", L"0"},          {L"processing", L"0"},      {L"color", L"16777215"}, {L"timer_interval", L"0"},
    {L"print.preview", L"no"}, {L"selected.mouse", L"no"}, {L"row.resize", L"0"},   {L"grid.columnmove", L"yes"},
    {L"grid.lines", L"0"},     {L"readonly", L"no"},
};

const Entry kBand[] = {{L"height", L"0"}, {L"color", L"536870912"}, {L"pointer", L"Arrow!"}};

template <size_t N>
const wchar_t* FindIn(const Entry (&table)[N], const std::wstring& key) {
    for (const Entry& e : table) {
        if (key == e.key) return e.value;
    }
    return nullptr;
}

}  // namespace

const wchar_t* ObjectPropertyDefault(ObjectKind kind, const std::wstring& lowerKey) {
    if (kind == ObjectKind::Line) return FindIn(kLine, lowerKey);
    if (kind == ObjectKind::Rectangle || kind == ObjectKind::Ellipse) return FindIn(kShape, lowerKey);
    if (kind == ObjectKind::RoundRectangle) {
        const wchar_t* value = FindIn(kShape, lowerKey);
        return value ? value : FindIn(kRoundRectangleOnly, lowerKey);
    }
    if (kind == ObjectKind::Bitmap) return FindIn(kBitmap, lowerKey);
    if (kind == ObjectKind::Report) return FindIn(kReport, lowerKey);
    const wchar_t* value = FindIn(kBoxed, lowerKey);
    if (value) return value;
    switch (kind) {
    case ObjectKind::Text:
    case ObjectKind::GroupBox: return FindIn(kTextOnly, lowerKey);
    case ObjectKind::Column: return FindIn(kColumnOnly, lowerKey);
    case ObjectKind::Compute: return FindIn(kComputeOnly, lowerKey);
    case ObjectKind::Button: return FindIn(kButtonOnly, lowerKey);
    case ObjectKind::Graph: return FindIn(kGraphOnly, lowerKey);
    default: break;
    }
    return nullptr;
}

bool IsIntegerProperty(const std::wstring& lowerKey) {
    static const wchar_t* const kIntegers[] = {L"x",
                                               L"y",
                                               L"width",
                                               L"height",
                                               L"x1",
                                               L"y1",
                                               L"x2",
                                               L"y2",
                                               L"border",
                                               L"color",
                                               L"background.mode",
                                               L"background.color",
                                               L"font.height",
                                               L"font.weight",
                                               L"alignment",
                                               L"pen.style",
                                               L"pen.width",
                                               L"pen.color",
                                               L"visible",
                                               L"tabsequence",
                                               L"brush.color",
                                               L"brush.hatch"};
    for (const wchar_t* k : kIntegers) {
        if (lowerKey == k) return true;
    }
    return false;
}

const wchar_t* DataWindowPropertyDefault(const std::wstring& lowerKey) { return FindIn(kDataWindow, lowerKey); }

bool IsYesNoProperty(const std::wstring& lowerKey) {
    return lowerKey == L"print.preview" || lowerKey == L"selected.mouse" || lowerKey == L"grid.columnmove" ||
           lowerKey == L"readonly";
}

bool IsReadOnlyDataWindowProperty(const std::wstring& lowerKey) {
    static const wchar_t* const kReadOnly[] = {L"units",       L"processing",    L"column.count",   L"syntax",
                                               L"syntax.data", L"selected.data", L"firstrowonpage", L"lastrowonpage",
                                               L"bands",       L"objects"};
    for (const wchar_t* k : kReadOnly) {
        if (lowerKey == k) return true;
    }
    return false;
}

const wchar_t* BandPropertyDefault(const std::wstring& lowerKey) { return FindIn(kBand, lowerKey); }

}  // namespace pbsim
