// Test support: opening the fixture libraries through the reader, and short texts for
// decoded type descriptions and libraries, so that expectations can be written as
// "PTR(SAFEARRAY(BSTR))" and whole libraries compared as one readable dump.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "typelib/read/LibraryReader.h"
#include "typelib/model/TypeInfo.h"

namespace vantrel::testing {

std::string fixturePath(const std::string& name);
std::vector<uint8_t> readFileBytes(const std::string& path);

// Reads tests/fixtures/NAME with readTypeLibrary.
Expected<LibraryInfo> readFixture(const std::string& name);

// The fixture decoded, kept for the rest of the run; throws (so the test fails with the
// reader's error description) when it does not decode.
const LibraryInfo& fixture(const std::string& name);

// The type named `name`; throws when the library has none.
const TypeInfo& typeNamed(const LibraryInfo& library, const std::string& name);
const FuncDesc& funcNamed(const TypeInfo& type, const std::string& name, int32_t invokeKind);
const VarDesc& varNamed(const TypeInfo& type, const std::string& name);

// "I4", "PTR(BSTR)", "SAFEARRAY(VARIANT)", "CARRAY[2x3](I2)", "FxPoint" (a local
// user-defined type by name), "stdole2.tlb:{GUID}" or "Second.tlb:#2" (imported).
std::string describeType(const LibraryInfo& library, TypeDescId id);
std::string describeHandle(const LibraryInfo& library, TypeHandle handle);

// "Name get -> HRESULT (value: PTR(BSTR) out retval)" with function flags in braces
// ("{hidden}"); parameter flags in, out, lcid, retval, opt, and "= I4:42" for a default.
std::string describeFunc(const LibraryInfo& library, const FuncDesc& func);

// "I4:-1", "BSTR:abc", "UI4:4294967295", "" for none.
std::string describeValue(const std::optional<Variant>& value);

// Every type, member, parameter and value in one text. With `withLayout` false, the
// fields that depend on the pointer size (offsets, sizes, alignment, SYSKIND) are left
// out, so that the Win32 and Win64 builds of one library give the same text.
std::string dumpLibrary(const LibraryInfo& library, bool withLayout);

}  // namespace vantrel::testing
