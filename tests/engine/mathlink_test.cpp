// The link to a computer-algebra kernel, against the stand-in link library
// linked into this program: a fake loader hands out its entry points, and
// its log shows what the kernel received.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "compiler.h"
#include "eval_errors.h"
#include "interpreter.h"
#include "mathlink.h"
#include "memory.h"
#include "messages.h"
#include "platform_recorder.h"
#include "problem_settings.h"
#include "string_ids.h"
#include "workspace.h"

#include "../mathlink/link_eval.h"
#include "../mathlink/standin_link.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr int kSilentJump = 10035;

void SetEnv(const char *name, const char *value) {
#if defined(_WIN32)
    _putenv_s(name, value ? value : "");
#else
    if (value) setenv(name, value, 1);
    else unsetenv(name);
#endif
}

std::string LogPath() { return ::testing::TempDir() + "mathlink_standin.log"; }

void AppendLog(const std::string &line) {
    std::ofstream(LogPath(), std::ios::app) << line << "\n";
}

// The fake loader: libraries named "standin*.dll" are the stand-in, and
// "partial*.dll" the stand-in without MLPutMessage; "*.mlp" loads.
char gStandin, gPartial, gProtocol;
int gLoaded;
unsigned gTicks;
int gWaitCursors, gRestores;

void *Load(const char *path) {
    std::string p = path;
    void *m = nullptr;
    if (p.find(".mlp") != std::string::npos) m = &gProtocol;
    else if (p.rfind("standin", 0) == 0) m = &gStandin;
    else if (p.rfind("partial", 0) == 0) m = &gPartial;
    if (m) ++gLoaded;
    return m;
}
void *Find(void *module, const char *name) {
    if (module == &gPartial && std::strcmp(name, "MLPutMessage") == 0) return nullptr;
    return FindStandinEntry(name);
}
void Free(void *) { --gLoaded; }
void Start(const char *commandLine) { AppendLog(std::string("start ") + commandLine); }

struct Outcome {
    int jump;
    double value;
};

class MathLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        gRecorder.Reset();
        MakeLinkProblem();
        gMathLinkOn = 1;
        gMathLinkSettings = MathLinkSettings{};
        std::strcpy(gMathLinkSettings.library[0], "standin.dll");
        std::strcpy(gMathLinkSettings.protocolModule[0], "map.mlp");
        std::strcpy(gMathLinkSettings.before[0], "-linkname");
        std::strcpy(gMathLinkSettings.kernel, "C:\\Kernel\\MathKernel.exe");
        std::strcpy(gMathLinkSettings.after[0], "-mathlink");
        gMathLinkHost = MathLinkHost{};
        gMathLinkHost.loadLibrary = Load;
        gMathLinkHost.findProc = Find;
        gMathLinkHost.freeLibrary = Free;
        gMathLinkHost.startCommand = Start;
        gMathLinkHost.showWaitCursor = [] { ++gWaitCursors; };
        gMathLinkHost.restoreCursor = [] { ++gRestores; };
        gMathLinkHost.tickCount = [] { return gTicks; };
        gMathLinkHost.sleep = [](unsigned ms) { gTicks += ms; };
        gLoaded = 0;
        gTicks = 0;
        gWaitCursors = gRestores = 0;
        std::remove(LogPath().c_str());
        SetEnv("VR_MATHLINK_LOG", LogPath().c_str());
    }

    void TearDown() override {
        UnloadMathLink();
        EXPECT_EQ(gLoaded, 0) << "every loaded library is freed";
        EXPECT_EQ(gWaitCursors, gRestores) << "the cursor is always restored";
        gMathLinkHost = MathLinkHost{};
        gMathLinkSettings = MathLinkSettings{};
        gMathLinkAnswerTimeout = kMathLinkDefaultAnswerTimeout;
        gMathLinkOn = 0;
        SetEnv("VR_MATHLINK_LOG", nullptr);
        SetEnv("VR_MATHLINK_INIT_FAIL", nullptr);
        std::remove(LogPath().c_str());
        FreeLinkProblem();
    }

    Outcome Eval(const char *text) {
        Outcome o;
        o.jump = EvalWithLink(text, &o.value);
        return o;
    }

    double Value(const char *text) {
        Outcome o = Eval(text);
        EXPECT_EQ(o.jump, 0) << text;
        return o.value;
    }

    std::vector<std::string> Log() {
        std::vector<std::string> lines;
        std::ifstream in(LogPath());
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    // The log lines that begin with one of the prefixes, in order.
    std::vector<std::string> Log(std::vector<std::string> prefixes) {
        std::vector<std::string> kept;
        for (const std::string &line : Log())
            for (const std::string &p : prefixes)
                if (line.rfind(p, 0) == 0) {
                    kept.push_back(line);
                    break;
                }
        return kept;
    }

    int Count(const std::string &prefix) { return static_cast<int>(Log({prefix}).size()); }

    std::vector<std::string> Boxes() {
        std::vector<std::string> texts;
        for (const RecordedBox &b : gRecorder.boxes) texts.push_back(b.text);
        return texts;
    }
};

TEST_F(MathLinkTest, CallsEvaluateThroughTheKernelOnOneLinkAcrossEvaluations) {
    EXPECT_DOUBLE_EQ(Value("1 + $Sin(1)"), 1 + std::sin(1.0));
    EXPECT_DOUBLE_EQ(Value("$BesselJ(2, 3.5) * 2"), 2 * StandinBesselJ(2, 3.5));
    // A message and a text packet before the answer are passed over.
    EXPECT_DOUBLE_EQ(Value("$Chatty(4)"), 8);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(Log({"MLInitialize", "MLOpen", "packet", "MLClose"}),
              (std::vector<std::string>{"MLInitialize", "MLOpen 2 [-linkname] [C:\\Kernel\\MathKernel.exe -mathlink]",
                                        "packet N[Sin[1]]", "packet N[BesselJ[2, 3.5]]", "packet N[Chatty[4]]"}));
    EXPECT_EQ(gLoaded, 2);
    EXPECT_EQ(gWaitCursors, 3);

    // Shut-down and changed settings: the kernel is told to exit, both
    // libraries are freed, and the next call loads again.
    UnloadMathLink();
    EXPECT_EQ(gLoaded, 0);
    EXPECT_EQ(Log({"packet", "MLClose", "MLDeinitialize"}).back(), "MLDeinitialize");
    EXPECT_EQ(Log({"packet Exit", "MLClose", "MLDeinitialize"}),
              (std::vector<std::string>{"packet Exit[]", "MLClose", "MLDeinitialize"}));
    std::strcpy(gMathLinkSettings.after[0], "-mathlink -other");
    EXPECT_DOUBLE_EQ(Value("$Sin(0.5)"), std::sin(0.5));
    EXPECT_EQ(Log({"MLOpen"}).back(), "MLOpen 2 [-linkname] [C:\\Kernel\\MathKernel.exe -mathlink -other]");
}

struct ArgumentCase {
    int configuration;
    int mode;
    const char *arguments;  // "MathLinkArgs"
    const char *expected;
};

const ArgumentCase kArgumentCases[] = {
    {0, 0, "", "MLOpen 2 [-linkname] [C:\\Kernel\\MathKernel.exe -mathlink]"},
    {1, 0, "", "MLOpen 8 [-linkprotocol] [TCP] [-linkmode] [listen] [-linkname] [1024] [-linkhost] [calc.example]"},
    {1, 1, "", "MLOpen 8 [-linkprotocol] [TCP] [-linkmode] [connect] [-linkname] [1024] [-linkhost] [calc.example]"},
    {1, 2, "", "MLOpen 8 [-linkprotocol] [TCP] [-linkmode] [launch] [-linkname] [1024] [-linkhost] [calc.example]"},
    // A stored mode or configuration outside the choices counts as the first.
    {1, 7, "", "MLOpen 8 [-linkprotocol] [TCP] [-linkmode] [listen] [-linkname] [1024] [-linkhost] [calc.example]"},
    {5, 0, "", "MLOpen 2 [-linkname] [C:\\Kernel\\MathKernel.exe -mathlink]"},
    {2, 0, " -linkname \"C:\\Program Files\\k.exe -mathlink\"  -linkmode launch",
     "MLOpen 4 [-linkname] [C:\\Program Files\\k.exe -mathlink] [-linkmode] [launch]"},
    {2, 0, "", "MLOpen 0"},
    {2, 0, "a b c d e f g h i j k l m n o p q r s t u v w x y z 27 28 29 30 31 32 33 34",
     "MLOpen 32 [a] [b] [c] [d] [e] [f] [g] [h] [i] [j] [k] [l] [m] [n] [o] [p] [q] [r] [s] [t] [u] [v] [w] "
     "[x] [y] [z] [27] [28] [29] [30] [31] [32]"},
};

TEST_F(MathLinkTest, EachConfigurationBuildsItsArgumentVector) {
    for (const ArgumentCase &c : kArgumentCases) {
        UnloadMathLink();
        std::remove(LogPath().c_str());
        gMathLinkSettings.configuration = c.configuration;
        gMathLinkSettings.mode = c.mode;
        for (int i = 1; i < 3; ++i) {
            std::strcpy(gMathLinkSettings.library[i], "standin.dll");
            std::strcpy(gMathLinkSettings.protocolModule[i], "tcp.mlp");
        }
        std::strcpy(gMathLinkSettings.linkName, "1024");
        std::strcpy(gMathLinkSettings.linkHost, "calc.example");
        std::strcpy(gMathLinkSettings.arguments, c.arguments);
        EXPECT_DOUBLE_EQ(Value("$Sin(1)"), std::sin(1.0)) << c.expected;
        // The stand-in notes a vector without its null entry.
        EXPECT_EQ(Log({"MLOpen"}), std::vector<std::string>{c.expected});
    }
}

TEST_F(MathLinkTest, InitializationTextsAndCommandLinesSurroundTheOpening) {
    // The local configuration starts no command lines: its "before" and
    // "after" are arguments.
    std::strcpy(gMathLinkSettings.initialization[0], "a = 1");
    SetNonEmptyStringCopy(gMathematicaInit, "b = 2");
    EXPECT_DOUBLE_EQ(Value("$Sin(1)"), std::sin(1.0));
    EXPECT_EQ(Log({"start", "MLOpen", "packet"}),
              (std::vector<std::string>{"MLOpen 2 [-linkname] [C:\\Kernel\\MathKernel.exe -mathlink]",
                                        "packet Enter[\"a = 1\"]", "packet Enter[\"b = 2\"]", "packet N[Sin[1]]"}));

    for (int configuration : {1, 2}) {
        UnloadMathLink();
        std::remove(LogPath().c_str());
        gMathLinkSettings = MathLinkSettings{};
        gMathLinkSettings.configuration = configuration;
        std::strcpy(gMathLinkSettings.library[configuration], "standin.dll");
        std::strcpy(gMathLinkSettings.protocolModule[configuration], "tcp.mlp");
        std::strcpy(gMathLinkSettings.arguments, "-linkname 7");
        std::strcpy(gMathLinkSettings.before[configuration], "before.exe /x");
        std::strcpy(gMathLinkSettings.after[configuration], "after.exe");
        std::strcpy(gMathLinkSettings.initialization[configuration], "c = 3");
        FreeAndNull(gMathematicaInit);
        EXPECT_DOUBLE_EQ(Value("$Sin(2)"), std::sin(2.0));
        EXPECT_EQ(Log({"start", "MLInitialize", "MLOpen", "packet"}),
                  (std::vector<std::string>{"MLInitialize", "start before.exe /x", Log({"MLOpen"})[0],
                                            "packet Enter[\"c = 3\"]", "start after.exe", "packet N[Sin[2]]"}))
            << configuration;
    }

    // Empty texts and command lines send and start nothing.
    UnloadMathLink();
    std::remove(LogPath().c_str());
    gMathLinkSettings.initialization[2][0] = 0;
    gMathLinkSettings.before[2][0] = gMathLinkSettings.after[2][0] = 0;
    EXPECT_DOUBLE_EQ(Value("$Sin(3)"), std::sin(3.0));
    EXPECT_EQ(Log({"start", "packet"}), std::vector<std::string>{"packet N[Sin[3]]"});
}

TEST_F(MathLinkTest, AResultThatIsNotARealNumberAbortsTheEvaluation) {
    for (const char *call : {"$Round(2.7)", "$Symbol()", "$Unknown(1, 2)"}) {
        gRecorder.Reset();
        const std::string text = std::string("1 + ") + call;
        Outcome o = Eval(text.c_str());
        EXPECT_EQ(o.jump, kSilentJump) << call;
        EXPECT_EQ(gEvalError, kEvalSilentAbort);
        EXPECT_EQ(Boxes(), std::vector<std::string>{"The return value from Mathematica was not a real number"});
        EXPECT_EQ(gRecorder.boxes[0].helpId, IDS_MATHLINK_NOT_REAL);
    }
    // The link stays open and in step: the next answer is the next call's.
    EXPECT_DOUBLE_EQ(Value("$Sin(1)"), std::sin(1.0));
    EXPECT_EQ(Count("MLOpen"), 1);
}

TEST_F(MathLinkTest, FatalLinkErrorsCloseTheLinkAndTheNextCallReopensIt) {
    struct Case {
        int error;
        bool closes;
    };
    for (Case c : {Case{1, true}, Case{9, true}, Case{10, true}, Case{11, true}, Case{3, false}, Case{12, false}}) {
        UnloadMathLink();
        std::remove(LogPath().c_str());
        gRecorder.Reset();
        const std::string call = "$LinkError(" + std::to_string(c.error) + ", 0)";
        EXPECT_EQ(Eval(call.c_str()).jump, kSilentJump);
        // The failed read is reported once, as the link's error.
        EXPECT_EQ(Boxes(), std::vector<std::string>{"Mathematica error:\nstand-in link error " +
                                                    std::to_string(c.error)});
        EXPECT_EQ(gMathLink.link == nullptr, c.closes) << c.error;
        EXPECT_EQ(Count("MLClose"), c.closes ? 1 : 0);
        EXPECT_DOUBLE_EQ(Value("$Sin(1)"), std::sin(1.0));
        EXPECT_EQ(Count("MLOpen"), c.closes ? 2 : 1) << c.error;
    }
}

TEST_F(MathLinkTest, ALongKernelMessageIsCutVisiblyToFitTheBox) {
    for (int length : {100, 237, 238, 600, 5000}) {
        gRecorder.Reset();
        const std::string call = "$LinkError(3, " + std::to_string(length) + ")";
        EXPECT_EQ(Eval(call.c_str()).jump, kSilentJump);
        ASSERT_EQ(gRecorder.boxes.size(), 1u);
        const std::string &box = gRecorder.boxes[0].text;
        EXPECT_LE(box.size(), static_cast<size_t>(kMessageBufferSize - 1)) << length;
        EXPECT_EQ(box.rfind("Mathematica error:\nxxx", 0), 0u);
        const bool fits = std::strlen("Mathematica error:\n") + length <= static_cast<size_t>(kMessageBufferSize - 1);
        EXPECT_EQ(box.substr(box.size() - 3), fits ? "END" : "...") << length;
        if (fits) EXPECT_EQ(box.size(), std::strlen("Mathematica error:\n") + length);
        else EXPECT_EQ(box.size(), static_cast<size_t>(kMessageBufferSize - 1));
    }
}

TEST_F(MathLinkTest, MissingLibrariesAreReportedOnEveryCallUntilTheyAreFound) {
    for (const char *library : {"", "nowhere.dll"}) {
        for (const char *module : {"map.mlp", ""}) {
            gRecorder.Reset();
            std::strcpy(gMathLinkSettings.library[0], library);
            std::strcpy(gMathLinkSettings.protocolModule[0], module);
            for (int call = 0; call < 2; ++call) EXPECT_EQ(Eval("$Sin(1)").jump, kSilentJump);
            EXPECT_EQ(Boxes(), std::vector<std::string>(2, "Could not find Mathematica interface libraries\n"
                                                           "Check Configuration/Mathematica interface"));
            EXPECT_EQ(gLoaded, 0) << library << module;
        }
    }
    // A library without the protocol module is freed again.
    gRecorder.Reset();
    std::strcpy(gMathLinkSettings.library[0], "standin.dll");
    EXPECT_EQ(Eval("$Sin(1)").jump, kSilentJump);
    EXPECT_EQ(gLoaded, 0);
    // One entry point short: unloaded, and the same message.
    std::strcpy(gMathLinkSettings.protocolModule[0], "map.mlp");
    std::strcpy(gMathLinkSettings.library[0], "partial.dll");
    EXPECT_EQ(LoadMathLink(), 0);
    EXPECT_EQ(gLoaded, 0);
    EXPECT_EQ(GetMathLinkProc("Open"), nullptr);
    EXPECT_EQ(Eval("$Sin(1)").jump, kSilentJump);
    EXPECT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(gRecorder.boxes.back().helpId, IDS_MATHLINK_NO_LIBRARIES);
    EXPECT_EQ(Count("MLInitialize"), 0);
    // Found at last.
    std::strcpy(gMathLinkSettings.library[0], "standin.dll");
    EXPECT_DOUBLE_EQ(Value("$Sin(1)"), std::sin(1.0));
}

TEST_F(MathLinkTest, AKernelThatCannotStartIsReportedAndTriedAgain) {
    // A failing MLInitialize is silent.
    SetEnv("VR_MATHLINK_INIT_FAIL", "1");
    EXPECT_EQ(Eval("$Sin(1)").jump, kSilentJump);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(Count("MLOpen"), 0);
    SetEnv("VR_MATHLINK_INIT_FAIL", nullptr);

    std::strcpy(gMathLinkSettings.kernel, "C:\\no-kernel.exe");
    EXPECT_EQ(Eval("$Sin(1)").jump, kSilentJump);
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Could not start Mathematica\nCheck Configuration/Mathematica interface"});
    EXPECT_EQ(gMathLink.env, nullptr);
    EXPECT_EQ(Count("MLDeinitialize"), 1);
    std::strcpy(gMathLinkSettings.kernel, "C:\\kernel.exe");
    EXPECT_DOUBLE_EQ(Value("$Sin(1)"), std::sin(1.0));
}

TEST_F(MathLinkTest, AnInitializationThatBreaksTheLinkEndsTheOpening) {
    std::strcpy(gMathLinkSettings.initialization[0], "LinkError");
    SetNonEmptyStringCopy(gMathematicaInit, "b = 2");
    EXPECT_EQ(Eval("$Sin(1)").jump, kSilentJump);
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Mathematica error:\nstand-in link error 1"});
    EXPECT_EQ(gMathLink.link, nullptr);
    EXPECT_EQ(Count("packet Enter[\"b = 2\"]"), 0);
    gMathLinkSettings.initialization[0][0] = 0;
    EXPECT_DOUBLE_EQ(Value("$Sin(1)"), std::sin(1.0));
}

TEST_F(MathLinkTest, AKernelThatNeverAnswersIsGivenUpAfterTheBound) {
    EXPECT_EQ(gMathLinkAnswerTimeout, 60000u);
    gMathLinkAnswerTimeout = 2000;
    // Slow but within the bound: the answer is taken.
    EXPECT_DOUBLE_EQ(Value("$Slow(2500)"), 2500);
    EXPECT_LT(gTicks, 2000u);
    EXPECT_TRUE(Boxes().empty());

    gTicks = 0;
    EXPECT_EQ(Eval("$Hang()").jump, kSilentJump);
    EXPECT_GE(gTicks, 2000u);
    EXPECT_LT(gTicks, 2100u);
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Mathematica did not answer within 2 seconds\n"
                                                "The link to the kernel has been closed"});
    // Told to end, never read, and closed, so no late answer is taken for
    // the next call's.
    EXPECT_EQ(Log({"MLPutMessage", "MLNextPacket", "MLClose"}),
              (std::vector<std::string>{"MLPutMessage 1", "MLClose"}));
    EXPECT_EQ(gMathLink.link, nullptr);
    EXPECT_DOUBLE_EQ(Value("$Sin(1)"), std::sin(1.0));
    EXPECT_EQ(Count("MLOpen"), 2);
}

TEST_F(MathLinkTest, WithoutALinkEveryStepFailsQuietly) {
    PutMathLinkArgument(1);
    EXPECT_EQ(FinishMathLinkCall(), kInf);
    EXPECT_EQ(CheckMathLinkError(), 0);
    CloseMathLinkKernel();
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(gLoaded, 0);
    // Names never overrun the lookup buffer.
    ASSERT_EQ(LoadMathLink(), 1);
    EXPECT_NE(GetMathLinkProc("Open"), nullptr);
    EXPECT_EQ(GetMathLinkProc(std::string(100, 'a').c_str()), nullptr);
}

}  // namespace
