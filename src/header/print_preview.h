#pragma once

class DWObject;

// A DataWindow that has entered print preview loses its side bar; leaving
// preview restores nothing.
void CheckPrintPreview(DWObject& dw);
