// Compares two builds of one component's type library: types are paired by GUID, else by
// name; members by name and invoke kind; parameters by position. Each difference says
// whom it breaks: clients bound early (through the vtable: slots, signatures, IIDs),
// clients bound late (through IDispatch: names and DISPIDs), or nobody.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "typelib/TypeLibrary.h"

namespace vantrel::json {

namespace breaks {
inline constexpr uint8_t Nobody = 0, Early = 1, Late = 2;
}

enum class ChangeKind : uint8_t { Added, Removed, Changed };

struct Change {
    ChangeKind kind = ChangeKind::Changed;
    uint8_t breaks = breaks::Nobody;  // breaks::Early and/or breaks::Late
    std::string subject;  // "library", "type", "interface", "function", "parameter", "variable"
    std::string path;     // "IFoo", "IFoo.Bar", "IFoo.Bar(value)", "IFoo.Color [propertyPut]"
    std::string aspect;   // what changed ("vtable slot", "member id", ...); empty when added or removed
    std::string oldValue;
    std::string newValue;
};

std::vector<Change> DiffLibraries(const TypeLibrary& oldLibrary, const TypeLibrary& newLibrary);

enum class Verdict : uint8_t { Same, Compatible, Breaking };
Verdict VerdictOf(const std::vector<Change>& changes);

}  // namespace vantrel::json
