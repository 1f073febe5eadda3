// Messages of the data-access layer. Texts with %s take the field or component name.
#pragma once

namespace vcl {

inline constexpr const char* SCircularDataLink = "A data source can't be linked to its own data set";
inline constexpr const char* SDataSourceFixed = "The data source of this link is fixed and can't be changed";
inline constexpr const char* SPropDefByLookup = "The property is set by the lookup field";
inline constexpr const char* SFieldNotFound = "Field '%s' not found";
inline constexpr const char* SNotEditing = "Data set not in edit or insert mode";
inline constexpr const char* SDataSetClosed = "Can't do this on a closed data set";
inline constexpr const char* SDataSetOpen = "Can't do this on an open data set";
inline constexpr const char* SDataSetEmpty = "Can't do this on an empty data set";
inline constexpr const char* SDataSetReadOnly = "Can't modify a read-only data set";
inline constexpr const char* SFieldReadOnly = "Field '%s' can't be modified";
inline constexpr const char* SFieldRequired = "Field '%s' must have a value";
inline constexpr const char* SDuplicateFieldName = "Duplicate field name '%s'";
inline constexpr const char* SFieldRangeError = "%s is not a valid value for field '%s'";
inline constexpr const char* SNoDataSet = "Field '%s' has no data set";
inline constexpr const char* SFieldKindFixed =
    "The kind of field '%s' can't change once it belongs to a data set";
inline constexpr const char* SLookupInfoError = "Lookup information for field '%s' is incomplete";
inline constexpr const char* SRecordValueCount = "%d values given for %d data fields";
inline constexpr const char* SFieldNotIndexable = "Field '%s' can't be indexed";
inline constexpr const char* SDataSetLoading = "The data set is being loaded";
inline constexpr const char* SDataSetCalculating =
    "Can't move or change a data set while its fields are being calculated";
inline constexpr const char* SLookupValueNotFound = "'%s' is not in the lookup list of field '%s'";

}  // namespace vcl
