#include "report/json/DiffReport.h"

#include <array>

namespace vantrel::json {

namespace {

std::string_view changeKindName(ChangeKind kind) {
    switch (kind) {
    case ChangeKind::Added: return "added";
    case ChangeKind::Removed: return "removed";
    case ChangeKind::Changed: return "changed";
    }
    return "changed";
}

std::string shown(const std::string& value) {
    return value.empty() ? "(none)" : value;
}

std::string changeLine(const Change& change) {
    if (change.kind != ChangeKind::Changed)
        return std::string(changeKindName(change.kind)) + " " + change.subject + " " + change.path;
    return change.subject + " " + change.path + ": " + change.aspect + " " + shown(change.oldValue) +
           " -> " + shown(change.newValue);
}

Json breaksJson(uint8_t whom) {
    Json out = Json::array();
    if (whom & breaks::Early) out.push_back("early");
    if (whom & breaks::Late) out.push_back("late");
    return out;
}

Json sideJson(const TypeLibrary& library) {
    const LibraryInfo& info = library.info();
    return Json{{"file", library.path()},
                {"name", info.name},
                {"libid", info.libid.toString()},
                {"version", Json{{"major", info.majorVersion}, {"minor", info.minorVersion}}}};
}

}  // namespace

std::string_view VerdictName(Verdict verdict) {
    switch (verdict) {
    case Verdict::Same: return "same";
    case Verdict::Compatible: return "compatible";
    case Verdict::Breaking: return "breaking";
    }
    return "breaking";
}

std::string DiffText(const std::vector<Change>& changes) {
    if (changes.empty()) return {};
    struct Group {
        uint8_t whom;
        std::string_view heading;
    };
    static constexpr std::array<Group, 4> Groups{{
        {breaks::Early | breaks::Late, "Breaks clients bound early and late:"},
        {breaks::Early, "Breaks clients bound early (vtable):"},
        {breaks::Late, "Breaks clients bound late (IDispatch):"},
        {breaks::Nobody, "Compatible:"},
    }};
    std::string text;
    size_t breaking = 0;
    for (const Group& group : Groups) {
        bool headed = false;
        for (const Change& change : changes) {
            if (change.breaks != group.whom) continue;
            if (!headed) text.append(group.heading).append("\n");
            headed = true;
            text += "  " + changeLine(change) + "\n";
            if (group.whom != breaks::Nobody) ++breaking;
        }
    }
    text += "Verdict: " + std::string(VerdictName(VerdictOf(changes))) + " (" + std::to_string(breaking) +
            " breaking, " + std::to_string(changes.size() - breaking) + " compatible)\n";
    return text;
}

Json DiffDocument(const TypeLibrary& oldLibrary, const TypeLibrary& newLibrary,
                  const std::vector<Change>& changes) {
    Json list = Json::array();
    for (const Change& change : changes) {
        Json item{{"change", changeKindName(change.kind)},
                  {"subject", change.subject},
                  {"path", change.path},
                  {"breaks", breaksJson(change.breaks)}};
        if (change.kind == ChangeKind::Changed) {
            item["aspect"] = change.aspect;
            item["old"] = change.oldValue;
            item["new"] = change.newValue;
        }
        list.push_back(std::move(item));
    }
    return Json{{"schemaVersion", DiffSchemaVersion},
                {"old", sideJson(oldLibrary)},
                {"new", sideJson(newLibrary)},
                {"verdict", VerdictName(VerdictOf(changes))},
                {"changes", std::move(list)}};
}

}  // namespace vantrel::json
