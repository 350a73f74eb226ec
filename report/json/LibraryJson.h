// All that a type library holds, as one JSON document for programs: the library's
// attributes, and per type its attributes, its functions and variables as stored, and its
// members as the member report sees them. report/json/library.schema.json describes it.
#pragma once

#include <functional>
#include <span>
#include <string>

#include <nlohmann/json.hpp>

#include "typelib/TypeLibrary.h"

namespace vantrel::json {

using Json = nlohmann::ordered_json;

// The version of the document's layout, written into every document.
inline constexpr int LibrarySchemaVersion = 1;

// Takes the document's text part by part; an error stops the writing.
using TextSink = std::function<Expected<void>(std::string_view)>;

// The document of `types` (all types, in library order, when empty) as compact UTF-8
// text ending in a line feed, handed to `sink` in parts.
Expected<void> WriteLibraryJson(const TypeLibrary& library, std::span<const SearchData> types,
                                const TextSink& sink);

// The same as one string.
std::string LibraryJsonText(const TypeLibrary& library, std::span<const SearchData> types = {});

// A document as compact UTF-8 text ending in a line feed; text that isn't valid UTF-8 is
// written with replacement characters.
std::string JsonText(const Json& document);

// The names written for kinds and enumerations, shared with the comparison of builds.
std::string_view TypeKindName(TypeKind kind);
std::string_view InvokeKindName(int32_t invokeKind);

}  // namespace vantrel::json
