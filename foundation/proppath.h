// Published properties reached by a path of names ("Options.Legend.Show",
// "Series[2].Label"), read and written as variants, and whole-object copies.
// Everything goes through the per-class property table (properties.h).
//
// Paths may come from the browser (event names in callbacks), so every step is
// checked: an index outside a collection is treated exactly like a name that
// is not published (the getter answers Null, the setter does nothing), never
// read out of bounds.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/classinfo.h"
#include "foundation/variant.h"

namespace zq {

class TObject;

// The value of the last (non-object) property of the path (asValue), or the object the
// path reaches as a Variant object reference (asValue false; a null reference
// when the last segment was not an object property). A segment that is not a
// published property ends the walk with Null. kind receives the type kind of
// the last property read (none when no property was read).
// Errors: "Invalid expression: \"%s\"!" (path continues after a value),
// "Invalid Value!" (asValue with a Null result), EPropertyError
// "The class \"%s\" its not a TCollection", EConvertError for a bad index.
Variant ZQGetObjPropsValue(TObject* obj, std::string_view path, std::optional<PropKind>& kind, bool asValue = true);
Variant ZQGetObjPropsValue(TObject* obj, std::string_view path, bool asValue = true);

// Sets the last property of the path. An object property is descended into
// when descend is set or more path follows. Returns the previous value when
// returnOld is set (Empty when it cannot be read), else Null. A boolean
// property takes the texts "Yes" as true and "Off" as false.
Variant ZQSetObjPropsValue(TObject* obj, std::string_view path, const Variant& value, bool descend = false,
                           bool returnOld = false);

// A property's value as a variant: enumerations and sets as names, objects as
// references; events and other kinds give Empty.
Variant GetPropValue(const TObject* obj, const PropInfo& p);
// Writes a variant into a property (enumerations and sets by name or ordinal,
// objects by reference).
void SetPropValue(TObject* obj, const PropInfo& p, const Variant& value);

// Copies every writable published property of source to dest (same class):
// object properties share the reference, events only with copyEvents, names
// in skip (case-insensitive) are left out. Writes made before a failing
// property stay.
void ZQCopyPublishedProps(const TObject* source, TObject* dest, const std::vector<std::string>& skip = {},
                          bool copyEvents = false);

// Whether the object publishes that property and its stored rule says stored.
bool PropIsStored(const TObject* obj, std::string_view name);

// Called for each published property; the option object is passed through.
using TZQPropCallback = std::function<bool(TObject* obj, const PropInfo& prop, TObject* option)>;
// Calls back for each property (of the cached list when given, else of the
// object's class); returns the number of properties.
int ForEachProp(TObject* obj, const std::vector<const PropInfo*>* cached, const TZQPropCallback& callback,
                TObject* option = nullptr);
// Stops at and returns the first property the callback answers true for.
const PropInfo* FirstThatProp(TObject* obj, const std::vector<const PropInfo*>* cached,
                              const TZQPropCallback& callback, TObject* option = nullptr);

}  // namespace zq
