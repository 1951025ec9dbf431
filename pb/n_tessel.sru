$PBExportHeader$n_tessel.sru
$PBExportComments$Tessel2U.dll: the eighteen external functions and wrappers for DataWindow controls
forward
global type n_tessel from nonvisualobject
end type
end forward

global type n_tessel from nonvisualobject autoinstantiate
end type

type prototypes
// Tessel2U.dll, PowerBuilder 10 and later. Window handles are ulong;
// strings are passed as UTF-16 without a copy (readonly). Every function
// returns a long.
FUNCTION long StartTessel() LIBRARY "Tessel2U.dll"
FUNCTION long StopTessel() LIBRARY "Tessel2U.dll"
FUNCTION long AttachDatawindow(ulong hwnd, readonly string settingsfile) LIBRARY "Tessel2U.dll"
FUNCTION long DettachDatawindow(ulong hwnd) LIBRARY "Tessel2U.dll"
FUNCTION long ReplaceSysColor(long colorindex, long newcolor) LIBRARY "Tessel2U.dll"
FUNCTION long SetSkinFile(readonly string skinfile) LIBRARY "Tessel2U.dll"
FUNCTION long AddDatawindowTitle(ulong hwnd, readonly string title, readonly string fontface, long fontheight, long titleheight) LIBRARY "Tessel2U.dll"
FUNCTION long ModifyDatawindowTitle(ulong hwnd, long titleno, readonly string title, readonly string fontface, long fontheight) LIBRARY "Tessel2U.dll"
FUNCTION long SetSpanTitle(ulong hwnd, readonly string columns, readonly string caption, readonly string fontface, long fontheight, long headergrow) LIBRARY "Tessel2U.dll"
FUNCTION long SetIconfont(readonly string fontfile, long lighten) LIBRARY "Tessel2U.dll"
FUNCTION long PrintDebugString(readonly string text) LIBRARY "Tessel2U.dll"
FUNCTION long SetDebugWindowColor(long attribute) LIBRARY "Tessel2U.dll"
FUNCTION long OpenDebugWindow() LIBRARY "Tessel2U.dll"
FUNCTION long CloseDebugWindow() LIBRARY "Tessel2U.dll"
FUNCTION long DWAbout() LIBRARY "Tessel2U.dll"
FUNCTION long GetAddColumnSyntax(ulong hwnd, long a, long b, long c, long d) LIBRARY "Tessel2U.dll"
FUNCTION long AddSystemEnv(readonly string name, readonly string value, long replaceflag) LIBRARY "Tessel2U.dll"
// version.dll, for of_version(): the version resource of Tessel2U.dll.
FUNCTION ulong GetFileVersionInfoSizeW(readonly string filename, ref ulong handle) LIBRARY "version.dll"
FUNCTION boolean GetFileVersionInfoW(readonly string filename, ulong handle, ulong datasize, ref blob data) LIBRARY "version.dll"
FUNCTION boolean VerQueryValueW(ref blob data, readonly string subblock, ref ulong valueaddress, ref ulong valuelength) LIBRARY "version.dll"
FUNCTION long SetInfoLabel(readonly string labelkey, readonly string label) LIBRARY "Tessel2U.dll"
end prototypes

forward prototypes
public function long of_start ()
public function long of_stop ()
public function long of_attach (datawindow adw, string as_settings)
public function long of_detach (datawindow adw)
public function long of_set_skin (string as_skin)
public function long of_replace_sys_color (long al_index, long al_color)
public function long of_set_iconfont (string as_fontfile, long al_lighten)
public function long of_add_title (datawindow adw, string as_title, string as_fontface, long al_fontheight, long al_titleheight)
public function long of_modify_title (datawindow adw, long al_titleno, string as_title, string as_fontface, long al_fontheight)
public function long of_set_span_title (datawindow adw, string as_columns, string as_caption, string as_fontface, long al_fontheight, long al_headergrow)
public function long of_set_sidebar (datawindow adw, boolean ab_on)
public function long of_set_info_target (datawindow adw, ulong aul_target)
public function long of_set_line_color (datawindow adw, long al_color)
public function long of_set_border_color (datawindow adw, long al_color)
public function long of_set_back_color (datawindow adw, long al_color)
public function long of_set_alter_color (datawindow adw, long al_color)
public function long of_set_selected_color (datawindow adw, long al_color)
public function long of_set_select_row_color (datawindow adw, long al_color)
public function long of_set_hover_color (datawindow adw, long al_color)
public function long of_open_debug ()
public function long of_close_debug ()
public function long of_print_debug (string as_text)
public function long of_set_debug_color (long al_attribute)
public function long of_about ()
public function long of_add_system_env (string as_name, string as_value, boolean ab_replace)
public function string of_version ()
public function long of_set_info_label (string as_key, string as_label)
end prototypes

public function long of_start ();// Once, in the application's open event, before any other call.
return StartTessel()
end function

public function long of_stop ();// Once, in the application's close event, after every DataWindow is detached.
return StopTessel()
end function

public function long of_attach (datawindow adw, string as_settings);// as_settings: settings file; a name without a folder lies beside Tessel2U.dll.
return AttachDatawindow(Handle(adw), as_settings)
end function

public function long of_detach (datawindow adw);// Before the DataWindow control is destroyed.
return DettachDatawindow(Handle(adw))
end function

public function long of_set_skin (string as_skin);// Skin file: sections SysColor and ScrollBar.
return SetSkinFile(as_skin)
end function

public function long of_replace_sys_color (long al_index, long al_color);// al_index: index of GetSysColor, for example 15 for COLOR_BTNFACE.
return ReplaceSysColor(al_index, al_color)
end function

public function long of_set_iconfont (string as_fontfile, long al_lighten);// TrueType icon font for iconfont{code:colour} texts; al_lighten -255 to 255.
return SetIconfont(as_fontfile, al_lighten)
end function

public function long of_add_title (datawindow adw, string as_title, string as_fontface, long al_fontheight, long al_titleheight);// One more title row above the column headers; returns the number of rows.
return AddDatawindowTitle(Handle(adw), as_title, as_fontface, al_fontheight, al_titleheight)
end function

public function long of_modify_title (datawindow adw, long al_titleno, string as_title, string as_fontface, long al_fontheight);// Changes title row al_titleno, counted from 1.
return ModifyDatawindowTitle(Handle(adw), al_titleno, as_title, as_fontface, al_fontheight)
end function

public function long of_set_span_title (datawindow adw, string as_columns, string as_caption, string as_fontface, long al_fontheight, long al_headergrow);// A title over the columns named in as_columns, the header grown by al_headergrow.
return SetSpanTitle(Handle(adw), as_columns, as_caption, as_fontface, al_fontheight, al_headergrow)
end function

public function long of_set_sidebar (datawindow adw, boolean ab_on);// The row-number side bar in the left margin.
long ll_on
if ab_on then ll_on = 1
return Send(Handle(adw), 11040, 0, ll_on)
end function

public function long of_set_info_target (datawindow adw, ulong aul_target);// aul_target: Handle() of a control that shows the information texts
// instead of the tooltip; 0 for the tooltip again.
return Send(Handle(adw), 11041, 0, aul_target)
end function

public function long of_set_line_color (datawindow adw, long al_color);// Grid lines (settings key lineColor).
return Send(Handle(adw), 11025, 0, al_color)
end function

public function long of_set_border_color (datawindow adw, long al_color);// Window border (settings key borderColor).
return Send(Handle(adw), 11026, 0, al_color)
end function

public function long of_set_back_color (datawindow adw, long al_color);// Odd rows (settings key backColor).
return Send(Handle(adw), 11027, 0, al_color)
end function

public function long of_set_alter_color (datawindow adw, long al_color);// Even rows (settings key AlterColor).
return Send(Handle(adw), 11028, 0, al_color)
end function

public function long of_set_selected_color (datawindow adw, long al_color);// Fills the DataWindow paints in black (settings key SelectedColor).
return Send(Handle(adw), 11029, 0, al_color)
end function

public function long of_set_select_row_color (datawindow adw, long al_color);// Selected rows (settings key SelectRowColor).
return Send(Handle(adw), 11030, 0, al_color)
end function

public function long of_set_hover_color (datawindow adw, long al_color);// The row under the mouse (settings key HoverColor).
return Send(Handle(adw), 11039, 0, al_color)
end function

public function long of_open_debug ();// The debug console; any time, started or not.
return OpenDebugWindow()
end function

public function long of_close_debug ();return CloseDebugWindow()
end function

public function long of_print_debug (string as_text);// One line in the debug console, when it is open.
return PrintDebugString(as_text)
end function

public function long of_set_debug_color (long al_attribute);// Console text colour: 1 blue, 2 green, 4 red; 0 white.
return SetDebugWindowColor(al_attribute)
end function

public function long of_about ();return DWAbout()
end function

public function long of_add_system_env (string as_name, string as_value, boolean ab_replace);// Sets a variable of the process environment, or appends to its list.
long ll_replace
if ab_replace then ll_replace = 1
return AddSystemEnv(as_name, as_value, ll_replace)
end function

public function string of_version ();// The file version of Tessel2U.dll, such as "1.0.0"; "" when it cannot be read.
ulong lul_handle, lul_size, lul_length
ulong lul_address
blob lblb_data
lul_size = GetFileVersionInfoSizeW("Tessel2U.dll", lul_handle)
if lul_size = 0 then return ""
lblb_data = Blob(Space(lul_size))
if not GetFileVersionInfoW("Tessel2U.dll", 0, lul_size, lblb_data) then return ""
// The library's one string table: English (United States), Unicode.
if not VerQueryValueW(lblb_data, "\StringFileInfo\040904B0\FileVersion", lul_address, lul_length) then return ""
if lul_address = 0 or lul_length = 0 then return ""
return String(lul_address, "address")
end function

public function long of_set_info_label (string as_key, string as_label);// Caption of an information text for every DataWindow, e.g. ("sumlabel", "Sum");
// a DataWindow's settings file wins; "" restores the default. Any time.
return SetInfoLabel(as_key, as_label)
end function

on n_tessel.create
call super::create
TriggerEvent( this, "constructor" )
end on

on n_tessel.destroy
TriggerEvent( this, "destructor" )
call super::destroy
end on
