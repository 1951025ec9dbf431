#include "scene.h"

#include <cstdio>

#include "runtime_host.h"
#include "tessel_api.h"

namespace {

// The application's DataWindow objects, as exported from the painter.
const wchar_t kEmployeeGrid[] = LR"DW(release 10;
datawindow(units=0 timer_interval=0 color=16777215 processing=1 print.preview=no selected.mouse=yes row.resize=0 grid.columnmove=yes grid.lines=0 )
header(height=80 color="12632256" )
summary(height=0 color="536870912" )
footer(height=0 color="536870912" )
detail(height=68 color="16777215" )
table(column=(type=long updatewhereclause=yes name=emp_id dbname="employee.emp_id" )
 column=(type=char(20) updatewhereclause=yes name=emp_name dbname="employee.emp_name" )
 column=(type=char(10) updatewhereclause=yes name=dept dbname="employee.dept" )
 column=(type=number updatewhereclause=yes name=salary dbname="employee.salary" )
 )
text(band=header alignment="2" text="Emp ID" border="0" color="0" x="5" y="4" height="64" width="320" html.valueishtml="0"  name=emp_id_t visible="1"  font.face="Tahoma" font.height="-10" font.weight="700" background.mode="1" background.color="536870912" )
text(band=header alignment="2" text="Name" border="0" color="0" x="329" y="4" height="64" width="500" html.valueishtml="0"  name=emp_name_t visible="1"  font.face="Tahoma" font.height="-10" font.weight="700" background.mode="1" background.color="536870912" )
text(band=header alignment="2" text="Department" border="0" color="0" x="833" y="4" height="64" width="300" html.valueishtml="0"  name=dept_t visible="1"  font.face="Tahoma" font.height="-10" font.weight="700" background.mode="1" background.color="536870912" )
text(band=header alignment="2" text="Salary" border="0" color="0" x="1137" y="4" height="64" width="350" html.valueishtml="0"  name=salary_t visible="1"  font.face="Tahoma" font.height="-10" font.weight="700" background.mode="1" background.color="536870912" )
column(band=detail id=1 alignment="1" tabsequence=10 border="0" color="0" x="5" y="4" height="60" width="320" format="[general]" html.valueishtml="0"  name=emp_id visible="1" font.face="Tahoma" font.height="-10" font.weight="400" background.mode="1" background.color="536870912" )
column(band=detail id=2 alignment="0" tabsequence=20 border="0" color="0" x="329" y="4" height="60" width="500" format="[general]" html.valueishtml="0"  name=emp_name visible="1" font.face="Tahoma" font.height="-10" font.weight="400" background.mode="1" background.color="536870912" )
column(band=detail id=3 alignment="0" tabsequence=30 border="0" color="0" x="833" y="4" height="60" width="300" format="[general]" html.valueishtml="0"  name=dept visible="1" font.face="Tahoma" font.height="-10" font.weight="400" background.mode="1" background.color="536870912" )
column(band=detail id=4 alignment="1" tabsequence=40 border="0" color="0" x="1137" y="4" height="60" width="350" format="#,##0.00" html.valueishtml="0"  name=salary visible="1" font.face="Tahoma" font.height="-10" font.weight="400" background.mode="1" background.color="536870912" )
)DW";

const wchar_t kEmployeeRows[] =
    L"101\tAnn Lee\tSales\t5200.5\n102\tBob Marsh\tSales\t4800\n103\tCarla Ortiz\tR&D\t6100.25\n"
    L"104\tDinh Van An\tR&D\t5950\n105\tEva Novak\tSupport\t3900\n106\tFarid Haddad\tSupport\t4100.75\n"
    L"107\tGrace O'Neil\tFinance\t7000\n108\tHiro Tanaka\tFinance\t6650.5\n109\tIvan Petrov\tSales\t4500\n"
    L"110\tJia Wen\tR&D\t6800.5\n111\tKofi Mensah\tSupport\t3950\n112\tLena Berg\tFinance\t7200\n";

}  // namespace

bool BuildScene(HWND hMain, RuntimeHost& runtime, TesselApi& tessel, DemoScene& scene) {
    scene.hGrid = runtime.CreateDataWindow(hMain, kEmployeeGrid, kEmployeeRows, 16, 40, 600, 360, 0);
    if (!scene.hGrid) {
        fwprintf(stderr, L"demo: the grid DataWindow could not be created\n");
        return false;
    }
    tessel.AttachDatawindow(scene.hGrid, L"demo.ini");
    return true;
}

void TearDownScene(TesselApi& tessel, DemoScene& scene) {
    if (scene.hGrid) tessel.DettachDatawindow(scene.hGrid);
    if (scene.hForm) tessel.DettachDatawindow(scene.hForm);
}
