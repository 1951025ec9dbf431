// A small grid DataWindow in pixels: a long column "a" and a char column "b"
// under their header texts, 24-pixel header and rows. Tests append their own
// data line.
#pragma once

#include <string>

inline std::wstring TwoColumnGrid(const wchar_t* data) {
    return std::wstring(
               L"release 10;\n"
               L"datawindow(units=1 processing=1)\n"
               L"header(height=24)\n"
               L"detail(height=24)\n"
               L"table(column=(type=long name=a dbname=\"a\") column=(type=char(20) name=b dbname=\"b\"))\n"
               L"text(band=header text=\"A\" border=\"0\" x=\"1\" y=\"1\" height=\"20\" width=\"80\" name=a_t)\n"
               L"text(band=header text=\"B\" border=\"0\" x=\"82\" y=\"1\" height=\"20\" width=\"120\" name=b_t)\n"
               L"column(band=detail id=1 x=\"1\" y=\"1\" height=\"22\" width=\"80\" name=a visible=\"1\")\n"
               L"column(band=detail id=2 x=\"82\" y=\"1\" height=\"22\" width=\"120\" name=b visible=\"1\")\n") +
           data + L"\n";
}
