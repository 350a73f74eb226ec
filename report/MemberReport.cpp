// The member report page: each of a type's members is sorted into its section, and the
// sections are written in turn, each member as one numbered line.
#include "report/MemberReport.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <string_view>
#include <utility>
#include <vector>

#include "report/HtmlEscape.h"
#include "report/InvokeInfo.h"
#include "report/TypeNames.h"
#include "typelib/file/Limits.h"
#include "typelib/file/Messages.h"
#include "typelib/text/AsciiCase.h"

namespace vantrel {

namespace {

using namespace std::string_view_literals;

// FindType's search filter, GetMembers' flag and GetMember's invoke kinds as the report
// passes them; their meaning belongs to the type-library model.
constexpr int32_t AllTypesFilter = 239;
constexpr int32_t MemberViewFlag = 0;
constexpr int32_t AnyInvokeKind = 0;

enum class Section { None, Properties, Methods, Events, Constants };
constexpr size_t SectionCount = 4;

Section sectionFor(std::string_view memberCaption) {
    struct Route {
        std::string_view caption;
        Section section;
    };
    // "Property Let/Set" is a property like the others.
    static constexpr std::array<Route, 10> routes{{
        {caption::Constant, Section::Constants},
        {caption::Event, Section::Events},
        {caption::PropertyGet, Section::Properties},
        {caption::PropertyLet, Section::Properties},
        {caption::PropertyGetLet, Section::Properties},
        {caption::PropertySet, Section::Properties},
        {caption::PropertyGetSet, Section::Properties},
        {caption::PropertyLetSet, Section::Properties},
        {caption::PropertyGetLetSet, Section::Properties},
        {caption::Method, Section::Methods},
    }};
    for (const Route& route : routes)
        if (equalsIgnoringCase(memberCaption, route.caption)) return route.section;
    return Section::None;
}

[[gnu::cold]] Error overflow() { return makeError(errc::Overflow, "Overflow"); }

// Counters are 32-bit signed; going past the top is an error, not a wrap.
inline Expected<void> raise(int32_t& counter) {
    if (counter == std::numeric_limits<int32_t>::max()) [[unlikely]]
        return overflow();
    ++counter;
    return {};
}

void appendNumber(std::string& out, int32_t number) {
    // Line numbers count within a section: nearly all have one to three digits.
    if (number >= 0 && number < 1000) {
        if (number >= 100) out += static_cast<char>('0' + number / 100);
        if (number >= 10) out += static_cast<char>('0' + number / 10 % 10);
        out += static_cast<char>('0' + number % 10);
        return;
    }
    std::array<char, 12> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), number);
    out.append(digits.data(), result.ptr);
}

constexpr std::string_view TypeNameStart = "<font color=blue>";
constexpr std::string_view TypeNameEnd = "</font>";

// A built-in kind's name as a page shows it, whole: most types on a page are built-in.
class ShownKindNames {
public:
    ShownKindNames() {
        for (size_t kind = 0; kind < shown_.size(); ++kind) {
            shown_[kind] = TypeNameStart;
            shown_[kind] += KindName(static_cast<uint16_t>(kind));
            shown_[kind] += TypeNameEnd;
        }
    }
    // Empty for a kind past the table.
    std::string_view of(int32_t kind) const {
        return kind >= 0 && static_cast<size_t>(kind) < shown_.size() ? shown_[static_cast<size_t>(kind)]
                                                                       : std::string_view();
    }

private:
    std::array<std::string, 64> shown_;
};

void appendTypeName(std::string& out, const VarTypeNameParts& typeName) {
    static const ShownKindNames shownKinds;
    if (const std::string_view whole = shownKinds.of(typeName.kind); typeName.prefix.empty() && !whole.empty()) {
        out += whole;
        return;
    }
    out += TypeNameStart;
    out += typeName.prefix;  // one of a few fixed texts, none with a character to escape
    if (typeName.kind != VarTypeNameParts::NotAKind) {
        out += typeName.name;  // a kind name: no character to escape
    } else {
        AppendHtmlEscaped(out, typeName.name);
    }
    out += TypeNameEnd;
}

// "Name As <font color=blue>Type</font>", joined by ", ".
Expected<void> appendParameters(std::string& out, const MemberEntry& entry) {
    const int16_t count = VANTREL_TRY(entry.Parameters.Count());
    const auto& parameters = entry.Parameters.items();
    VarTypeNameParts typeName;
    // i stays within 1..count, a valid 1-based 16-bit index into the list.
    for (int32_t i = 1; i <= count;) {
        const ParameterEntry& parameter = parameters[static_cast<size_t>(i) - 1];
        AppendHtmlEscaped(out, parameter.Name);
        out += " As "sv;
        VANTREL_CHECK(FillVarTypeNameParts(parameter.Type, typeName));
        appendTypeName(out, typeName);
        if (i < count) out += ", "sv;
        VANTREL_CHECK(raise(i));
    }
    return {};
}

// The parts shared by every line but the constant's: " (" PARAMS ")".
Expected<void> appendNameAndParameters(std::string& out, const MemberItem& member,
                                       const MemberEntry& entry) {
    AppendHtmlEscaped(out, member.Name);
    out += " ("sv;
    VANTREL_CHECK(appendParameters(out, entry));
    out += ")"sv;
    return {};
}

// The page's fixed pieces, in order, around the outside texts and the section texts.
constexpr std::string_view PageStart = "<html>\r\n<head><title>";
constexpr std::string_view TitleEnd = " members</title></head>";
constexpr std::string_view HeadingStart = "<h3>Properties, Methods, Events and Constants of ";
constexpr std::string_view HeadingTypeStart = "  (";
constexpr std::string_view HeadingEnd = ")</h3><p>\r\n\r\n";
constexpr std::array<std::string_view, SectionCount> SectionStarts{
    "<b><u>Properties:</u></b><p>\r\n<code>",
    "</code><p><b><u>Methods:</u></b><p><code>",
    "</code><p><b><u>Events:</u></b><p><code>",
    "</code><p><b><u>Constants:</u></b><p>",
};
constexpr std::string_view PageEnd = "<p></html>";

// What a member line takes on average in large libraries, with some room: the page is
// reserved once, so that its text is not copied as it grows.
constexpr size_t ReservedPerMember = 112;

// Writes the page from start to end: the sections one after the other, each member line
// in its section in member order, numbered within its section. Written in place rather
// than in a text per section joined at the end: pages of large types run to hundreds of
// kilobytes.
class PageWriter {
public:
    PageWriter(const TypeLibrary& library, SearchData type, size_t memberCount)
        : library_(library), type_(type), sizeLimit_(maxPageSize(library.info().sourceSize)) {
        page_.reserve(static_cast<size_t>(std::min<uint64_t>(sizeLimit_, memberCount * ReservedPerMember)) + 1024);
    }

    void heading(const std::string& strDLLName, const std::string& strTypeName, const std::string& strCurrentDLL) {
        page_ += PageStart;
        AppendHtmlEscaped(page_, strCurrentDLL);
        page_ += TitleEnd;
        page_ += HeadingStart;
        AppendHtmlEscaped(page_, strDLLName);
        page_ += HeadingTypeStart;
        AppendHtmlEscaped(page_, strTypeName);
        page_ += HeadingEnd;
        fixedBytes_ = page_.size();
    }

    void startSection(Section section) {
        const std::string_view start = SectionStarts[static_cast<size_t>(section) - 1];
        page_ += start;
        fixedBytes_ += start.size();
        counter_ = 0;
    }

    Expected<void> add(Section section, std::string_view memberCaption, const MemberItem& member) {
        VANTREL_CHECK(raise(counter_));
        VANTREL_CHECK(checkSize());
        if (section == Section::Constants) {
            appendConstant(page_, counter_, member);
            return {};
        }
        // Read where GetMember made it: moving a signature out costs more than its look-up.
        const Expected<MemberEntry> entry =
            library_.GetMember(type_, AnyInvokeKind, member.MemberId, {});
        if (!entry) return entry.error();
        switch (section) {
            case Section::Properties: return appendProperty(page_, counter_, memberCaption, member, *entry);
            case Section::Methods: return appendMethod(page_, counter_, member, *entry);
            case Section::Events: return appendEvent(page_, counter_, member, *entry);
            case Section::Constants:
            case Section::None: break;
        }
        return {};
    }

    std::string finish() {
        page_ += PageEnd;
        return std::move(page_);
    }

private:
    // Before each line: the member lines so far within maxPageSize.
    Expected<void> checkSize() const {
        if (page_.size() - fixedBytes_ <= sizeLimit_) [[likely]] return {};
        return tooLarge();
    }

    [[gnu::cold]] Error tooLarge() const {
        return makeError(errc::Overflow, "The page of type '" + std::string(library_.info().types[static_cast<size_t>(type_)].name) +
                                             "' would be larger than " + byteCount(sizeLimit_) +
                                             ", the most a type library of " + byteCount(library_.info().sourceSize) +
                                             " may fill: its members repeat long names.");
    }

    static Expected<void> appendProperty(std::string& out, int32_t number, std::string_view memberCaption,
                                         const MemberItem& member, const MemberEntry& entry) {
        appendNumber(out, number);
        out += ") <font color=blue>"sv;
        out += memberCaption;
        out += " </font>"sv;
        VANTREL_CHECK(appendNameAndParameters(out, member, entry));
        // A property shows its type even when it is named "Empty".
        out += " As "sv;
        VarTypeNameParts returnType;
        VANTREL_CHECK(FillVarTypeNameParts(entry.ReturnType, returnType));
        appendTypeName(out, returnType);
        out += "<br>"sv;
        return {};
    }

    static Expected<void> appendMethod(std::string& out, int32_t number, const MemberItem& member,
                                       const MemberEntry& entry) {
        // The return type decides between sub and function, so it is named first.
        VarTypeNameParts returnType;
        VANTREL_CHECK(FillVarTypeNameParts(entry.ReturnType, returnType));
        const bool isSub = returnType.is("Empty");
        appendNumber(out, number);
        out += isSub ? ") <font color=blue> Sub </font>"sv : ") <font color=blue> Function </font>"sv;
        VANTREL_CHECK(appendNameAndParameters(out, member, entry));
        if (!isSub) {
            out += " As "sv;
            appendTypeName(out, returnType);
        }
        out += "<br>"sv;
        return {};
    }

    static Expected<void> appendEvent(std::string& out, int32_t number, const MemberItem& member,
                                      const MemberEntry& entry) {
        appendNumber(out, number);
        out += ") <font color=blue>Event </font>"sv;
        VANTREL_CHECK(appendNameAndParameters(out, member, entry));
        out += "<br>"sv;
        return {};
    }

    static void appendConstant(std::string& out, int32_t number, const MemberItem& member) {
        appendNumber(out, number);
        out += ") "sv;
        AppendHtmlEscaped(out, member.Name);
        out += "<BR>"sv;
    }

    const TypeLibrary& library_;
    SearchData type_;
    uint64_t sizeLimit_;
    std::string page_;
    size_t fixedBytes_ = 0;  // of the heading and the section starts: the rest is member lines
    int32_t counter_ = 0;  // the current section's lines
};

}  // namespace

Expected<std::string> GetProperties(const TypeLibrary& library, const std::string& strDLLName,
                                    const std::string& strTypeName,
                                    const std::string& strCurrentDLL) {
    const SearchData type = VANTREL_TRY(library.FindType(strTypeName, AllTypesFilter));
    const Collection<MemberItem> members = VANTREL_TRY(library.GetMembers(type, MemberViewFlag));
    const std::vector<MemberItem>& items = members.items();
    // Each member's caption and section, found once; each section is then written in turn.
    std::vector<std::pair<std::string_view, Section>> routes;
    routes.reserve(items.size());
    for (const MemberItem& member : items) {
        const std::string_view memberCaption = caption::Of(member.InvokeKinds);
        routes.emplace_back(memberCaption, sectionFor(memberCaption));
    }
    PageWriter page(library, type, items.size());
    page.heading(strDLLName, strTypeName, strCurrentDLL);
    for (const Section section : {Section::Properties, Section::Methods, Section::Events, Section::Constants}) {
        page.startSection(section);
        for (size_t i = 0; i < items.size(); ++i)
            if (routes[i].second == section) VANTREL_CHECK(page.add(section, routes[i].first, items[i]));
    }
    return page.finish();
}

}  // namespace vantrel
