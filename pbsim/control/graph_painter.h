// Graph objects. The stand-in draws two kinds of data, each a list of
// DataWindow expressions separated by commas and evaluated for the row the
// graph is shown in (a graph in the detail band shows its own row):
//   values   one bar per expression, each bar a filled Polygon
//   series   the points of a line series, drawn with Polyline
// With graphtype 12 (line) and no series, the values are drawn as the line.
// Bars and points share one scale: the largest value reaches the top of the
// plot area. The title, when set, is written above the plot area.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "control/font_cache.h"
#include "model/datawindow_model.h"

namespace pbsim {

// Splits a list of expressions at the commas outside parentheses and quotes.
std::vector<std::wstring> SplitExpressionList(const std::wstring& list);

void PaintGraph(HDC dc, const DataWindowModel& model, const DwObject& object, long row, const RECT& rect,
                FontCache& fonts);

}  // namespace pbsim
