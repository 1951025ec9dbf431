#include "staff_data.h"

#include <cwchar>

const wchar_t* const kStaffGridSyntax =
    LR"DW(release 10;
datawindow(units=0 timer_interval=0 color=16777215 processing=1 print.preview=no selected.mouse=yes row.resize=0 grid.columnmove=yes grid.lines=0 )
header(height=80 color="12632256" )
summary(height=0 color="536870912" )
footer(height=0 color="536870912" )
detail(height=68 color="16777215" )
table(column=(type=long updatewhereclause=yes name=emp_id dbname="employee.emp_id" )
 column=(type=char(30) updatewhereclause=yes name=emp_name dbname="employee.emp_name" )
 column=(type=char(12) updatewhereclause=yes name=dept dbname="employee.dept" )
 column=(type=number updatewhereclause=yes name=salary dbname="employee.salary" )
 column=(type=long updatewhereclause=yes name=completion dbname="employee.completion" )
 column=(type=char(60) updatewhereclause=yes name=status dbname="employee.status" )
 )
text(band=header alignment="2" text="ID" border="0" color="0" x="5" y="4" height="64" width="180" name=emp_id_t visible="1" font.face="Tahoma" font.height="-10" font.weight="700" background.mode="1" background.color="536870912" )
text(band=header alignment="2" text="Name" border="0" color="0" x="190" y="4" height="64" width="480" name=emp_name_t visible="1" font.face="Tahoma" font.height="-10" font.weight="700" background.mode="1" background.color="536870912" )
text(band=header alignment="2" text="Department" border="0" color="0" x="675" y="4" height="64" width="470" name=dept_t visible="1" font.face="Tahoma" font.height="-10" font.weight="700" background.mode="1" background.color="536870912" )
text(band=header alignment="2" text="Salary sort:D" border="0" color="0" x="1150" y="4" height="64" width="320" name=salary_t visible="1" font.face="Tahoma" font.height="-10" font.weight="700" background.mode="1" background.color="536870912" )
text(band=header alignment="2" text="Progress" border="0" color="0" x="1475" y="4" height="64" width="330" name=completion_t visible="1" font.face="Tahoma" font.height="-10" font.weight="700" background.mode="1" background.color="536870912" )
text(band=header alignment="2" text="Status" border="0" color="0" x="1810" y="4" height="64" width="380" name=status_t visible="1" font.face="Tahoma" font.height="-10" font.weight="700" background.mode="1" background.color="536870912" )
column(band=detail id=1 alignment="1" tabsequence=10 border="0" color="0" x="19" y="4" height="60" width="152" format="[general]" name=emp_id visible="1" font.face="Tahoma" font.height="-10" font.weight="400" background.mode="1" background.color="536870912" )
column(band=detail id=2 alignment="0" tabsequence=20 border="0" color="0" x="204" y="4" height="60" width="452" format="[general]" name=emp_name visible="1" font.face="Tahoma" font.height="-10" font.weight="400" background.mode="1" background.color="536870912" )
column(band=detail id=3 alignment="0" tabsequence=30 border="0" color="0" x="689" y="4" height="60" width="442" format="[general]" name=dept visible="1" font.face="Tahoma" font.height="-10" font.weight="400" background.mode="1" background.color="536870912" )
column(band=detail id=4 alignment="1" tabsequence=40 border="0" color="0" x="1164" y="4" height="60" width="292" format="#,##0.00" name=salary visible="1" font.face="Tahoma" font.height="-10" font.weight="400" background.mode="1" background.color="536870912" )
compute(band=detail alignment="0" expression="'progress{' + string(completion) + ':16758639:0}'" border="0" color="0" x="1489" y="4" height="60" width="302" format="[general]" name=c_completion visible="1" font.face="Tahoma" font.height="-10" font.weight="400" background.mode="1" background.color="536870912" )
column(band=detail id=6 alignment="0" tabsequence=60 border="0" color="0" x="1824" y="4" height="60" width="352" format="[general]" name=status visible="1" font.face="Tahoma" font.height="-10" font.weight="400" background.mode="1" background.color="536870912" )
htmltable(border="1" )
)DW";

// Salaries by department, as bars, and head counts as a line: the graph's
// polygons and polylines are drawn anti-aliased on an attached DataWindow.
const wchar_t* const kDepartmentGraphSyntax =
    L"release 10;\n"
    L"datawindow(units=1 processing=0 color=16777215 )\n"
    L"header(height=0)\n"
    L"detail(height=190 color=\"16777215\" )\n"
    L"table(column=(type=number name=sales dbname=\"sales\") column=(type=number name=rnd dbname=\"rnd\") "
    L"column=(type=number name=support dbname=\"support\") column=(type=number name=finance dbname=\"finance\"))\n"
    L"text(band=detail text=\"Salaries by department\" x=\"8\" y=\"2\" height=\"16\" width=\"200\" "
    L"name=t_title)\n"
    L"graph(band=detail x=\"8\" y=\"22\" height=\"160\" width=\"232\" graphtype=\"7\" "
    L"values=\"sales, rnd, support, finance\" series=\"rnd, sales, finance, support\" name=gr_salary "
    L"visible=\"1\" background.mode=\"0\" background.color=\"16777215\" )\n"
    L"data( 414500.5, 524850.75, 312050.75, 420850.5, )\n";

std::wstring StaffRows(int count) {
    static const wchar_t* const first[] = {L"Ann",    L"Bob",   L"Carla",  L"Dinh", L"Eva",   L"Farid", L"Grace",
                                           L"Hiro",   L"Ivan",  L"Jia",    L"Kofi", L"Lena",  L"Marta", L"Nils",
                                           L"Olga",   L"Pedro", L"Qiu",    L"Rosa", L"Sven",  L"Tariq", L"Uma",
                                           L"Viktor", L"Wanda", L"Xavier", L"Yuki", L"Zainab"};
    static const wchar_t* const last[] = {L"Lee",      L"Marsh",  L"Ortiz",  L"Van An", L"Novak",  L"Haddad",
                                          L"O'Neil",   L"Tanaka", L"Petrov", L"Wen",    L"Mensah", L"Berg",
                                          L"Kowalski", L"Silva",  L"Dubois", L"Moreau", L"Rossi"};
    static const wchar_t* const departments[] = {L"Sales", L"R&D", L"Support", L"Finance", L"Marketing", L"Operations"};
    std::wstring rows;
    for (int i = 0; i < count; ++i) {
        const int completion = (i * 37 + 13) % 101;
        const wchar_t* status = completion >= 90  ? L"iconfont{61452:32768} done"
                                : completion < 25 ? L"iconfont{61553:33023} late"
                                                  : L"iconfont{61463:8421504} on track";
        wchar_t line[160];
        _snwprintf(line, 160, L"%d\t%ls %ls\t%ls\t%d.%02d\t%d\t%ls\n", 1001 + i, first[i % 26], last[(i * 7) % 17],
                   departments[(i * 5 + i / 6) % 6], 3200 + (i * 379) % 5200, (i * 29) % 100, completion, status);
        line[159] = L'\0';
        rows += line;
    }
    return rows;
}
