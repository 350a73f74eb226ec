// Dumps a type library as the platform's own reader (oleaut32) reports it, in the
// canonical text form that vantrel-dump writes from our reader (see DumpFormat.md), so
// that the two can be compared byte for byte. A Windows program; runs under wine.
//
//   platform_dump FILE                 the dump, UTF-8, to standard output
//   platform_dump --batch DIR FIRST FILE...
//                                      the dump of the i-th FILE (from 0) to
//                                      DIR/(FIRST+i).txt, one process for many files
//   platform_dump --register FILE...   registers the libraries in the wine prefix
//   platform_dump --walk-timed N FILE  load and walk the library N times, print best and
//                                      median milliseconds
#include <windows.h>
#include <oleauto.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "DumpText.h"

using vantrel::conformance::doubleText;
using vantrel::conformance::hex;
using vantrel::conformance::quoted;

namespace {

// The platform's reader crashes on some functions (a read through a null pointer inside
// GetFuncDesc). A crash inside a guarded call jumps back to the guard, which reports it
// as a failed call, so that the rest of the library is still dumped.
void* guardJump[5];
bool guardActive = false;

LONG CALLBACK onCrash(EXCEPTION_POINTERS* info) {
    if (!guardActive || info->ExceptionRecord->ExceptionCode != EXCEPTION_ACCESS_VIOLATION)
        return EXCEPTION_CONTINUE_SEARCH;
    guardActive = false;
    __builtin_longjmp(guardJump, 1);
}

constexpr HRESULT kCrashed = static_cast<HRESULT>(0xC0000005);

// GetFuncDesc, with a crash reported as kCrashed.
__attribute__((noinline)) HRESULT guardedFuncDesc(ITypeInfo* info, UINT index, FUNCDESC** func) {
    if (__builtin_setjmp(guardJump)) {
        *func = nullptr;
        return kCrashed;
    }
    guardActive = true;
    const HRESULT hr = info->GetFuncDesc(index, func);
    guardActive = false;
    return hr;
}

std::string utf8(const wchar_t* text, int length) {
    if (!text || length <= 0) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
    return out;
}

std::string utf8(BSTR text) {
    return text ? utf8(text, static_cast<int>(SysStringLen(text))) : std::string();
}

std::string guidText(const GUID& g) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned long>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
                  g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return buffer;
}

std::string hresultText(HRESULT hr) { return hex(static_cast<unsigned long>(hr)); }


// "vt:value" for the kinds type libraries store as constants and defaults.
std::string variantText(const VARIANT& v) {
    const std::string kind = std::to_string(V_VT(&v)) + ":";
    switch (V_VT(&v)) {
    case VT_EMPTY: case VT_NULL: return kind;
    case VT_I1: return kind + std::to_string(V_I1(&v));
    case VT_I2: return kind + std::to_string(V_I2(&v));
    case VT_I4: return kind + std::to_string(V_I4(&v));
    case VT_INT: return kind + std::to_string(V_INT(&v));
    case VT_I8: return kind + std::to_string(V_I8(&v));
    case VT_UI1: return kind + std::to_string(V_UI1(&v));
    case VT_UI2: return kind + std::to_string(V_UI2(&v));
    case VT_UI4: return kind + std::to_string(V_UI4(&v));
    case VT_UINT: return kind + std::to_string(V_UINT(&v));
    case VT_UI8: return kind + std::to_string(V_UI8(&v));
    case VT_BOOL: return kind + std::to_string(V_BOOL(&v));
    case VT_ERROR: return kind + std::to_string(V_ERROR(&v));
    case VT_R4: return kind + doubleText(V_R4(&v), 9);
    case VT_R8: return kind + doubleText(V_R8(&v), 17);
    case VT_DATE: return kind + doubleText(V_DATE(&v), 17);
    case VT_CY: return kind + std::to_string(V_CY(&v).int64);
    case VT_BSTR: return kind + quoted(utf8(V_BSTR(&v)));
    default: return kind;  // no value a type library can hold
    }
}

struct Names {
    std::vector<std::string> items;
    HRESULT status = S_OK;
};

Names namesOf(ITypeInfo* info, MEMBERID memid, unsigned capacity) {
    std::vector<BSTR> raw(capacity + 1, nullptr);
    UINT count = 0;
    Names names;
    names.status = info->GetNames(memid, raw.data(), capacity + 1, &count);
    for (UINT i = 0; i < count; ++i) {
        names.items.push_back(utf8(raw[i]));
        SysFreeString(raw[i]);
    }
    return names;
}

bool sameLibrary(ITypeInfo* info, const GUID& libid) {
    ITypeLib* owner = nullptr;
    UINT index = 0;
    if (FAILED(info->GetContainingTypeLib(&owner, &index))) return false;
    TLIBATTR* attr = nullptr;
    bool same = false;
    if (SUCCEEDED(owner->GetLibAttr(&attr))) {
        same = IsEqualGUID(attr->guid, libid);
        owner->ReleaseTLibAttr(attr);
    }
    owner->Release();
    return same;
}

class Dumper {
public:
    Dumper(ITypeLib* library, std::string& out) : library_(library), out_(out) {}

    void dump() {
        TLIBATTR* attr = nullptr;
        if (FAILED(library_->GetLibAttr(&attr))) {
            out_ += "library error\n";
            return;
        }
        libid_ = attr->guid;
        BSTR name = nullptr;
        library_->GetDocumentation(-1, &name, nullptr, nullptr, nullptr);
        out_ += "library name=" + quoted(utf8(name)) + " libid=" + guidText(attr->guid) +
                " lcid=" + hex(attr->lcid) + " syskind=" + std::to_string(attr->syskind) +
                " version=" + std::to_string(attr->wMajorVerNum) + "." +
                std::to_string(attr->wMinorVerNum) + " flags=" + hex(attr->wLibFlags) + "\n";
        SysFreeString(name);
        library_->ReleaseTLibAttr(attr);

        const UINT count = library_->GetTypeInfoCount();
        for (UINT i = 0; i < count; ++i) dumpType(i);
    }

private:
    // A referenced type: its name, "ext:" first when another library defines it.
    std::string refText(ITypeInfo* from, HREFTYPE href) {
        ITypeInfo* target = nullptr;
        const HRESULT hr = from->GetRefTypeInfo(href, &target);
        if (FAILED(hr)) return "error:" + hresultText(hr);
        BSTR name = nullptr;
        target->GetDocumentation(-1, &name, nullptr, nullptr, nullptr);
        std::string text = (sameLibrary(target, libid_) ? "" : "ext:") + utf8(name);
        SysFreeString(name);
        target->Release();
        return text;
    }

    std::string typeText(ITypeInfo* from, const TYPEDESC& desc) {
        switch (desc.vt) {
        case VT_PTR: return "ptr(" + typeText(from, *desc.lptdesc) + ")";
        case VT_SAFEARRAY: return "safearray(" + typeText(from, *desc.lptdesc) + ")";
        case VT_CARRAY: {
            std::string text = "carray(" + typeText(from, desc.lpadesc->tdescElem);
            for (USHORT d = 0; d < desc.lpadesc->cDims; ++d) {
                const SAFEARRAYBOUND& bound = desc.lpadesc->rgbounds[d];
                text += ";" + std::to_string(bound.cElements) + "@" + std::to_string(bound.lLbound);
            }
            return text + ")";
        }
        case VT_USERDEFINED: return "udt(" + refText(from, desc.hreftype) + ")";
        default: return std::to_string(desc.vt);
        }
    }

    // Member ids that more than one function of the view carries: the platform names
    // parameters by member id, so their parameter names are not comparable.
    static std::vector<MEMBERID> sharedMemids(ITypeInfo* info, UINT funcs) {
        std::vector<MEMBERID> ids, shared;
        for (UINT i = 0; i < funcs; ++i) {
            FUNCDESC* func = nullptr;
            if (FAILED(guardedFuncDesc(info, i, &func))) continue;
            ids.push_back(func->memid);
            info->ReleaseFuncDesc(func);
        }
        std::sort(ids.begin(), ids.end());
        for (size_t i = 1; i < ids.size(); ++i)
            if (ids[i] == ids[i - 1] && (shared.empty() || shared.back() != ids[i]))
                shared.push_back(ids[i]);
        return shared;
    }

    // How many of the view's leading functions come from bases in another library.
    // Only the dispatch view of a dual lists its bases' functions; an interface and a
    // pure dispinterface list their own.
    UINT externalInherited(ITypeInfo* info, const TYPEATTR& attr) {
        if (attr.typekind != TKIND_DISPATCH || !(attr.wTypeFlags & TYPEFLAG_FDUAL)) return 0;
        ITypeInfo* start = nullptr;
        HREFTYPE vtableView = 0;
        if (FAILED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableView)) ||
            FAILED(info->GetRefTypeInfo(vtableView, &start)))
            return 0;
        // Walk the bases from the type to the root, counting each one's own functions.
        struct Level { UINT own; bool external; };
        std::vector<Level> levels;
        ITypeInfo* current = start;
        for (int depth = 0; current && depth < 64; ++depth) {
            TYPEATTR* a = nullptr;
            if (FAILED(current->GetTypeAttr(&a))) break;
            const bool hasBase = a->cImplTypes > 0;
            const UINT funcs = a->cFuncs;
            current->ReleaseTypeAttr(a);
            ITypeInfo* base = nullptr;
            HREFTYPE href = 0;
            if (hasBase && SUCCEEDED(current->GetRefTypeOfImplType(0, &href)))
                current->GetRefTypeInfo(href, &base);
            levels.push_back({funcs, depth > 0 && !sameLibrary(current, libid_)});
            current->Release();
            current = base;
        }
        if (current) current->Release();
        // The view lists the root's functions first.
        UINT external = 0;
        for (size_t i = levels.size(); i-- > 1;) {
            if (!levels[i].external) break;
            external += levels[i].own;
        }
        return external;
    }

    void dumpFunction(ITypeInfo* info, UINT index, const std::vector<MEMBERID>& shared,
                      bool inheritedExternal, const std::string& indent) {
        FUNCDESC* func = nullptr;
        const HRESULT hr = guardedFuncDesc(info, index, &func);
        if (FAILED(hr)) {
            out_ += indent + "func index=" + std::to_string(index) + " error=" + hresultText(hr) + "\n";
            return;
        }
        const Names names = namesOf(info, func->memid, static_cast<unsigned>(func->cParams));
        out_ += indent + "func index=" + std::to_string(index) + " memid=" + std::to_string(func->memid) +
                " invkind=" + std::to_string(func->invkind) + " funckind=" +
                std::to_string(func->funckind) + " flags=" + hex(func->wFuncFlags) +
                " callconv=" + std::to_string(func->callconv);
        if (func->funckind != FUNC_DISPATCH && func->funckind != FUNC_STATIC)
            out_ += " slot=" + std::to_string(func->oVft / static_cast<SHORT>(sizeof(void*)));
        out_ += " optional=" + std::to_string(func->cParamsOpt) + " name=" +
                quoted(names.items.empty() ? std::string() : names.items[0]) +
                " return=" + typeText(info, func->elemdescFunc.tdesc);
        if (inheritedExternal) out_ += " inherited=ext";
        out_ += "\n";
        // The platform names parameters by member id: the first function with the id
        // names them, and the value of a property put stays unnamed.
        const bool namesComparable =
            std::find(shared.begin(), shared.end(), func->memid) == shared.end();
        const bool isPut = (func->invkind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF)) != 0;
        for (SHORT p = 0; p < func->cParams; ++p) {
            const ELEMDESC& param = func->lprgelemdescParam[p];
            const USHORT flags = param.paramdesc.wParamFlags;
            out_ += indent + "  param index=" + std::to_string(p);
            if (namesComparable && !(isPut && p + 1 == func->cParams)) {
                const size_t at = static_cast<size_t>(p) + 1;
                out_ += " name=" + quoted(at < names.items.size() ? names.items[at] : std::string());
            }
            out_ += " flags=" + hex(flags) + " type=" + typeText(info, param.tdesc);
            if ((flags & PARAMFLAG_FHASDEFAULT) && param.paramdesc.pparamdescex)
                out_ += " default=" + variantText(param.paramdesc.pparamdescex->varDefaultValue);
            out_ += "\n";
        }
        info->ReleaseFuncDesc(func);
    }

    void dumpVariable(ITypeInfo* info, UINT index, const std::string& indent) {
        VARDESC* var = nullptr;
        const HRESULT hr = info->GetVarDesc(index, &var);
        if (FAILED(hr)) {
            out_ += indent + "var index=" + std::to_string(index) + " error=" + hresultText(hr) + "\n";
            return;
        }
        const Names names = namesOf(info, var->memid, 0);
        out_ += indent + "var index=" + std::to_string(index) + " memid=" + std::to_string(var->memid) +
                " varkind=" + std::to_string(var->varkind) + " flags=" + hex(var->wVarFlags) +
                " name=" + quoted(names.items.empty() ? std::string() : names.items[0]) +
                " type=" + typeText(info, var->elemdescVar.tdesc);
        if (var->varkind == VAR_CONST && var->lpvarValue) out_ += " value=" + variantText(*var->lpvarValue);
        out_ += "\n";
        info->ReleaseVarDesc(var);
    }

    void dumpImpl(ITypeInfo* info, UINT index, const std::string& indent) {
        INT flags = 0;
        HREFTYPE href = 0;
        info->GetImplTypeFlags(index, &flags);
        const HRESULT hr = info->GetRefTypeOfImplType(index, &href);
        out_ += indent + "impl index=" + std::to_string(index) + " flags=" +
                hex(static_cast<unsigned long>(flags)) + " type=" +
                (FAILED(hr) ? "error:" + hresultText(hr) : refText(info, href)) + "\n";
    }

    // The members of one view of a type; `head` starts its first line.
    void dumpView(ITypeInfo* info, const TYPEATTR& attr, const std::string& head,
                  const std::string& indent) {
        out_ += head + " kind=" + std::to_string(attr.typekind) + " flags=" + hex(attr.wTypeFlags) +
                " funcs=" + std::to_string(attr.cFuncs) + " vars=" + std::to_string(attr.cVars) +
                " impls=" + std::to_string(attr.cImplTypes);
        if (attr.typekind == TKIND_ALIAS) out_ += " alias=" + typeText(info, attr.tdescAlias);
        out_ += "\n";
        for (UINT i = 0; i < attr.cImplTypes; ++i) dumpImpl(info, i, indent);
        const std::vector<MEMBERID> shared = sharedMemids(info, attr.cFuncs);
        const UINT external = externalInherited(info, attr);
        for (UINT i = 0; i < attr.cFuncs; ++i) dumpFunction(info, i, shared, i < external, indent);
        for (UINT i = 0; i < attr.cVars; ++i) dumpVariable(info, i, indent);
    }

    void dumpType(UINT index) {
        ITypeInfo* info = nullptr;
        HRESULT hr = library_->GetTypeInfo(index, &info);
        const std::string line = "type index=" + std::to_string(index);
        if (FAILED(hr)) {
            out_ += line + " error=" + hresultText(hr) + "\n";
            return;
        }
        TYPEATTR* attr = nullptr;
        hr = info->GetTypeAttr(&attr);
        if (FAILED(hr)) {
            out_ += line + " error=" + hresultText(hr) + "\n";
            info->Release();
            return;
        }
        BSTR name = nullptr;
        info->GetDocumentation(-1, &name, nullptr, nullptr, nullptr);
        const std::string head = line + " name=" + quoted(utf8(name)) + " guid=" + guidText(attr->guid);
        SysFreeString(name);
        dumpView(info, *attr, head, "  ");
        if (attr->typekind == TKIND_DISPATCH && (attr->wTypeFlags & TYPEFLAG_FDUAL))
            dumpVtableView(info);
        info->ReleaseTypeAttr(attr);
        info->Release();
    }

    void dumpVtableView(ITypeInfo* dispatchView) {
        HREFTYPE href = 0;
        ITypeInfo* vtable = nullptr;
        HRESULT hr = dispatchView->GetRefTypeOfImplType(static_cast<UINT>(-1), &href);
        if (SUCCEEDED(hr)) hr = dispatchView->GetRefTypeInfo(href, &vtable);
        if (FAILED(hr)) {
            out_ += "  view vtable error=" + hresultText(hr) + "\n";
            return;
        }
        TYPEATTR* attr = nullptr;
        if (SUCCEEDED(vtable->GetTypeAttr(&attr))) {
            dumpView(vtable, *attr, "  view vtable", "    ");
            vtable->ReleaseTypeAttr(attr);
        }
        vtable->Release();
    }

    ITypeLib* library_;
    std::string& out_;
    GUID libid_{};
};

// The walk a browser does when it shows everything: every type, function, variable,
// name and type description, user-defined types resolved to their names.
void walkType(ITypeInfo* info, const TYPEDESC& desc) {
    if (desc.vt == VT_PTR || desc.vt == VT_SAFEARRAY) {
        walkType(info, *desc.lptdesc);
    } else if (desc.vt == VT_CARRAY) {
        walkType(info, desc.lpadesc->tdescElem);
    } else if (desc.vt == VT_USERDEFINED) {
        ITypeInfo* target = nullptr;
        if (SUCCEEDED(info->GetRefTypeInfo(desc.hreftype, &target))) {
            BSTR name = nullptr;
            target->GetDocumentation(-1, &name, nullptr, nullptr, nullptr);
            SysFreeString(name);
            target->Release();
        }
    }
}

void walkLibrary(ITypeLib* library) {
    const UINT count = library->GetTypeInfoCount();
    BSTR names[64];
    for (UINT t = 0; t < count; ++t) {
        ITypeInfo* info = nullptr;
        if (FAILED(library->GetTypeInfo(t, &info))) continue;
        TYPEATTR* attr = nullptr;
        if (SUCCEEDED(info->GetTypeAttr(&attr))) {
            BSTR name = nullptr;
            info->GetDocumentation(-1, &name, nullptr, nullptr, nullptr);
            SysFreeString(name);
            for (UINT f = 0; f < attr->cFuncs; ++f) {
                FUNCDESC* func = nullptr;
                if (FAILED(guardedFuncDesc(info, f, &func))) continue;
                UINT got = 0;
                if (SUCCEEDED(info->GetNames(func->memid, names, 64, &got)))
                    for (UINT n = 0; n < got; ++n) SysFreeString(names[n]);
                walkType(info, func->elemdescFunc.tdesc);
                for (SHORT p = 0; p < func->cParams; ++p) walkType(info, func->lprgelemdescParam[p].tdesc);
                info->ReleaseFuncDesc(func);
            }
            for (UINT v = 0; v < attr->cVars; ++v) {
                VARDESC* var = nullptr;
                if (FAILED(info->GetVarDesc(v, &var))) continue;
                UINT got = 0;
                if (SUCCEEDED(info->GetNames(var->memid, names, 1, &got)))
                    for (UINT n = 0; n < got; ++n) SysFreeString(names[n]);
                walkType(info, var->elemdescVar.tdesc);
                info->ReleaseVarDesc(var);
            }
            info->ReleaseTypeAttr(attr);
        }
        info->Release();
    }
}

// Wine maps the root of the Unix file system to drive Z:.
std::wstring windowsPath(const wchar_t* path) {
    std::wstring out = path;
    if (!out.empty() && out[0] == L'/') out = L"Z:" + out;
    std::replace(out.begin(), out.end(), L'/', L'\\');
    return out;
}

// A file that can't be opened gives the line "load error" (the reason on standard
// error), as vantrel-dump does.
bool dumpText(const wchar_t* path, std::string& out) {
    ITypeLib* library = nullptr;
    const HRESULT hr = LoadTypeLibEx(windowsPath(path).c_str(), REGKIND_NONE, &library);
    if (FAILED(hr)) {
        out = "load error\n";
        std::fprintf(stderr, "%ls: load error %s\n", path, hresultText(hr).c_str());
        return false;
    }
    Dumper(library, out).dump();
    library->Release();
    return true;
}

int dumpFile(const wchar_t* path) {
    std::string out;
    const bool loaded = dumpText(path, out);
    std::fwrite(out.data(), 1, out.size(), stdout);
    return loaded ? 0 : 1;
}

int dumpBatch(const wchar_t* folder, int first, int count, wchar_t** paths) {
    for (int i = 0; i < count; ++i) {
        std::string out;
        dumpText(paths[i], out);
        const std::wstring target = windowsPath(folder) + L"\\" + std::to_wstring(first + i) + L".txt";
        FILE* file = _wfopen(target.c_str(), L"wb");
        if (!file) {
            std::fprintf(stderr, "cannot write %ls\n", target.c_str());
            return 1;
        }
        std::fwrite(out.data(), 1, out.size(), file);
        std::fclose(file);
    }
    return 0;
}

// Registers libraries in the (throwaway) prefix, so that the platform can resolve
// imports from them: it finds imported libraries through the registry only.
int registerFiles(int count, wchar_t** paths) {
    for (int i = 0; i < count; ++i) {
        ITypeLib* library = nullptr;
        const HRESULT hr = LoadTypeLibEx(windowsPath(paths[i]).c_str(), REGKIND_REGISTER, &library);
        if (FAILED(hr)) {
            std::fprintf(stderr, "%ls: cannot register: %s\n", paths[i], hresultText(hr).c_str());
            return 1;
        }
        library->Release();
    }
    return 0;
}

int walkTimed(int rounds, const wchar_t* path) {
    const std::wstring file = windowsPath(path);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        ITypeLib* library = nullptr;
        const HRESULT hr = LoadTypeLibEx(file.c_str(), REGKIND_NONE, &library);
        if (FAILED(hr)) {
            std::printf("load error=%s\n", hresultText(hr).c_str());
            return 1;
        }
        walkLibrary(library);
        library->Release();
        QueryPerformanceCounter(&end);
        times.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                        static_cast<double>(frequency.QuadPart));
    }
    std::sort(times.begin(), times.end());
    std::printf("rounds=%d best_ms=%.3f median_ms=%.3f\n", rounds, times.front(),
                times[times.size() / 2]);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    AddVectoredExceptionHandler(1, onCrash);
    CoInitialize(nullptr);
    int result = 2;
    if (argc == 2) {
        result = dumpFile(argv[1]);
    } else if (argc >= 4 && std::wstring(argv[1]) == L"--batch") {
        result = dumpBatch(argv[2], _wtoi(argv[3]), argc - 4, argv + 4);
    } else if (argc >= 3 && std::wstring(argv[1]) == L"--register") {
        result = registerFiles(argc - 2, argv + 2);
    } else if (argc == 4 && std::wstring(argv[1]) == L"--walk-timed") {
        const int rounds = _wtoi(argv[2]);
        result = rounds > 0 ? walkTimed(rounds, argv[3]) : 2;
    } else {
        std::fprintf(stderr, "usage: platform_dump FILE | --batch DIR FIRST FILE... | --register FILE... | --walk-timed N FILE\n");
    }
    CoUninitialize();
    std::fflush(stdout);
    return result;
}
