// Making a DataWindow object from the attributes of a definition item or of
// a create statement, with the checks both apply.
#pragma once

#include <string>
#include <vector>

#include "model/attribute_list.h"
#include "model/datawindow_model.h"

namespace pbsim {

struct BuildError {
    size_t offset = 0;  // position in the scanned text
    const wchar_t* message = nullptr;
};

// A control name: a letter (of any script) or underscore, then letters,
// digits and _ - $ # %; any length.
bool IsControlName(const std::wstring& name);

// Load: a definition being read, which keeps values it cannot use where no
// number is needed (a tag or an edit style's code table with tabs in it).
// Modify: a create statement, which checks every value.
enum class BuildMode { Load, Modify };

// Fills *object from the attributes. Checks: the band exists, a column's id
// names a table column (a column without id takes the table column of its
// name), values are valid, the name is not taken in `model`. The band is
// stored lower-case.
bool BuildObject(const DataWindowModel& model, ObjectKind kind, const std::vector<Attribute>& attributes,
                 DwObject* object, BuildError* error, BuildMode mode = BuildMode::Modify);

}  // namespace pbsim
