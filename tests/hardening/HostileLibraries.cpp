#include "HostileLibraries.h"

#include <algorithm>
#include <cstring>

namespace vantrel::testing {
namespace {

constexpr uint32_t kInline = 0x80000000u;
constexpr uint32_t kVtI4 = 3;
constexpr uint32_t kVtBstr = 8;
constexpr uint32_t kVtVoid = 24;
constexpr uint8_t kEnum = 0;
constexpr uint8_t kDispatch = 4;
constexpr size_t kMaxMembersPerType = 60000;
constexpr size_t kScaleUnit = 64 * 1024;

void put16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}
void set32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}
void padTo4(std::vector<uint8_t>& out) {
    while (out.size() % 4 != 0) out.push_back(0);
}

// One type: its entry's fields and its member block.
struct Type {
    uint8_t kind = kEnum;
    uint32_t name = 0;
    uint32_t docString = 0xFFFFFFFFu;
    bool damagedBlock = false;
    std::vector<uint8_t> records;
    std::vector<uint32_t> ids, names, offsets;
    uint32_t funcs = 0, vars = 0;

    // `dataType`: an inline VT (kInline | vt) or a type-description offset.
    void addConstant(uint32_t id, uint32_t nameOffset, uint32_t dataType, uint32_t value, uint32_t doc) {
        offsets.push_back(static_cast<uint32_t>(records.size()));
        put16(records, 28);
        put16(records, vars);
        put32(records, dataType);
        put32(records, 0);      // flags
        put32(records, 2);      // a constant
        put32(records, value);
        put32(records, 0);      // help context
        put32(records, doc);
        ids.push_back(id);
        names.push_back(nameOffset);
        ++vars;
    }

    // A dispatch function: invoke kind 1 (method) or 2 (property get).
    void addFunction(uint32_t id, uint32_t nameOffset, uint32_t invokeKind, const std::vector<uint32_t>& params) {
        offsets.push_back(static_cast<uint32_t>(records.size()));
        put16(records, static_cast<uint32_t>(32 + 12 * params.size()));
        put16(records, funcs);
        put32(records, kInline | kVtVoid);
        put32(records, 0);                               // flags
        put32(records, 0);                               // vtable offset
        put32(records, 4 | (invokeKind << 3) | (4 << 8));  // dispatch, stdcall
        put16(records, static_cast<uint32_t>(params.size()));
        put16(records, 0);
        put32(records, 0);           // help context
        put32(records, 0xFFFFFFFFu);  // help string
        for (uint32_t param : params) {
            put32(records, kInline | kVtI4);
            put32(records, param);
            put32(records, 1);  // in
        }
        ids.push_back(id);
        names.push_back(nameOffset);
        ++funcs;
    }
    size_t memberCount() const { return ids.size(); }
};

// Lays out an MSFT library: header, type offsets, segment directory, the type entries,
// name, string and custom-data tables, then the member blocks.
class MsftBuilder {
public:
    std::vector<uint8_t> names, strings, customData, typeDescs;
    std::vector<Type> types;

    // Aligned: a 12-byte header whose third word holds the length, then the text.
    uint32_t addName(const std::vector<uint8_t>& text) {
        const auto at = static_cast<uint32_t>(names.size());
        put32(names, 0xFFFFFFFFu);
        put32(names, 0xFFFFFFFFu);
        put32(names, static_cast<uint32_t>(text.size()));
        names.insert(names.end(), text.begin(), text.end());
        padTo4(names);
        return at;
    }
    uint32_t addString(const std::vector<uint8_t>& text) {
        const auto at = static_cast<uint32_t>(strings.size());
        put16(strings, static_cast<uint32_t>(text.size()));
        strings.insert(strings.end(), text.begin(), text.end());
        padTo4(strings);
        return at;
    }
    uint32_t addBstr(const std::vector<uint8_t>& text) {
        const auto at = static_cast<uint32_t>(customData.size());
        put16(customData, kVtBstr);
        put32(customData, static_cast<uint32_t>(text.size()));
        customData.insert(customData.end(), text.begin(), text.end());
        padTo4(customData);
        return at;
    }
    // The type that takes the next member of a kind, opening a new one when full.
    Type& typeWithRoom(uint8_t kind, uint32_t name) {
        if (types.empty() || types.back().memberCount() >= kMaxMembersPerType || types.back().kind != kind) {
            types.push_back(Type{});
            types.back().kind = kind;
            types.back().name = name;
        }
        return types.back();
    }

    std::vector<uint8_t> finish() const {
        constexpr size_t kHeader = 0x54;
        constexpr size_t kSegments = 15;
        const size_t typeCount = types.size();
        const size_t directory = kHeader + 4 * typeCount;
        size_t at = directory + 16 * kSegments;
        std::vector<uint8_t> out(at, 0);
        set32(out, 0, 0x5446534D);  // MSFT
        set32(out, 4, 0x00010002);
        set32(out, 8, 0xFFFFFFFFu);
        set32(out, 0x0C, 0x409);
        set32(out, 0x10, 0x409);
        set32(out, 0x14, 1);  // Win32
        set32(out, 0x20, static_cast<uint32_t>(typeCount));
        for (size_t field : {0x24u, 0x38u, 0x3Cu, 0x40u, 0x4Cu}) set32(out, field, 0xFFFFFFFFu);
        // The typeinfo table, then the three text tables.
        const std::vector<const std::vector<uint8_t>*> tables{&names, &strings, &customData, &typeDescs};
        const size_t typeInfos = at;
        out.resize(at + 100 * typeCount, 0);
        std::vector<size_t> tableAt;
        for (const auto* table : tables) {
            tableAt.push_back(out.size());
            out.insert(out.end(), table->begin(), table->end());
        }
        for (size_t s = 0; s < kSegments; ++s) {
            set32(out, directory + 16 * s, 0xFFFFFFFFu);
            set32(out, directory + 16 * s + 8, 0xFFFFFFFFu);
            set32(out, directory + 16 * s + 12, 0x0F);
        }
        setSegment(out, directory, 0, typeInfos, 100 * typeCount);
        setSegment(out, directory, 7, tableAt[0], names.size());
        setSegment(out, directory, 8, tableAt[1], strings.size());
        setSegment(out, directory, 11, tableAt[2], customData.size());
        setSegment(out, directory, 9, tableAt[3], typeDescs.size());
        for (size_t t = 0; t < typeCount; ++t) {
            set32(out, kHeader + 4 * t, static_cast<uint32_t>(100 * t));
            writeType(out, typeInfos + 100 * t, types[t]);
        }
        return out;
    }

private:
    static void setSegment(std::vector<uint8_t>& out, size_t directory, size_t index, size_t offset, size_t length) {
        if (length == 0) return;
        set32(out, directory + 16 * index, static_cast<uint32_t>(offset));
        set32(out, directory + 16 * index + 4, static_cast<uint32_t>(length));
    }

    static void writeType(std::vector<uint8_t>& out, size_t entry, const Type& type) {
        set32(out, entry, type.kind | (4u << 11));  // kind, 4-byte alignment
        set32(out, entry + 0x18, type.funcs | (type.vars << 16));
        set32(out, entry + 0x2C, 0xFFFFFFFFu);  // no GUID
        set32(out, entry + 0x34, type.name);
        set32(out, entry + 0x3C, type.docString);
        set32(out, entry + 0x54, 0xFFFFFFFFu);
        if (type.damagedBlock) {
            set32(out, entry + 0x18, 1);
            set32(out, entry + 4, 0x7FFFFFF0u);
            return;
        }
        set32(out, entry + 4, static_cast<uint32_t>(out.size()));
        put32(out, static_cast<uint32_t>(type.records.size()));
        out.insert(out.end(), type.records.begin(), type.records.end());
        for (const auto* array : {&type.ids, &type.names, &type.offsets})
            for (uint32_t value : *array) put32(out, value);
    }
};

std::vector<uint8_t> repeated(size_t count, uint8_t byte) { return std::vector<uint8_t>(count, byte); }

// Constants that all point at one 65,535-byte help string (or string value) of bytes
// that each decode to three UTF-8 bytes.
std::vector<uint8_t> sharedLongText(unsigned scale, bool asValue) {
    MsftBuilder b;
    const uint32_t name = b.addName({'C'});
    const uint32_t text = asValue ? b.addBstr(repeated(65535, 0x80)) : b.addString(repeated(65535, 0x80));
    const size_t count = scale * kScaleUnit / 40;
    for (size_t i = 0; i < count; ++i) {
        Type& type = b.typeWithRoom(kEnum, name);
        if (asValue) type.addConstant(static_cast<uint32_t>(i), name, kInline | kVtBstr, text, 0xFFFFFFFFu);
        else type.addConstant(static_cast<uint32_t>(i), name, kInline | kVtI4, kInline | (kVtI4 << 26) | 1, text);
    }
    return b.finish();
}

// Functions whose eight parameters are named by one long name at an unaligned offset.
std::vector<uint8_t> unalignedParameterNames(unsigned scale) {
    MsftBuilder b;
    const uint32_t name = b.addName({'F'});
    b.names.push_back(0);
    b.names.push_back(0);
    const auto unaligned = static_cast<uint32_t>(b.names.size());
    put32(b.names, 0xFFFFFFFFu);
    put32(b.names, 0xFFFFFFFFu);
    put32(b.names, 255);
    b.names.insert(b.names.end(), 255, 0x80);
    padTo4(b.names);
    const std::vector<uint32_t> params(8, unaligned);
    const size_t count = scale * kScaleUnit / 140;
    for (size_t i = 0; i < count; ++i)
        b.typeWithRoom(kDispatch, name).addFunction(static_cast<uint32_t>(i), name, 1, params);
    return b.finish();
}

// Many type entries sharing one long name and help string; every other one damaged.
std::vector<uint8_t> manyLongTypeNames(unsigned scale) {
    MsftBuilder b;
    const uint32_t name = b.addName(repeated(255, 0x80));
    const uint32_t doc = b.addString(repeated(65535, 0x80));
    const size_t count = scale * kScaleUnit / 104;
    for (size_t i = 0; i < count; ++i) {
        Type& type = b.types.emplace_back();
        type.name = name;
        type.docString = doc;
        type.damagedBlock = i % 2 == 0;
    }
    return b.finish();
}

// Functions named at every aligned offset of a name table of 0xFF bytes: each place is
// new, and each holds a 255-byte name that overlaps the others.
std::vector<uint8_t> overlappingNames(unsigned scale) {
    MsftBuilder b;
    const size_t count = scale * kScaleUnit / 40;
    b.names = repeated(4 * std::min(count, kMaxMembersPerType) + 272, 0xFF);
    for (size_t i = 0; i < count; ++i) {
        const auto at = static_cast<uint32_t>(4 * (i % kMaxMembersPerType));
        b.typeWithRoom(kDispatch, 0).addFunction(static_cast<uint32_t>(i), at, 1, {});
    }
    return b.finish();
}

// Properties whose ids share their low 16 bits, all in one slot of a plain hash.
std::vector<uint8_t> collidingMemberIds(unsigned scale) {
    MsftBuilder b;
    const uint32_t name = b.addName({'P'});
    const size_t count = scale * kScaleUnit / 44;
    for (size_t i = 0; i < count; ++i)
        b.typeWithRoom(kDispatch, name).addFunction(static_cast<uint32_t>(i) << 16, name, 2, {});
    return b.finish();
}

// A PE image whose resource tree is a run of directory entries, each leading to a
// directory that starts 8 bytes further on: every directory overlaps the next.
std::vector<uint8_t> overlappingResourceDirectories(unsigned scale) {
    constexpr uint32_t kSection = 0x400;
    constexpr uint32_t kRva = 0x1000;
    const size_t entries = scale * kScaleUnit / 8;
    std::vector<uint8_t> out(kSection, 0);
    out[0] = 'M';
    out[1] = 'Z';
    set32(out, 0x3C, 0x80);
    std::memcpy(&out[0x80], "PE\0\0", 4);
    const size_t coff = 0x84;
    out[coff + 2] = 1;     // one section
    out[coff + 16] = 224;  // optional header size
    const size_t opt = coff + 20;
    out[opt] = 0x0B;
    out[opt + 1] = 0x01;
    set32(out, opt + 60, kSection);  // size of headers
    set32(out, opt + 92, 16);        // data directories
    const auto treeSize = static_cast<uint32_t>(16 + 8 * entries + 16);
    set32(out, opt + 96 + 16, kRva);
    set32(out, opt + 96 + 20, treeSize);
    const size_t section = opt + 224;
    set32(out, section + 8, treeSize);
    set32(out, section + 12, kRva);
    set32(out, section + 16, treeSize);
    set32(out, section + 20, kSection);
    // The root: every entry named, each a directory 8 bytes after the one before.
    const size_t root = out.size();
    out.resize(root + treeSize, 0);
    const auto named = static_cast<uint32_t>(std::min<size_t>(entries, 0xFFFF));
    set32(out, root + 12, named);
    const auto nameAt = static_cast<uint32_t>(treeSize - 16);
    for (size_t i = 0; i < entries; ++i) {
        set32(out, root + 16 + 8 * i, kInline | nameAt);
        set32(out, root + 20 + 8 * i, kInline | static_cast<uint32_t>(8 * (i + 1)));
    }
    const char16_t typeLib[] = u"TYPELIB";
    set32(out, root + nameAt, 7);
    for (size_t i = 0; i < 7; ++i) {
        out[root + nameAt + 2 + 2 * i] = static_cast<uint8_t>(typeLib[i]);
    }
    return out;
}

}  // namespace

std::vector<uint8_t> libraryOfEnums(const std::vector<EnumType>& enums) {
    MsftBuilder b;
    const uint32_t constant = b.addName({'C'});
    for (const EnumType& wanted : enums) {
        Type& type = b.types.emplace_back();
        type.name = b.addName(std::vector<uint8_t>(wanted.name.begin(), wanted.name.end()));
        type.damagedBlock = wanted.damaged;
        type.addConstant(0, constant, kInline | kVtI4, kInline | (kVtI4 << 26) | 1, 0xFFFFFFFFu);
    }
    return b.finish();
}

std::vector<uint8_t> libraryWithPointerChain(unsigned depth) {
    MsftBuilder b;
    const uint32_t name = b.addName({'C'});
    for (unsigned level = 0; level < depth; ++level) {
        put32(b.typeDescs, 26);  // VT_PTR
        put32(b.typeDescs, level + 1 < depth ? 8 * (level + 1) : kInline | kVtI4);
    }
    Type& type = b.types.emplace_back();
    type.name = name;
    // The constant's type: offset 0, the outermost pointer.
    type.addConstant(0, name, 0, kInline | (kVtI4 << 26) | 1, 0xFFFFFFFFu);
    return b.finish();
}

const std::vector<HostileKind>& hostileKinds() {
    static const std::vector<HostileKind> kinds{
        {"shared-help-string", [](unsigned scale) { return sharedLongText(scale, false); }},
        {"shared-string-value", [](unsigned scale) { return sharedLongText(scale, true); }},
        {"unaligned-parameter-names", unalignedParameterNames},
        {"many-long-type-names", manyLongTypeNames},
        {"overlapping-names", overlappingNames},
        {"colliding-member-ids", collidingMemberIds},
        {"overlapping-resource-directories", overlappingResourceDirectories},
    };
    return kinds;
}

}  // namespace vantrel::testing
