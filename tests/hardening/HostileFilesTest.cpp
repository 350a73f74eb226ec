// The crafted libraries of HostileLibraries, each written to a file and given to the real
// vantrel-report --out, which opens it and builds every type's member view and page, as
// a process of its own: its peak memory stays within 32 MiB + 8 x the file's size, and
// four times the file takes about four times the processor time, not sixteen.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "HostileLibraries.h"
#include "typelib/file/Limits.h"
#include "typelib/read/LibraryReader.h"

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;

// Under AddressSanitizer the tool's memory and time are the sanitizer's: only the
// outcome is checked then.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

struct ReportRun {
    int exitStatus = -1;
    uint64_t peakBytes = 0;
    double seconds = 0;  // processor time, user and system
};

// vantrel-report --out OUT FILE, its output thrown away.
ReportRun runReport(const fs::path& out, const fs::path& file) {
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        ::execl(VANTREL_REPORT_EXE, VANTREL_REPORT_EXE, "--out", out.c_str(), file.c_str(), nullptr);
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ReportRun run;
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child) return run;
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.peakBytes = static_cast<uint64_t>(usage.ru_maxrss) * 1024;
    run.seconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                  static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return run;
}

class HostileFiles : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("vantrel-hostile-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    // The file is made, written and let go before the tool starts: a child's peak
    // memory counts what it shared with this process when it was started.
    ReportRun measure(const HostileKind& kind, unsigned scale, uint64_t& size) {
        const fs::path file = folder_ / (std::string(kind.name) + "-" + std::to_string(scale) + ".tlb");
        {
            const std::vector<uint8_t> bytes = kind.make(scale);
            size = bytes.size();
            std::ofstream(file, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        }
        const fs::path out = folder_ / ("out-" + std::to_string(scale));
        const ReportRun run = runReport(out, file);
        fs::remove_all(out);
        fs::remove(file);
        return run;
    }

    fs::path folder_;
};

TEST_F(HostileFiles, MemoryAndTimeStayInProportionToTheFile) {
    constexpr unsigned kSmall = 16;
    constexpr unsigned kLarge = 64;
    for (const HostileKind& kind : hostileKinds()) {
        SCOPED_TRACE(kind.name);
        uint64_t smallSize = 0;
        uint64_t largeSize = 0;
        const ReportRun a = measure(kind, kSmall, smallSize);
        const ReportRun b = measure(kind, kLarge, largeSize);
        // 0 every page written, 1 the file refused as damaged, 3 some pages failed.
        for (const ReportRun& run : {a, b})
            EXPECT_TRUE(run.exitStatus == 0 || run.exitStatus == 1 || run.exitStatus == 3) << run.exitStatus;
        if (kSanitized) continue;
        EXPECT_LE(b.peakBytes, peakMemoryAllowed(largeSize)) << b.peakBytes << " bytes for a file of " << largeSize;
        // Four times the file: linear work takes about four times as long, quadratic
        // sixteen. The floor keeps a run too short to measure from deciding.
        EXPECT_LE(b.seconds, 10 * std::max(a.seconds, 0.02)) << a.seconds << " s, then " << b.seconds << " s";
        std::printf("%-34s %d %d %9llu bytes: %6.1f MiB, %.3f s; %9llu bytes: %6.1f MiB, %.3f s\n", kind.name, a.exitStatus, b.exitStatus,
                    static_cast<unsigned long long>(smallSize), static_cast<double>(a.peakBytes) / (1 << 20), a.seconds,
                    static_cast<unsigned long long>(largeSize), static_cast<double>(b.peakBytes) / (1 << 20), b.seconds);
    }
}

// The stated nesting limit holds exactly: that many levels open, one more is damage.
TEST(HostileTypeDescriptions, NestAtMostTheStatedLevels) {
    for (const unsigned depth : {1u, unsigned{kMaxTypeDescNesting}, unsigned{kMaxTypeDescNesting} + 1}) {
        SCOPED_TRACE(depth);
        const Expected<LibraryInfo> library = readTypeLibrary(libraryWithPointerChain(depth), "Chain.tlb");
        ASSERT_TRUE(library) << library.error().description;
        const MembersRef members = library->types.at(0).members();
        const std::optional<Error>& error = members.error();
        EXPECT_EQ(error.has_value(), depth > unsigned{kMaxTypeDescNesting});
        if (error) {
            EXPECT_NE(error->description.find("nests deeper than 64 levels"), std::string::npos) << error->description;
        }
    }
}

}  // namespace
}  // namespace vantrel::testing
