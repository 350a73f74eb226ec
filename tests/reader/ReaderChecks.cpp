#include "ReaderChecks.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace vantrel::testing {

std::vector<uint8_t> bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::string fixturePath(const std::string& name) { return std::string(VANTREL_FIXTURES_DIR) + "/" + name; }
std::string realLibraryPath(const std::string& name) { return std::string(VANTREL_REAL_LIBS_DIR) + "/" + name; }
std::string corpusPath(const std::string& name) { return std::string(VANTREL_CORPUS_DIR) + "/" + name; }

uint32_t getU32(const std::vector<uint8_t>& bytes, size_t offset) {
    return static_cast<uint32_t>(bytes.at(offset)) | (static_cast<uint32_t>(bytes.at(offset + 1)) << 8) |
           (static_cast<uint32_t>(bytes.at(offset + 2)) << 16) | (static_cast<uint32_t>(bytes.at(offset + 3)) << 24);
}

void putU32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
    for (size_t i = 0; i < 4; ++i) bytes.at(offset + i) = static_cast<uint8_t>(value >> (8 * i));
}

void putU16(std::vector<uint8_t>& bytes, size_t offset, uint16_t value) {
    bytes.at(offset) = static_cast<uint8_t>(value);
    bytes.at(offset + 1) = static_cast<uint8_t>(value >> 8);
}

namespace {

std::string handleProblem(const LibraryInfo& library, const TypeHandle& handle) {
    switch (handle.kind) {
        case TypeHandle::Kind::None: return "";
        case TypeHandle::Kind::Local:
            return handle.index >= 0 && static_cast<size_t>(handle.index) < library.types.size() ? "" : "local handle out of range";
        case TypeHandle::Kind::Imported:
            return handle.index >= 0 && static_cast<size_t>(handle.index) < library.importedTypes.size() ? "" : "imported handle out of range";
    }
    return "bad handle kind";
}

}  // namespace

std::string inconsistency(const LibraryInfo& library) {
    const auto badDesc = [&](TypeDescId id) { return id >= library.typeDescs.size(); };
    for (const TypeDesc& desc : library.typeDescs) {
        if ((desc.vt == vt::Ptr || desc.vt == vt::SafeArray || desc.vt == vt::CArray) && badDesc(desc.element)) return "element out of range";
        if (std::string p = handleProblem(library, desc.type); !p.empty()) return p;
    }
    for (const ImportedType& imported : library.importedTypes) {
        if (imported.library < 0 || static_cast<size_t>(imported.library) >= library.importedLibraries.size()) return "import library out of range";
    }
    if (std::string p = handleProblem(library, library.dispatchType); !p.empty()) return p;
    for (const TypeInfo& type : library.types) {
        const MembersRef typeMembers = type.members();
        if (std::string p = handleProblem(library, type.baseType); !p.empty()) return std::string(type.name) + ": " + p;
        if (std::string p = handleProblem(library, type.wrappedInterface); !p.empty()) return std::string(type.name) + ": " + p;
        for (const ImplType& impl : type.implTypes) {
            if (std::string p = handleProblem(library, impl.type); !p.empty()) return std::string(type.name) + ": " + p;
        }
        if (type.aliasType && badDesc(*type.aliasType)) return std::string(type.name) + ": alias out of range";
        for (const FuncDesc& func : typeMembers.funcs()) {
            if (badDesc(func.returnType)) return std::string(type.name) + "." + std::string(func.name) + ": return type out of range";
            for (const ParamDesc& param : func.params) {
                if (badDesc(param.type)) return std::string(type.name) + "." + std::string(func.name) + ": parameter type out of range";
            }
        }
        for (const VarDesc& var : typeMembers.vars()) {
            if (badDesc(var.type)) return std::string(type.name) + "." + std::string(var.name) + ": type out of range";
        }
    }
    return "";
}

size_t segmentDirectoryOffset(const std::vector<uint8_t>& msft) {
    const size_t typeOffsets = (getU32(msft, 0x14) & 0x100) ? 0x58 : 0x54;
    return typeOffsets + 4 * size_t{getU32(msft, 0x20)};
}

size_t segmentOffset(const std::vector<uint8_t>& msft, int segment) {
    return getU32(msft, segmentDirectoryOffset(msft) + 16 * static_cast<size_t>(segment));
}

size_t typeInfoOffset(const std::vector<uint8_t>& msft, int index) {
    return segmentOffset(msft, 0) + 100 * static_cast<size_t>(index);
}

size_t resourceDirectoryEntryOffset(const std::vector<uint8_t>& pe) {
    const size_t opt = getU32(pe, 0x3C) + 24;
    const bool plus = (pe.at(opt) | (pe.at(opt + 1) << 8)) == 0x20B;
    return opt + (plus ? 112 : 96) + 16;
}

size_t resourceSectionHeaderOffset(const std::vector<uint8_t>& pe) {
    const size_t header = getU32(pe, 0x3C);
    const uint32_t rva = getU32(pe, resourceDirectoryEntryOffset(pe));
    const size_t sections = header + 24 + (pe.at(header + 20) | (pe.at(header + 21) << 8));
    const size_t count = pe.at(header + 6) | (pe.at(header + 7) << 8);
    for (size_t i = 0; i < count; ++i) {
        const size_t s = sections + 40 * i;
        const uint32_t va = getU32(pe, s + 12);
        if (rva >= va && rva < va + getU32(pe, s + 16)) return s;
    }
    throw std::runtime_error("no resource section");
}

size_t resourceRootOffset(const std::vector<uint8_t>& pe) {
    const size_t section = resourceSectionHeaderOffset(pe);
    return getU32(pe, resourceDirectoryEntryOffset(pe)) - getU32(pe, section + 12) + getU32(pe, section + 20);
}

size_t typeLibDataEntryLink(const std::vector<uint8_t>& pe, size_t idIndex) {
    const size_t root = resourceRootOffset(pe);
    const size_t named = pe.at(root + 12) | (pe.at(root + 13) << 8);
    for (size_t i = 0; i < named; ++i) {
        const size_t entry = root + 16 + 8 * i;
        const size_t name = root + (getU32(pe, entry) & 0x7FFFFFFFu);
        std::string text;
        for (size_t c = 0; c < pe.at(name); ++c) text += static_cast<char>(pe.at(name + 2 + 2 * c));
        if (text != "TYPELIB") continue;
        // Down to the id entry, then the first entry of each directory, to the word that
        // names a data entry.
        const size_t ids = root + (getU32(pe, entry + 4) & 0x7FFFFFFFu);
        size_t link = ids + 16 + 8 * idIndex + 4;
        while (getU32(pe, link) & 0x80000000u) link = root + (getU32(pe, link) & 0x7FFFFFFFu) + 16 + 4;
        return link;
    }
    throw std::runtime_error("no TYPELIB resource");
}

size_t typeLibDataEntryOffset(const std::vector<uint8_t>& pe, size_t idIndex) {
    return resourceRootOffset(pe) + getU32(pe, typeLibDataEntryLink(pe, idIndex));
}

}  // namespace vantrel::testing
