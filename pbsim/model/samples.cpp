#include "model/samples.h"

namespace pbsim {

const wchar_t* const kEmployeeGridSyntax =
    LR"DW(release 10;
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
htmltable(border="1" )
data( 101,"Ann Lee","Sales",5200.5,
 102,"Bob Marsh","Sales",4800,
 103,"Carla Ortiz","R&D",6100.25,
 104,"Dinh Van An","R&D",5950,
 105,"Eva Novak","Support",3900,
 106,"Farid Haddad","Support",4100.75,
 107,"Grace O~"Neil","Finance",7000,
 108,"Hiro Tanaka","Finance",6650.5,
 )
)DW";

const wchar_t* const kEmployeeFormSyntax =
    LR"DW(release 10;
datawindow(units=0 timer_interval=0 color=15790320 processing=0 print.preview=no selected.mouse=no )
header(height=0 color="536870912" )
summary(height=0 color="536870912" )
footer(height=0 color="536870912" )
detail(height=440 color="15790320" )
table(column=(type=long updatewhereclause=yes name=emp_id dbname="employee.emp_id" )
 column=(type=char(20) updatewhereclause=yes name=emp_name dbname="employee.emp_name" )
 column=(type=char(10) updatewhereclause=yes name=dept dbname="employee.dept" )
 column=(type=number updatewhereclause=yes name=salary dbname="employee.salary" )
 )
text(band=detail alignment="1" text="Emp ID:" border="0" color="0" x="9" y="20" height="64" width="370" name=emp_id_t visible="1" font.face="Tahoma" font.height="-10" background.mode="1" background.color="536870912" )
column(band=detail id=1 alignment="0" tabsequence=10 border="5" color="0" x="402" y="20" height="64" width="400" name=emp_id visible="1" font.face="Tahoma" font.height="-10" background.mode="0" background.color="16777215" )
text(band=detail alignment="1" text="Name:" border="0" color="0" x="9" y="100" height="64" width="370" name=emp_name_t visible="1" font.face="Tahoma" font.height="-10" background.mode="1" background.color="536870912" )
column(band=detail id=2 alignment="0" tabsequence=20 border="5" color="0" x="402" y="100" height="64" width="640" name=emp_name visible="1" font.face="Tahoma" font.height="-10" background.mode="0" background.color="16777215" )
text(band=detail alignment="1" text="Department:" border="0" color="0" x="9" y="180" height="64" width="370" name=dept_t visible="1" font.face="Tahoma" font.height="-10" background.mode="1" background.color="536870912" )
column(band=detail id=3 alignment="0" tabsequence=30 border="5" color="0" x="402" y="180" height="64" width="400" name=dept visible="1" font.face="Tahoma" font.height="-10" background.mode="0" background.color="16777215" )
text(band=detail alignment="1" text="Salary:" border="0" color="0" x="9" y="260" height="64" width="370" name=salary_t visible="1" font.face="Tahoma" font.height="-10" background.mode="1" background.color="536870912" )
column(band=detail id=4 alignment="1" tabsequence=40 border="5" color="0" x="402" y="260" height="64" width="400" format="#,##0.00" name=salary visible="1" font.face="Tahoma" font.height="-10" background.mode="0" background.color="16777215" )
compute(band=detail alignment="1" expression="salary * 0.1" border="0" color="8388608" x="820" y="260" height="64" width="222" format="#,##0.00" name=c_bonus visible="1" font.face="Tahoma" font.height="-10" background.mode="1" background.color="536870912" )
line(band=detail x1="9" y1="350" x2="1042" y2="350" name=l_separator visible="1" pen.style="0" pen.width="5" pen.color="12632256" background.mode="2" background.color="16777215" )
button(band=detail text="Save" filename="" action="0" border="0" color="0" x="820" y="16" height="72" width="222" name=b_save visible="1" font.face="Tahoma" font.height="-10" background.mode="2" background.color="15790320" )
data( 201,"Ivan Petrov","Sales",4500,
 202,"Jia Wen","R&D",6800.5,
 203,"Kofi Mensah","Support",3950,
 )
)DW";

}  // namespace pbsim
