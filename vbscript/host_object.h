// An object a host program hands to scripts under a name (AddObject): a set
// of named properties the script reads and writes as Name.Property.
#pragma once

#include <string_view>

#include "vbscript/value.h"

namespace mcplot::vbs {

class HostObject {
public:
    virtual ~HostObject() = default;

    // What TypeName says of the object.
    virtual const char* typeName() const = 0;

    // Reads the property; false when the object has none of that name.
    // Names compare without regard to case (sameName).
    virtual bool get(std::string_view name, Value& out) const = 0;

    // Stores the value in the property; false when the object has none of that
    // name. May raise the language's conversion errors (13, 6, 94).
    virtual bool set(std::string_view name, const Value& v) = 0;
};

}  // namespace mcplot::vbs
