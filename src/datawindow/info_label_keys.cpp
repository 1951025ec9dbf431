#include "datawindow/info_label_keys.h"

// The default captions: sum, average, maximum, minimum; row count, first and
// last row on the page, current row.
const InfoLabelKey kInfoLabelKeys[kInfoLabelCount] = {
    {L"sumlabel", L"合计"},          {L"avglabel", L"平均"},
    {L"maxlabel", L"最大"},          {L"minlabel", L"最小"},
    {L"rowcountlabel", L"总 行 数"}, {L"firstrowlabel", L"当前首行"},
    {L"lastrowlabel", L"当前末行"},  {L"currentrowlabel", L"当 前 行"},
};
