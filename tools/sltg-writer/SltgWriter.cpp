#include "tools/sltg-writer/SltgWriter.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "typelib/imports/ResolveType.h"
#include "typelib/text/CodePage.h"

namespace vantrel::sltg {
namespace {

// Thrown where the library holds something SLTG can't express; writeLibrary turns it
// into an Error. A tool that stops at the first such thing needs no error plumbing.
struct Unwritable : std::runtime_error {
    using std::runtime_error::runtime_error;
};

uint16_t fit16(size_t value, const char* what) {
    if (value > 0xFFFF) throw Unwritable(std::string(what) + " does not fit in 16 bits");
    return static_cast<uint16_t>(value);
}

std::string hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%x", value);
    return text;
}

// Little-endian bytes, appended.
class Bytes {
public:
    void u8(uint8_t v) { data_.push_back(v); }
    void u16(uint16_t v) {
        u8(static_cast<uint8_t>(v));
        u8(static_cast<uint8_t>(v >> 8));
    }
    void u32(uint32_t v) {
        u16(static_cast<uint16_t>(v));
        u16(static_cast<uint16_t>(v >> 16));
    }
    void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
    void fill(size_t count, uint8_t v) { data_.insert(data_.end(), count, v); }
    // Byte by byte: a range insert into an empty vector trips GCC 12's -Wstringop-overflow at -O3.
    void text(std::string_view s) {
        for (const char c : s) data_.push_back(static_cast<uint8_t>(c));
    }
    void append(const Bytes& other) { data_.insert(data_.end(), other.data_.begin(), other.data_.end()); }
    void guid(const Guid& g) {
        u32(g.data1);
        u16(g.data2);
        u16(g.data3);
        for (uint8_t b : g.data4) u8(b);
    }
    // u16 length and the bytes, no NUL.
    void counted(std::string_view s) {
        u16(fit16(s.size(), "a string"));
        text(s);
    }
    void patch16(size_t at, uint16_t v) {
        data_[at] = static_cast<uint8_t>(v);
        data_[at + 1] = static_cast<uint8_t>(v >> 8);
    }
    size_t size() const { return data_.size(); }
    uint16_t offset() const { return fit16(data_.size(), "a member area"); }
    std::vector<uint8_t> take() { return std::move(data_); }

private:
    std::vector<uint8_t> data_;
};

// UTF-8 back to the library's 8-bit code page: the inverse of decodeText, built by
// decoding every byte value once. Characters the code page lacks become '?'.
class Encoder {
public:
    explicit Encoder(uint32_t lcid) {
        const uint32_t page = codePageForLcid(lcid);
        for (unsigned value = 1; value < 256; ++value) {
            const uint8_t byte = static_cast<uint8_t>(value);
            const std::string decoded = decodeText(std::span(&byte, 1), page);
            if (decoded != "\xEF\xBF\xBD") bytes_.emplace(decoded, byte);
        }
    }

    std::string operator()(std::string_view utf8) const {
        std::string out;
        for (size_t i = 0; i < utf8.size();) {
            const size_t length = std::min(sequenceLength(static_cast<uint8_t>(utf8[i])), utf8.size() - i);
            const auto found = bytes_.find(std::string(utf8.substr(i, length)));
            out += found != bytes_.end() ? static_cast<char>(found->second) : '?';
            i += length;
        }
        return out;
    }

private:
    static size_t sequenceLength(uint8_t lead) {
        return lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    }
    std::map<std::string, uint8_t> bytes_;
};

// The library's name table. Entries {u8 hash, u8 hash2, u16 next in the bucket, u16 0xFFFF,
// u16 0xFFFF, text, NUL}, each padded to an even length; a name is known by the offset
// of its entry. The platform's hash function is not known; readers address names by
// offset, so a hash of our own that agrees with the buckets serves.
class NameTable {
public:
    explicit NameTable(const Encoder& encode) : encode_(encode) {}

    uint16_t offsetOf(std::string_view utf8) {
        std::string text = encode_(utf8);
        const auto found = index_.find(text);
        if (found != index_.end()) return found->second;
        const uint16_t offset = fit16(size_, "the name table");
        size_ += (8 + text.size() + 1 + 1) & ~size_t{1};
        index_.emplace(text, offset);
        entries_.push_back({std::move(text), offset});
        return offset;
    }

    // The hash header (256 bucket heads) and the entries.
    void write(Bytes& out) const {
        std::array<uint16_t, 256> heads;
        heads.fill(0xFFFF);
        std::vector<uint16_t> next(entries_.size(), 0xFFFF);
        for (size_t i = entries_.size(); i-- > 0;) {
            const uint8_t bucket = static_cast<uint8_t>(hashOf(entries_[i].text));
            next[i] = heads[bucket];
            heads[bucket] = entries_[i].offset;
        }
        out.u16(0xFFFF);
        out.u8(1);
        out.u8(0);  // no extra bytes after the buckets
        out.u16(2);
        out.u8(0);
        for (uint16_t head : heads) out.u16(head);
        out.u16(0);
        out.u16(0xFFFF);
        out.u8(1);
        out.u32(static_cast<uint32_t>(size_));
        for (size_t i = 0; i < entries_.size(); ++i) {
            const uint16_t hash = hashOf(entries_[i].text);
            out.u16(hash);
            out.u16(next[i]);
            out.u16(0xFFFF);
            out.u16(0xFFFF);
            out.text(entries_[i].text);
            out.fill(entries_[i].text.size() % 2 == 0 ? 2 : 1, 0);
        }
    }

private:
    static uint16_t hashOf(std::string_view text) {
        uint16_t hash = 0;
        for (char c : text) hash = static_cast<uint16_t>(hash * 31 + (static_cast<uint8_t>(c) | 0x20));
        return hash;
    }

    struct Entry {
        std::string text;
        uint16_t offset;
    };
    const Encoder& encode_;
    std::vector<Entry> entries_;
    std::map<std::string, uint16_t> index_;
    size_t size_ = 0;
};

// What every typeinfo block needs from the library.
struct Context {
    std::shared_ptr<const LoadedLibrary> loaded;
    const LibraryInfo& info;
    NameTable& names;
};

// One type's reference table: the types it names, each as "*\R<library>*#<index>" (hex),
// <library> being "ffff" for this library or the name offset of the imported library's
// "*\G{LIBID}#maj.min#lcid#path#" entry. A type word names reference i as 4 * i.
class References {
public:
    explicit References(Context& context) : context_(context) {}

    uint16_t wordFor(TypeHandle handle) {
        const std::string text = referenceText(handle);
        for (size_t i = 0; i < strings_.size(); ++i)
            if (strings_[i] == text) return static_cast<uint16_t>(4 * i);
        strings_.push_back(text);
        return fit16(4 * (strings_.size() - 1), "a reference table");
    }

    bool empty() const { return strings_.empty(); }

    void write(Bytes& out) const {
        out.u8(0xDF);
        out.u8(0);
        out.fill(64, 0xFF);
        out.u16(0xFFFF);
        out.u32(static_cast<uint32_t>(8 * strings_.size()));
        for (size_t i = 0; i < strings_.size(); ++i) {
            // Meaning unknown; the values most often seen in real files.
            out.u16(1);
            out.u16(2);
            out.u16(0xFFFF);
            out.u16(0xFFFF);
        }
        out.u16(0xFFFF);
        out.u8(1);
        out.u32(0);
        for (const std::string& text : strings_) out.counted(text);
        out.u8(0xDF);
    }

private:
    std::string referenceText(TypeHandle handle) {
        if (handle.kind == TypeHandle::Kind::Local)
            return "*\\Rffff*#" + hex(static_cast<uint32_t>(handle.index));
        if (handle.kind != TypeHandle::Kind::Imported) throw Unwritable("a reference to no type");
        auto target = resolveTypeHandle(context_.loaded, handle);
        if (!target) throw Unwritable(target.error().description);
        const ImportedType& imported = context_.info.importedTypes.at(static_cast<size_t>(handle.index));
        const ImportedLibrary& library =
            context_.info.importedLibraries.at(static_cast<size_t>(imported.library));
        const std::string path = "*\\G" + library.libid.toString() + "#" + hex(library.majorVersion) +
                                 "." + hex(library.minorVersion) + "#" + hex(library.lcid) + "#" +
                                 library.fileName + "#";
        return "*\\R" + hex(context_.names.offsetOf(path)) + "*#" +
               hex(static_cast<uint32_t>(target->index()));
    }

    Context& context_;
    std::vector<std::string> strings_;
};

// A typeinfo block's member area, where records, parameter lists, type words and
// constant values live, all addressed by their offset in it.
struct MemberArea {
    Context& context;
    References& references;
    Bytes bytes;

    // A type as type words: VT in bits 0-5; 0x0E00 wraps the word in one pointer.
    std::vector<uint16_t> typeWords(TypeDescId id) {
        const TypeDesc& desc = context.info.typeDescs.at(id);
        switch (desc.vt) {
        case vt::Ptr: {
            std::vector<uint16_t> words = typeWords(desc.element);
            if ((words[0] & 0x0E00) == 0) {
                words[0] |= 0x0E00;
            } else {
                words.insert(words.begin(), vt::Ptr);
            }
            return words;
        }
        case vt::SafeArray: {
            std::vector<uint16_t> words{vt::SafeArray, 0};
            const std::vector<uint16_t> element = typeWords(desc.element);
            words.insert(words.end(), element.begin(), element.end());
            return words;
        }
        case vt::CArray: {
            std::vector<uint16_t> words{vt::CArray, arrayDescription(desc)};
            const std::vector<uint16_t> element = typeWords(desc.element);
            words.insert(words.end(), element.begin(), element.end());
            return words;
        }
        case vt::UserDefined:
            return {vt::UserDefined, references.wordFor(desc.type)};
        default:
            return {desc.vt};
        }
    }

    // {i16 cDims, u16, u32, u32, u32, {u32 elements, i32 lower bound} per dimension}.
    uint16_t arrayDescription(const TypeDesc& desc) {
        const uint16_t offset = bytes.offset();
        bytes.u16(fit16(desc.bounds.size(), "array dimensions"));
        bytes.u16(0);
        bytes.fill(12, 0);
        for (const ArrayBound& bound : desc.bounds) {
            bytes.u32(bound.elements);
            bytes.i32(bound.lowerBound);
        }
        return offset;
    }

    uint16_t place(const std::vector<uint16_t>& words) {
        const uint16_t offset = bytes.offset();
        for (uint16_t word : words) bytes.u16(word);
        return offset;
    }

    // A single type word goes in the record itself; longer types are placed in the area.
    struct TypeField {
        uint16_t value;
        bool isInline;
    };
    TypeField typeField(std::vector<uint16_t> words) {
        if (words.size() == 1) return {words[0], true};
        return {place(words), false};
    }
};

// Parameter direction and roles, carried in the first type word.
uint16_t paramFlagBits(uint16_t flags) {
    const bool in = flags & paramflag::In, out = flags & paramflag::Out;
    uint16_t bits = in && out ? 0x8000 : out ? 0x4000 : in ? 0 : 0xC000;
    if (flags & paramflag::RetVal) bits |= 0x0080;
    if (flags & paramflag::Lcid) bits |= 0x2000;
    return bits;
}

uint8_t functionMagic(FuncKind kind) {
    switch (kind) {
    case FuncKind::Dispatch: return 0xCB;
    case FuncKind::Static: return 0x8B;
    default: return 0x4C;
    }
}

uint16_t helpContext16(int32_t context) {
    return context == 0 ? 0xFFFE : static_cast<uint16_t>(context);
}

// Function record (22 bytes, 24 with FUNCFLAGS), then its parameter list: per parameter
// its name word (bit 0: the type word follows inline) and a type word or its offset.
uint16_t writeFunction(MemberArea& area, const FuncDesc& func) {
    const MemberArea::TypeField result = area.typeField(area.typeWords(func.returnType));
    std::vector<std::pair<uint16_t, MemberArea::TypeField>> params;
    for (const ParamDesc& param : func.params) {
        std::vector<uint16_t> words = area.typeWords(param.type);
        words[0] |= paramFlagBits(param.flags);
        const uint16_t name = param.name.empty() ? 0xFFFE : area.context.names.offsetOf(param.name);
        params.emplace_back(name, area.typeField(std::move(words)));
    }
    if (params.size() > 31) throw Unwritable("a function with more than 31 parameters");

    Bytes& out = area.bytes;
    const uint16_t record = out.offset();
    const size_t recordSize = func.flags ? 24 : 22;
    out.u8(static_cast<uint8_t>(functionMagic(func.funcKind) | (func.flags ? 0x20 : 0)));
    out.u8(static_cast<uint8_t>(func.invokeKind << 4 | (func.funcKind == FuncKind::Dispatch ? 0 : 2)));
    out.u16(0xFFFF);  // next, set when the next function is written
    out.u16(area.context.names.offsetOf(func.name));
    out.i32(func.memberId);
    out.u16(helpContext16(func.helpContext));
    out.u16(0xFFFF);  // doc string: SLTG compresses them, in a scheme not known here
    out.u16(params.empty() ? 0xFFFF : fit16(record + recordSize, "a member area"));
    out.u8(static_cast<uint8_t>((func.callConv & 7) | params.size() << 3));
    const int optional = func.optionalParams > 0 ? std::min<int>(func.optionalParams, 63) : 0;
    out.u8(static_cast<uint8_t>((result.isInline ? 0x80 : 0) | optional << 1));
    out.u16(result.value);
    out.u16(func.funcKind == FuncKind::Dispatch ? 0xFFFF : static_cast<uint16_t>(func.vtableOffset));
    if (func.flags) out.u16(func.flags);
    for (const auto& [name, type] : params) {
        out.u16(static_cast<uint16_t>((name & ~1) | (type.isInline ? 1 : 0)));
        out.u16(type.value);
    }
    return record;
}

// A constant's value in the area: 32-bit integers as i32, strings as u16 length and bytes.
uint16_t placeConstant(MemberArea& area, const Variant& value, const Encoder& encode) {
    const uint16_t offset = area.bytes.offset();
    if (const auto* text = std::get_if<std::string_view>(&value.value)) {
        area.bytes.counted(encode(*text));
    } else if (const auto* number = std::get_if<int64_t>(&value.value)) {
        area.bytes.i32(static_cast<int32_t>(*number));
    } else if (const auto* unsignedNumber = std::get_if<uint64_t>(&value.value)) {
        area.bytes.u32(static_cast<uint32_t>(*unsignedNumber));
    } else {
        throw Unwritable("a constant of variant type " + std::to_string(value.vt));
    }
    return offset;
}

// Variable record (18 bytes, 20 with VARFLAGS): fields, constants, dispatch properties.
uint16_t writeVariable(MemberArea& area, const VarDesc& var, const Encoder& encode) {
    const MemberArea::TypeField type = area.typeField(area.typeWords(var.type));
    uint16_t value = 0;
    uint8_t kindBits = type.isInline ? 0x02 : 0;
    if (var.varKind == VarKind::Const) {
        if (!var.constantValue) throw Unwritable("a constant without a value");
        value = placeConstant(area, *var.constantValue, encode);
        kindBits |= 0x10;
    } else if (var.varKind == VarKind::Dispatch) {
        kindBits |= 0x40;
    } else {
        value = fit16(static_cast<size_t>(var.instanceOffset), "an instance offset");
    }
    Bytes& out = area.bytes;
    const uint16_t record = out.offset();
    out.u8(var.flags ? 0x2A : 0x0A);
    out.u8(kindBits);
    out.u16(0xFFFF);  // next
    out.u16(area.context.names.offsetOf(var.name));
    out.u16(value);
    out.u16(type.value);
    out.i32(var.memberId);
    out.u16(helpContext16(var.helpContext));
    out.u16(0xFFFF);  // doc string
    if (var.flags) out.u16(var.flags);
    return record;
}

// Impl record (0x16 bytes): a base interface, a dispinterface's IDispatch, or a coclass
// interface with its IMPLTYPEFLAGS; its type words (USERDEFINED, reference) end it.
uint16_t writeImpl(MemberArea& area, TypeHandle type, int32_t flags, size_t number) {
    const uint16_t word = area.references.wordFor(type);
    Bytes& out = area.bytes;
    const uint16_t record = out.offset();
    out.u8(0x4A);
    out.u8(0);
    out.u16(0xFFFF);  // next
    out.u16(0xFFFF);
    out.u8(static_cast<uint8_t>(flags));
    out.u8(0x80);
    out.u16(fit16(record + 0x12, "a member area"));
    // Real files number members variables first, then interfaces; the platform indexes
    // with this (a number past the members crashes it).
    out.u16(fit16(number, "the member count"));
    out.u16(0x4001);
    out.u16(0xFFFE);
    out.u16(0xFFFF);
    out.u16(vt::UserDefined);
    out.u16(word);
    return record;
}

// Records of one kind, chained through the u16 at +2; the chain's first and last.
struct Chain {
    uint16_t first = 0xFFFF;
    uint16_t last = 0xFFFF;
    void add(Bytes& bytes, uint16_t record) {
        if (last != 0xFFFF) bytes.patch16(last + 2u, record);
        if (first == 0xFFFF) first = record;
        last = record;
    }
};

struct Members {
    Chain funcs, vars, impls;
    uint16_t implCount = 0;
    uint16_t aliasWord = 0xFFFF;
    bool aliasInline = false;
};

Members writeMembers(MemberArea& area, const TypeInfo& type, const Encoder& encode) {
    const MembersRef typeMembers = type.members();
    Members members;
    std::vector<ImplType> impls = type.implTypes;
    if (type.kind == TypeKind::Dispatch && !type.isDual()) {
        // A dispinterface's one interface is IDispatch.
        if (area.context.info.dispatchType.kind == TypeHandle::Kind::None)
            throw Unwritable("a dispinterface in a library that never names IDispatch");
        impls = {ImplType{area.context.info.dispatchType, 0}};
    } else if (type.baseType.kind != TypeHandle::Kind::None) {
        impls = {ImplType{type.baseType, 0}};
    }
    members.implCount = fit16(impls.size(), "the interface count");
    for (size_t i = 0; i < impls.size(); ++i)
        members.impls.add(area.bytes, writeImpl(area, impls[i].type, impls[i].flags, typeMembers.vars().size() + i));
    for (const FuncDesc& func : typeMembers.funcs()) members.funcs.add(area.bytes, writeFunction(area, func));
    for (const VarDesc& var : typeMembers.vars()) members.vars.add(area.bytes, writeVariable(area, var, encode));
    if (type.aliasType) {
        const MemberArea::TypeField aliased = area.typeField(area.typeWords(*type.aliasType));
        members.aliasWord = aliased.value;
        members.aliasInline = aliased.isInline;
    }
    return members;
}

// SLTG stores a dual as the interface it is; the platform builds the dispatch view.
uint8_t storedKind(const TypeInfo& type) {
    return static_cast<uint8_t>(type.isDual() ? TypeKind::Interface : type.kind);
}

bool hasVtableLayout(uint8_t kind) {
    return kind == static_cast<uint8_t>(TypeKind::Interface) ||
           kind == static_cast<uint8_t>(TypeKind::Dispatch) ||
           kind == static_cast<uint8_t>(TypeKind::Coclass);
}

// cbSizeVft in 32-bit slots. A dispinterface has IDispatch's seven, as real files store
// it; widl stores 4 per own function there instead.
uint16_t vtableSize(const TypeInfo& type) {
    if (type.kind == TypeKind::Dispatch && !type.isDual()) return 7 * 4;
    return static_cast<uint16_t>(type.sizeVtable);
}

// The 27 words after the member area.
void writeTail(Bytes& out, const TypeInfo& type, const Members& members, uint16_t hashOffset) {
    const MembersRef typeMembers = type.members();
    const uint8_t kind = storedKind(type);
    const bool objectKind = hasVtableLayout(kind);
    const uint16_t words[27] = {
        static_cast<uint16_t>(typeMembers.funcs().size()), static_cast<uint16_t>(typeMembers.vars().size()),
        members.implCount, 0, members.funcs.first, members.vars.first, members.impls.first,
        members.funcs.last, members.vars.last, members.impls.last,
        members.aliasWord, 0xFFFF, 0, 0, static_cast<uint16_t>(members.aliasInline ? 1 : 0), 0,
        static_cast<uint16_t>(type.sizeInstance), type.alignment,
        static_cast<uint16_t>(objectKind ? 0 : 0xFFFF), static_cast<uint16_t>(objectKind ? 0 : 0xFFFF),
        vtableSize(type), 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF,
        1, hashOffset};
    for (uint16_t word : words) out.u16(word);
}

// Member header: u16 1 for data types, 3 for interfaces, 5 for dispinterfaces and duals,
// 7 for coclasses (as real files have it), u16 0xFFFF, u8 1, u32 area size.
void writeMemberHeader(Bytes& out, const TypeInfo& type, size_t areaSize) {
    const uint16_t byKind = type.isDual()                        ? 5
                            : type.kind == TypeKind::Interface   ? 3
                            : type.kind == TypeKind::Dispatch    ? 5
                            : type.kind == TypeKind::Coclass     ? 7
                                                                 : 1;
    out.u16(byKind);
    out.u16(0xFFFF);
    out.u8(1);
    out.u32(static_cast<uint32_t>(areaSize));
}

// The u32 that ends the block header: 0x28 in real duals, 8 in real interfaces, else none.
uint32_t headerInterfaceWord(const TypeInfo& type) {
    if (type.isDual()) return 0x28;
    return type.kind == TypeKind::Interface ? 8 : 0xFFFFFFFF;
}

// Typeinfo block: 0x22-byte header, reference table, member header, member area, tail.
std::vector<uint8_t> typeBlock(Context& context, const TypeInfo& type, const Encoder& encode) {
    References references(context);
    MemberArea area{context, references, {}};
    const Members members = writeMembers(area, type, encode);
    // An empty member-name hash (one bucket, none): lookups by name are not needed here.
    const uint16_t hashOffset = area.bytes.offset();
    area.bytes.u16(0xFFFF);

    Bytes refs;
    if (!references.empty()) references.write(refs);
    const uint8_t kind = storedKind(type);
    Bytes out;
    out.u16(0x0501);
    out.u32(references.empty() ? 0xFFFFFFFF : 0x22);
    out.u32(0xFFFFFFFF);
    out.u32(static_cast<uint32_t>(0x22 + refs.size()));
    out.u32(0xFFFFFFFF);
    out.u16(type.majorVersion);
    out.u16(type.minorVersion);
    out.u32(0xFFFE0000);
    out.u8(static_cast<uint8_t>(2 | (type.flags & 0x1F) << 3));
    out.u8(static_cast<uint8_t>(type.flags >> 5));
    out.u8(2);
    out.u8(kind);
    out.u32(headerInterfaceWord(type));
    out.append(refs);
    writeMemberHeader(out, type, area.bytes.size());
    out.append(area.bytes);
    writeTail(out, type, members, hashOffset);
    return out.take();
}

// Block names: ten letters, unique per block.
std::string blockName(size_t number) {
    std::string name(10, 'A');
    for (size_t i = 0; i < name.size() && number; ++i, number /= 26)
        name[i] = static_cast<char>('A' + number % 26);
    return name;
}

// Library block: attributes, one record per type in type order, the (empty) help-string
// dictionary, then the name table.
std::vector<uint8_t> libraryBlock(const LibraryInfo& info, NameTable& names, const Encoder& encode) {
    Bytes out;
    out.u16(0x51CC);
    out.u16(3);
    out.u16(names.offsetOf(info.name));
    out.u16(0xFFFF);
    out.counted(encode(info.docString));
    if (info.helpFile.empty()) {
        out.u16(0xFFFF);
    } else {
        out.counted(encode(info.helpFile));
    }
    out.i32(info.helpContext);
    out.u16(static_cast<uint16_t>(info.sysKind));
    out.u16(static_cast<uint16_t>(info.lcid));
    out.u16(0);
    out.u16(1);
    out.u16(info.flags);
    out.u16(info.majorVersion);
    out.u16(info.minorVersion);
    out.guid(info.libid);
    out.fill(64, 0xFF);  // a 32-bucket type-name hash; readers find types by position
    out.u16(fit16(info.types.size(), "the type count"));
    for (size_t i = 0; i < info.types.size(); ++i) {
        const TypeInfo& type = info.types[i];
        out.counted(blockName(i));
        out.counted(blockName(i + info.types.size()));
        out.u16(0xFFFF);
        out.u16(names.offsetOf(type.name));
        out.u16(0);  // doc string: compressed in SLTG, left out
        out.u16(0xFFFF);
        out.i32(type.helpContext);
        out.u16(0xFFFF);
        out.guid(type.guid);
        out.u16(storedKind(type));
    }
    const size_t nameHashAt = out.size() + 4 + 2 + 4;
    out.u32(static_cast<uint32_t>(nameHashAt));
    out.u16(0);  // help-string dictionary: none
    out.u32(0);
    names.write(out);
    return out.take();
}

// The CompObj stream that ends every SLTG file.
constexpr uint8_t CompObjTrailer[0x44] = {
    0x01, 0x00, 0xFE, 0xFF, 0x03, 0x0A, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x04, 0x02, 0x00,
    0x00, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46, 0x08, 0x00, 0x00, 0x00,
    'T',  'Y',  'P',  'E',  'L',  'I',  'B',  0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x02, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0xF4, 0x39, 0xB2, 0x71, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00};

constexpr Guid SltgClsid{0x000204FF, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// File header, block directory and block names, the blocks in chain order (types in
// type order, the library block last), the CompObj trailer.
std::vector<uint8_t> file(const std::vector<std::vector<uint8_t>>& typeBlocks,
                          const std::vector<uint8_t>& library) {
    const size_t types = typeBlocks.size();
    Bytes out;
    out.text("SLTG");
    out.u16(fit16(types + 2, "the block count"));
    out.u16(9);
    out.u16(fit16(13 + 11 * types, "the block directory"));
    out.u16(1);
    out.guid(SltgClsid);
    out.u32(sizeof CompObjTrailer);
    out.u32(0xFFFF0000);
    for (size_t i = 0; i < types; ++i) {
        out.u32(static_cast<uint32_t>(typeBlocks[i].size()));
        out.u16(fit16(13 + 11 * i, "the block directory"));
        out.u16(static_cast<uint16_t>(i + 2));
    }
    out.u32(static_cast<uint32_t>(library.size()));
    out.u16(9);
    out.u16(0);
    out.text(std::string_view("\x01" "CompObj\0dir\0", 13));
    for (size_t i = 0; i < types; ++i) {
        out.text(blockName(i));
        out.u8(0);
    }
    out.fill(9, 0);
    std::vector<uint8_t> bytes = out.take();
    for (const auto& block : typeBlocks) bytes.insert(bytes.end(), block.begin(), block.end());
    bytes.insert(bytes.end(), library.begin(), library.end());
    bytes.insert(bytes.end(), std::begin(CompObjTrailer), std::end(CompObjTrailer));
    return bytes;
}

}  // namespace

Expected<std::vector<uint8_t>> writeLibrary(const TypeLibrary& library) {
    const LibraryInfo& info = library.info();
    const Encoder encode(info.lcid);
    NameTable names(encode);
    Context context{library.loaded(), info, names};
    try {
        // Vtable offsets and sizes are stored in 32-bit slots; no 64-bit SLTG exists.
        if (info.sysKind != SysKind::Win16 && info.sysKind != SysKind::Win32)
            throw Unwritable("SLTG holds 16- and 32-bit libraries only");
        names.offsetOf(info.name);  // the library's name is entry 0, as in real files
        std::vector<std::vector<uint8_t>> blocks;
        for (const TypeInfo& type : info.types) {
            const MembersRef typeMembers = type.members();
            if (typeMembers.error()) throw Unwritable(std::string(type.name) + ": " + typeMembers.error()->description);
            blocks.push_back(typeBlock(context, type, encode));
        }
        return file(blocks, libraryBlock(info, names, encode));
    } catch (const Unwritable& error) {
        return makeError(errc::InvalidArgument, "Cannot write " + library.path() + " as SLTG: " + error.what());
    } catch (const std::out_of_range&) {
        return makeError(errc::InvalidArgument, "Cannot write " + library.path() + " as SLTG: a reference points nowhere");
    }
}

}  // namespace vantrel::sltg
