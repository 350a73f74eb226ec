// The code page a library is read in, on real libraries whose text is not ASCII: by the
// library's LCID, by its own text when the LCID is neutral, whatever the user's locale
// says then, and as forced by the caller.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "ReaderChecks.h"
#include "typelib/read/LibraryReader.h"

namespace vantrel::testing {
namespace {

// Sets LC_ALL for one case and puts back what was there.
class ScopedLocale {
public:
    explicit ScopedLocale(const char* locale) {
        if (const char* old = std::getenv("LC_ALL")) old_ = old;
        setenv("LC_ALL", locale, 1);
    }
    ~ScopedLocale() {
        if (old_) setenv("LC_ALL", old_->c_str(), 1);
        else unsetenv("LC_ALL");
    }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

private:
    std::optional<std::string> old_;
};

// Whether any name or documentation string of the library holds `text`.
bool libraryHolds(const LibraryInfo& library, const std::string& text) {
    const auto has = [&](std::string_view candidate) { return candidate.find(text) != std::string_view::npos; };
    if (has(library.name) || has(library.docString)) return true;
    for (const TypeInfo& type : library.types) {
        const MembersRef typeMembers = type.members();
        if (has(type.name) || has(type.docString)) return true;
        for (const FuncDesc& func : typeMembers.funcs())
            if (has(func.name) || has(func.docString)) return true;
        for (const VarDesc& var : typeMembers.vars())
            if (has(var.name) || has(var.docString)) return true;
        for (const ParamDesc& param : typeMembers.params())
            if (has(param.name)) return true;
    }
    return false;
}

TEST(LibraryCodePage, RealLibrariesReadInTheirCodePage) {
    const std::string corpus = VANTREL_CORPUS_DIR;
    if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus of real libraries";
    struct Case {
        std::string path;
        const char* locale;
        uint32_t forced;
        uint32_t codePage;
        std::string text;
    };
    const Case cases[] = {
        // Locale-neutral libraries: their text decides, the locale doesn't.
        {corpus + "/DrvFR.dll", "C", 0, 1251, "Штрих-М: Драйвер ФР"},
        {corpus + "/DrvFR.dll", "ja_JP.UTF-8", 0, 1251, "Штрих-М: Драйвер ФР"},
        // Short Greek names in Shift-JIS, which the detector takes for Latin-1. Where
        // the locale's code page decodes them (ru_RU: 1251) the locale has its way.
        {corpus + "/kmath.ocx", "C", 0, 932, "功一関数"},
        {corpus + "/kmath.ocx", "en_US.UTF-8", 0, 932, "ψ"},
        {corpus + "/kmath.ocx", "ru_RU.UTF-8", 0, 1251, "Њч€кЉЦђ”"},
        {corpus + "/EXButton.oca", "C", 0, 936, "返回/设置对象"},
        {corpus + "/XDataSource.ocx", "C", 0, 1252, "Operação"},
        {corpus + "/XDataSource.ocx", "ja_JP.UTF-8", 0, 1252, "eDSConexão"},
        // A forced code page wins.
        {corpus + "/XDataSource.ocx", "C", 1251, 1251, "Operaзгo"},
        // A library whose LCID (0x407) names a language.
        {fixturePath("Names.tlb"), "ru_RU.UTF-8", 0, 1252, "Größe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path + " under " + c.locale);
        const ScopedLocale locale(c.locale);
        Expected<LibraryInfo> library = readTypeLibrary(bytesOf(c.path), c.path, ReadOptions{c.forced, {}, {}});
        ASSERT_TRUE(library) << library.error().description;
        EXPECT_EQ(library->codePage, c.codePage);
        EXPECT_TRUE(libraryHolds(*library, c.text)) << c.text;
    }
}

}  // namespace
}  // namespace vantrel::testing
