// Checks that hold for the report page of any type: the fixed head and tail, and one
// line per captioned member in its section, numbered 1, 2, 3 ... in library order.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "report/HtmlEscape.h"
#include "report/MemberReport.h"
#include "typelib/TypeLibrary.h"

namespace vantrel::testing {

struct PageSections {
    std::string_view properties, methods, events, constants;
};

// Splits a page at its fixed section pieces; fails the test when a piece is missing.
inline ::testing::AssertionResult SplitPage(std::string_view page, PageSections& sections) {
    const std::vector<std::string_view> marks = {
        "<b><u>Properties:</u></b><p>\r\n<code>", "</code><p><b><u>Methods:</u></b><p><code>",
        "</code><p><b><u>Events:</u></b><p><code>", "</code><p><b><u>Constants:</u></b><p>",
        "<p></html>"};
    std::vector<size_t> starts, ends;
    size_t from = 0;
    for (std::string_view mark : marks) {
        const size_t at = page.find(mark, from);
        if (at == std::string_view::npos)
            return ::testing::AssertionFailure() << "page lacks " << mark;
        ends.push_back(at);
        starts.push_back(at + mark.size());
        from = at + mark.size();
    }
    if (!page.ends_with("<p></html>") || ends.back() != page.size() - 10)
        return ::testing::AssertionFailure() << "page does not end with <p></html>";
    const auto between = [&](size_t i) { return page.substr(starts[i], ends[i + 1] - starts[i]); };
    sections = {between(0), between(1), between(2), between(3)};
    return ::testing::AssertionSuccess();
}

// The lines of a section text, each closed by closing ("<br>" or "<BR>").
inline std::vector<std::string_view> SectionLines(std::string_view text, std::string_view closing) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t at = text.find(closing); at != std::string_view::npos;
         at = text.find(closing, start)) {
        lines.push_back(text.substr(start, at + closing.size() - start));
        start = at + closing.size();
    }
    if (start != text.size()) lines.push_back(text.substr(start));  // unclosed rest: a fault
    return lines;
}

enum class Kind { Property, Method, Event, Constant, None };

inline Kind KindOf(int32_t invokeKinds) {
    const std::string caption = InvokeInfo(invokeKinds);
    if (caption.empty()) return Kind::None;
    if (caption == "Constant") return Kind::Constant;
    if (caption == "Event") return Kind::Event;
    if (caption == "Method") return Kind::Method;
    return Kind::Property;
}

// Every captioned member of the type has its line, in order, numbered within its
// section, starting with its number and kind and followed by its escaped name.
inline ::testing::AssertionResult PageListsMembers(const TypeLibrary& library,
                                                   const std::string& typeName,
                                                   std::string_view page) {
    PageSections sections;
    if (auto split = SplitPage(page, sections); !split) return split;
    const auto type = library.FindType(typeName, 239);
    if (!type) return ::testing::AssertionFailure() << "FindType: " << type.error().description;
    const auto members = library.GetMembers(*type, 0);
    if (!members) return ::testing::AssertionFailure() << "GetMembers: " << members.error().description;

    struct SectionCursor {
        std::vector<std::string_view> lines;
        size_t next = 0;
    };
    SectionCursor properties{SectionLines(sections.properties, "<br>")};
    SectionCursor methods{SectionLines(sections.methods, "<br>")};
    SectionCursor events{SectionLines(sections.events, "<br>")};
    SectionCursor constants{SectionLines(sections.constants, "<BR>")};
    for (const MemberItem& member : members->items()) {
        const Kind kind = KindOf(member.InvokeKinds);
        if (kind == Kind::None) continue;
        SectionCursor& section = kind == Kind::Property ? properties
                            : kind == Kind::Method ? methods
                            : kind == Kind::Event  ? events
                                                   : constants;
        if (section.next >= section.lines.size())
            return ::testing::AssertionFailure() << "no line for member " << member.Name;
        const std::string_view line = section.lines[section.next++];
        const std::string number = std::to_string(section.next) + ") ";
        const std::string name = HtmlEscaped(member.Name);
        std::string start;
        switch (kind) {
            case Kind::Property:
                start = number + "<font color=blue>" + InvokeInfo(member.InvokeKinds) + " </font>" +
                        name + " (";
                break;
            case Kind::Method:
                if (line.starts_with(number + "<font color=blue> Sub </font>"))
                    start = number + "<font color=blue> Sub </font>" + name + " (";
                else
                    start = number + "<font color=blue> Function </font>" + name + " (";
                break;
            case Kind::Event: start = number + "<font color=blue>Event </font>" + name + " ("; break;
            case Kind::Constant: start = number + name + "<BR>"; break;
            case Kind::None: break;
        }
        if (!line.starts_with(start))
            return ::testing::AssertionFailure() << "line \"" << line << "\" should begin \"" << start << "\"";
    }
    for (const SectionCursor* section : {&properties, &methods, &events, &constants})
        if (section->next != section->lines.size())
            return ::testing::AssertionFailure() << "extra line \"" << section->lines[section->next] << "\"";
    return ::testing::AssertionSuccess();
}

}  // namespace vantrel::testing
