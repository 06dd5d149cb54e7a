// The built Elliptic.dll as a host meets it: loaded by path, its entry point
// found by name, the table walked and the functions called through their
// stdcall pointers with the stack checked after every call.
#include <windows.h>

#include <gtest/gtest.h>
#include <math.h>
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "math_plugin.h"
#include "win32_modal.h"

namespace {

// The build passes the library's path in the build tree's own spelling; a
// path from the Unix side is reached through Wine's Z: drive.
std::string LibraryPath()
{
    std::string path = ELLIPTIC_DLL_PATH;
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

// Calls fn with the 32-bit words as its arguments (the first at the lowest
// address, as a caller pushes them) and reports how far ESP moved across the
// call: 0 when the callee removed exactly its own arguments.
uint32_t CallReturningWord(const void *fn, std::vector<uint32_t> words, int *espShift)
{
    uint32_t eax = reinterpret_cast<uint32_t>(fn);
    uint32_t count = words.size();
    const uint32_t *data = words.data();
    int shift;
    __asm__ volatile("movl %%esp, %%edi\n\t"
                     "jecxz 2f\n"
                     "1:\n\t"
                     "pushl -4(%%esi,%%ecx,4)\n\t"
                     "loop 1b\n"
                     "2:\n\t"
                     "call *%%eax\n\t"
                     "movl %%esp, %%edx\n\t"
                     "subl %%edi, %%edx\n\t"
                     "movl %%edi, %%esp\n\t"
                     : "+a"(eax), "=d"(shift), "+c"(count), "+S"(data)
                     :
                     : "edi", "memory", "cc");
    *espShift = shift;
    return eax;
}

// The same for a function returning a double (in st(0)).
double CallReturningDouble(const void *fn, const std::vector<double> &args, int *espShift)
{
    std::vector<uint32_t> words(args.size() * 2);
    if (!args.empty())
        memcpy(words.data(), args.data(), args.size() * sizeof(double));
    uint32_t eax = reinterpret_cast<uint32_t>(fn);
    uint32_t count = words.size();
    const uint32_t *data = words.data();
    int shift;
    double result;
    __asm__ volatile("movl %%esp, %%edi\n\t"
                     "jecxz 2f\n"
                     "1:\n\t"
                     "pushl -4(%%esi,%%ecx,4)\n\t"
                     "loop 1b\n"
                     "2:\n\t"
                     "call *%%eax\n\t"
                     "movl %%esp, %%edx\n\t"
                     "subl %%edi, %%edx\n\t"
                     "movl %%edi, %%esp\n\t"
                     : "=t"(result), "+a"(eax), "=d"(shift), "+c"(count), "+S"(data)
                     :
                     : "edi", "memory", "cc", "st(1)", "st(2)", "st(3)", "st(4)", "st(5)",
                       "st(6)", "st(7)");
    *espShift = shift;
    return result;
}

class EllipticDll : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        library_ = LoadLibraryA(LibraryPath().c_str());
        if (library_)
            getParam_ = reinterpret_cast<const void *>(GetProcAddress(library_, "GetParamDLL"));
    }
    static void TearDownTestSuite()
    {
        if (library_)
            FreeLibrary(library_);
        library_ = nullptr;
    }
    void SetUp() override
    {
        ASSERT_NE(library_, nullptr) << LibraryPath();
        ASSERT_NE(getParam_, nullptr);
    }

    static const MathFunctionEntry *Entry(int32_t index)
    {
        int shift = -1;
        uint32_t p = CallReturningWord(getParam_, {static_cast<uint32_t>(index)}, &shift);
        EXPECT_EQ(shift, 0) << "GetParamDLL must remove its argument";
        return reinterpret_cast<const MathFunctionEntry *>(p);
    }

    static const MathFunctionEntry *Find(const char *name)
    {
        for (int32_t i = 0; const MathFunctionEntry *e = Entry(i); ++i)
            if (strcmp(e->name, name) == 0)
                return e;
        return nullptr;
    }

    static HMODULE library_;
    static const void *getParam_;
};

HMODULE EllipticDll::library_;
const void *EllipticDll::getParam_;

TEST_F(EllipticDll, ExportsTheEntryPointByBothNames)
{
    FARPROC decorated = GetProcAddress(library_, VR_MATH_ENTRY_DECORATED_NAME);
    EXPECT_EQ(reinterpret_cast<const void *>(decorated), getParam_);
}

TEST_F(EllipticDll, ImportsOnlyTheSystemItself)
{
    // The plug-in links nothing of the main program and no runtime DLL of
    // the compiler: only the Windows libraries every system has.
    const BYTE *base = reinterpret_cast<const BYTE *>(library_);
    const IMAGE_DOS_HEADER *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
    const IMAGE_NT_HEADERS *nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY &dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    ASSERT_NE(dir.VirtualAddress, 0u);
    const IMAGE_IMPORT_DESCRIPTOR *d =
        reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR *>(base + dir.VirtualAddress);
    for (; d->Name; ++d) {
        const char *name = reinterpret_cast<const char *>(base + d->Name);
        EXPECT_TRUE(lstrcmpiA(name, "kernel32.dll") == 0 || lstrcmpiA(name, "user32.dll") == 0 ||
                    lstrcmpiA(name, "msvcrt.dll") == 0)
            << name;
    }
}

TEST_F(EllipticDll, TableThroughTheEntryPoint)
{
    static const struct {
        const char *name;
        int count;
    } kExpected[] = {
        {"EllipticE", 2}, {"EllipticE1", 1}, {"EllipticF", 2}, {"EllipticK", 1},
        {"EllipticPi", 3}, {"JacobiCD", 2},  {"JacobiCN", 2},  {"JacobiCS", 2},
        {"JacobiDC", 2},  {"JacobiDN", 2},   {"JacobiDS", 2},  {"JacobiNC", 2},
        {"JacobiND", 2},  {"JacobiNS", 2},   {"JacobiSC", 2},  {"JacobiSD", 2},
        {"JacobiSN", 2},
    };
    for (int i = 0; i < 17; ++i) {
        const MathFunctionEntry *e = Entry(i);
        ASSERT_NE(e, nullptr) << i;
        EXPECT_STREQ(e->name, kExpected[i].name);
        EXPECT_EQ(e->argumentCount, kExpected[i].count) << e->name;
        // Every function removes exactly its own doubles.
        std::vector<double> args(e->argumentCount, 0.375);
        int shift = -1;
        double v = CallReturningDouble(reinterpret_cast<const void *>(e->function), args, &shift);
        EXPECT_EQ(shift, 0) << e->name;
        EXPECT_TRUE(isfinite(v)) << e->name;
    }
    EXPECT_EQ(Entry(17), nullptr);
    EXPECT_EQ(Entry(-1), nullptr);
}

TEST_F(EllipticDll, ValuesThroughTheStdcallPointers)
{
    static const struct {
        const char *name;
        std::vector<double> args;
        double expected;
    } kCases[] = {
        {"EllipticK", {0.5}, 1.8540746773013719},
        {"EllipticE1", {0.5}, 1.3506438810476755},
        {"EllipticF", {1, 0.5}, 1.0832167728451687},
        {"EllipticE", {1, 0.5}, 0.92732988362444007},
        {"EllipticPi", {0.3, 0.8, 0.6}, 0.90902211067804127},
        {"JacobiSN", {0.5, 0.3}, 0.47421562271182066},
        {"JacobiCN", {0.5, 2}, 0.89553804081906535},
        {"EllipticE1", {1}, 1.0},
    };
    for (const auto &c : kCases) {
        const MathFunctionEntry *e = Find(c.name);
        ASSERT_NE(e, nullptr) << c.name;
        int shift = -1;
        double v = CallReturningDouble(reinterpret_cast<const void *>(e->function), c.args, &shift);
        EXPECT_EQ(shift, 0) << c.name;
        EXPECT_NEAR(v, c.expected, 1e-13 * fabs(c.expected)) << c.name;
    }
}

TEST_F(EllipticDll, ManyCallsThroughTypedPointers)
{
    // A convention mismatch would move the stack by the arguments' size on
    // every call and wreck this loop long before its end.
    typedef double(__stdcall * Fn2)(double, double);
    typedef double(__stdcall * Fn3)(double, double, double);
    Fn2 sn = reinterpret_cast<Fn2>(Find("JacobiSN")->function);
    Fn2 cn = reinterpret_cast<Fn2>(Find("JacobiCN")->function);
    Fn3 pi = reinterpret_cast<Fn3>(Find("EllipticPi")->function);
    double sum = 0;
    for (int i = 0; i < 20000; ++i) {
        double u = i * 0.001, m = (i % 100) * 0.01;
        double s = sn(u, m), c = cn(u, m);
        sum += s * s + c * c;
        sum += pi(0.0, u, m) - pi(0.0, u, m);
    }
    EXPECT_NEAR(sum, 20000.0, 1e-9);
}

TEST_F(EllipticDll, InvalidArgumentsShowTheBox)
{
    const MathFunctionEntry *e = Find("EllipticE");
    ASSERT_NE(e, nullptr);
    ModalAnswerer answer(IDOK, 30000);  // generous: a loaded machine makes Wine slow
    int shift = -1;
    double v = CallReturningDouble(reinterpret_cast<const void *>(e->function), {0.5, -0.5}, &shift);
    const ModalCapture &box = answer.Result();
    EXPECT_EQ(v, HUGE_VAL);
    EXPECT_EQ(shift, 0);
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.caption, "Error in Elliptic.dll");
    EXPECT_EQ(box.text, "Invalid arguments in elliptic function");
    EXPECT_EQ(box.buttons, std::vector<std::string>{"OK"});
}

} // namespace
