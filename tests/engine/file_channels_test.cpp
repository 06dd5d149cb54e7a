// File channels through compiled expressions, with the dialogs answered by
// the recorder and real files in the test's temporary folder.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "compiler.h"
#include "eval_errors.h"
#include "file_channels.h"
#include "interpreter.h"
#include "memory.h"
#include "platform.h"
#include "platform_recorder.h"
#include "solver_method.h"
#include "string_ids.h"
#include "test_heap.h"
#include "workspace.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Text files are written in text mode: Windows ends their lines with CR LF.
#ifdef _WIN32
const std::string kNewline = "\r\n";
#else
const std::string kNewline = "\n";
#endif

std::string TempPath(const char *name) { return ::testing::TempDir() + "vr_channels_" + name; }

std::string FileBytes(const std::string &path) {
    std::string bytes;
    if (std::FILE *f = std::fopen(path.c_str(), "rb")) {
        char buffer[256];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
        std::fclose(f);
    }
    return bytes;
}

void WriteBytes(const std::string &path, const std::string &bytes) {
    std::FILE *f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

// Pictures "saved" by the graphics side while a test plays it.
std::vector<std::string> gSavedPictures;
bool gGraphActive;
bool GraphActive() { return gGraphActive; }
bool RecordPicture(const char *path) {
    gSavedPictures.push_back(path);
    return true;
}

class FileChannelsTest : public ::testing::Test {
protected:
    void SetUp() override {
        gRecorder.Reset();
        gRunState.stopRequested = 0;
        InstallEvalAbortHandler();
        gProblemKind = kOdeSystem;
        gDimension = 1;
        gParameterCount = 0;
        ASSERT_EQ(NewProblemWorkspace(), 1);
    }

    void TearDown() override {
        FreeFileChannels();
        FreeProblemWorkspace();
        gGraphPictureHooks = GraphPictureHooks();
        gSavedPictures.clear();
        gGraphActive = false;
        gRunState.stopRequested = 0;
        for (const std::string &path : created_) std::remove(path.c_str());
    }

    // A fresh path in the temporary folder, removed after the test.
    std::string Fresh(const char *name) {
        std::string path = TempPath(name);
        std::remove(path.c_str());
        created_.push_back(path);
        return path;
    }

    // Compiles and runs text inside a recovery point; it must not abort.
    double Value(const char *text) {
        unsigned char code[512];
        const int length = CompileExpression(text, code, sizeof code);
        EXPECT_GT(length, 0) << text;
        if (length == 0) return kNaN;
        volatile double value = kNaN;
        EvalRecovery r;
        BeginEvalRecovery(&r);
        volatile int jump = VR_SETJMP(gEvalJmpBuf);
        if (jump == 0) value = RunPcode(code);
        EndEvalRecovery(&r);
        EXPECT_EQ(jump, 0) << text;
        return value;
    }

    void Answer(int dialogButton, const std::string &name = "", const std::string &format = "") {
        gRecorder.channelAnswers.push_back({dialogButton, name, format});
    }

    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const RecordedBox &box : gRecorder.boxes) texts.push_back(box.text);
        return texts;
    }

    std::vector<std::string> created_;
};

TEST_F(FileChannelsTest, TextRoundTripWithRoundedChannelNumbers) {
    const std::string path = Fresh("round.txt");
    Answer(kIdOk, path, "%g\\n");
    EXPECT_EQ(Value("WRITE(1, 2.5)"), 2.5);  // asks for the file first
    EXPECT_EQ(Value("WRITE(1.4, -3) + WRITE(0.6, 1e-300)"), -3 + 1e-300);
    ASSERT_EQ(gRecorder.channelDialogs.size(), 1u);
    EXPECT_EQ(gRecorder.channelDialogs[0].dialogId, kDialogOutputFile);
    EXPECT_EQ(gRecorder.channelDialogs[0].channel, 1);
    EXPECT_EQ(gRecorder.channelDialogs[0].name, "");
    EXPECT_EQ(gRecorder.channelDialogs[0].format, "%g\\n");  // the default, as shown
    EXPECT_EQ(FileBytes(path), "2.5" + kNewline + "-3" + kNewline + "1e-300" + kNewline);

    Answer(kIdOk, path, "%lg");
    EXPECT_EQ(Value("READ(1)"), 2.5);
    ASSERT_EQ(gRecorder.channelDialogs.size(), 2u);
    EXPECT_EQ(gRecorder.channelDialogs[1].dialogId, kDialogInputFile);
    EXPECT_EQ(gRecorder.channelDialogs[1].format, "%lg");
    EXPECT_EQ(Value("READ(0.5)"), -3);
    EXPECT_EQ(Value("READ(1)"), 1e-300);
    EXPECT_TRUE(gRecorder.boxes.empty());

    // Past the last value: the error value and "No input file"; RESETREAD
    // starts again, and the channel keeps its file.
    EXPECT_EQ(Value("READ(1)"), kInf);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"No input file"});
    EXPECT_EQ(Value("RESETREAD(1, 7)"), 7);
    EXPECT_EQ(Value("READ(1)"), 2.5);
    EXPECT_EQ(gRecorder.channelDialogs.size(), 2u);
    EXPECT_EQ(gRunState.stopRequested, 0);

    EXPECT_EQ(Value("DELETEWRITE(1, 4)"), 4);
    EXPECT_EQ(std::fopen(path.c_str(), "rb"), nullptr);
    EXPECT_EQ(Value("WRITE(1, 8)"), 8);  // the name stays: appends to a new file
    EXPECT_EQ(FileBytes(path), "8" + kNewline);
}

TEST_F(FileChannelsTest, BinaryKindsFollowTheExtension) {
    const std::string doubles = Fresh("kind.DOUBLE");
    const std::string singles = Fresh("kind.single");
    Answer(kIdOk, doubles, "%g");
    Answer(kIdOk, singles, "%g");
    EXPECT_EQ(Value("WRITE(2, 1/3) + WRITE(2, -2.5)"), 1.0 / 3 - 2.5);
    EXPECT_EQ(Value("WRITE(3, 0.1) + WRITE(3, 1e300)"), 0.1 + 1e300);
    EXPECT_EQ(FileBytes(doubles).size(), 16u);  // 8 bytes a call
    EXPECT_EQ(FileBytes(singles).size(), 8u);

    Answer(kIdOk, doubles, "%lg");
    Answer(kIdOk, singles, "%lg");
    EXPECT_EQ(Value("READ(2)"), 1.0 / 3);
    EXPECT_EQ(Value("READ(2)"), -2.5);
    EXPECT_EQ(Value("READ(3)"), static_cast<double>(0.1f));
    EXPECT_EQ(Value("READ(3)"), kInf);  // beyond the float range: an infinity
    EXPECT_TRUE(gRecorder.boxes.empty());
    EXPECT_EQ(Value("READ(3)"), kInf);  // end of file
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"No input file"});

    EXPECT_EQ(ChannelKindOfName("a.Single"), kChannelSingle);
    EXPECT_EQ(ChannelKindOfName("a.doubles"), kChannelText);
    EXPECT_EQ(ChannelKindOfName("a.double.txt"), kChannelText);
    EXPECT_EQ(ChannelKindOfName("double"), kChannelText);
}

// Text files written elsewhere: bare line feeds, CR LF and other separators
// read the same, and positions are byte offsets.
TEST_F(FileChannelsTest, ReadsForeignTextFiles) {
    const std::string path = Fresh("foreign.txt");
    WriteBytes(path, "1.5\n2\r\n  -7e2\r\n16; 4,5\n");
    Answer(kIdOk, path, "%lg");
    EXPECT_EQ(Value("READ(4)"), 1.5);
    EXPECT_EQ(Value("READ(4)"), 2);
    EXPECT_EQ(Value("READ(4)"), -700);
    EXPECT_EQ(gInputChannels.selected->position, 13);
    EXPECT_EQ(Value("READ(4)"), 16);
    EXPECT_EQ(Value("READ(4)"), kInf);  // ";" is not a number
    EXPECT_EQ(gInputChannels.selected->position, 17);  // and the position stays

    // A format with its own separator and a float conversion.
    const std::string csv = Fresh("foreign.csv");
    WriteBytes(csv, "0.25;x 3;x");
    Answer(kIdOk, csv, "%g;x");
    EXPECT_EQ(Value("READ(5)"), 0.25);
    EXPECT_EQ(Value("READ(5)"), 3);
    EXPECT_EQ(gRecorder.boxes.size(), 1u);
}

// Every failure: the result, the boxes shown, and whether the next use asks
// for the file again.
struct FailureCase {
    const char *name;
    std::vector<ChannelDialogAnswer> answers;
    const char *expression;
    double result;
    std::vector<std::string> boxes;
    int dialogsShown;
    bool stopRequested;
};

std::string Missing() { return TempPath("missing/none.txt"); }

TEST_F(FileChannelsTest, FailuresGiveTheErrorValueAndTheirMessage) {
    const std::string existing = Fresh("exists.txt");
    WriteBytes(existing, "abc 1\n");
    const std::string notANumber = "No input file";
    const FailureCase cases[] = {
        {"NaN channel", {}, "WRITE(NAN(), 1)", kInf, {}, 0, false},
        {"infinite channel", {}, "READ(INF())", kInf, {}, 0, false},
        {"channel beyond int", {}, "RESETREAD(3e9, 1)", kInf, {}, 0, false},
        {"negative channel beyond int", {}, "OPENWRITE(-3e9, 1)", kInf, {}, 0, false},
        {"write dialog cancelled", {{kIdCancel, "", ""}}, "WRITE(1, 5)", kInf, {}, 1, true},
        {"read dialog cancelled", {{kIdCancel, "", ""}}, "READ(1)", kInf, {}, 1, true},
        {"OPENWRITE cancelled", {{kIdCancel, "", ""}}, "OPENWRITE(1, 5)", kInf, {}, 1, true},
        {"unopenable write file", {{kIdOk, Missing(), "%g"}}, "WRITE(1, 5)", kInf,
         {"Output to file failed"}, 1, false},
        {"unopenable read file", {{kIdOk, Missing(), "%lg"}}, "READ(1)", kInf,
         {"No input file"}, 1, false},
        {"text that is no number", {{kIdOk, existing, "%lg"}}, "READ(1)", kInf, {notANumber}, 1, false},
        {"format converting nothing", {{kIdOk, existing, "abc"}}, "READ(1)", kInf, {notANumber}, 1, false},
        {"empty answer counts as cancel", {{kIdOk, "", "%g"}}, "WRITE(1, 5)", kInf, {}, 1, true},
        {"DELETEWRITE without a file", {}, "DELETEWRITE(1, 5)", 5, {}, 0, false},
        {"RESETBMP of a new channel", {}, "RESETBMP(1, 5)", 5, {}, 0, false},
        {"BMP outside a graph window", {}, "BMP(1, 5)", kInf, {}, 0, false},
    };
    for (const FailureCase &c : cases) {
        SCOPED_TRACE(c.name);
        FreeFileChannels();
        gRecorder.Reset();
        gRunState.stopRequested = 0;
        gRecorder.channelAnswers = c.answers;
        const double value = Value(c.expression);
        EXPECT_TRUE(value == c.result) << value;
        EXPECT_EQ(BoxTexts(), c.boxes);
        EXPECT_EQ(static_cast<int>(gRecorder.channelDialogs.size()), c.dialogsShown);
        EXPECT_EQ(gRunState.stopRequested != 0, c.stopRequested);
    }
    EXPECT_EQ(FileBytes(existing), "abc 1\n");
}

// An unopenable file's name is forgotten, so the next use asks again; a
// failed read past the end keeps it.
TEST_F(FileChannelsTest, UnopenableFileIsAskedForAgain) {
    const std::string good = Fresh("second.txt");
    Answer(kIdOk, Missing(), "%g");
    Answer(kIdOk, good, "%.3f\\t");
    EXPECT_EQ(Value("WRITE(9, 1)"), kInf);
    EXPECT_EQ(gOutputChannels.selected->fileName, nullptr);
    EXPECT_EQ(Value("WRITE(9, 2)"), 2);
    ASSERT_EQ(gRecorder.channelDialogs.size(), 2u);
    EXPECT_EQ(gRecorder.channelDialogs[1].name, "");
    EXPECT_EQ(gRecorder.channelDialogs[1].format, "%g");  // what the user gave last time
    EXPECT_EQ(FileBytes(good), "2.000\t");
}

// Formats that would read or write through a missing argument, or pad
// without bound, are refused in the dialog: it asks again after a message.
TEST_F(FileChannelsTest, UnsafeFormatsAreRefusedAndAskedAgain) {
    struct FormatCase {
        const char *format;
        ChannelFormatUse use;
        bool safe;
    };
    const FormatCase formats[] = {
        {"%g\n", kFormatPrintDouble, true},
        {"t=%+12.6e, ", kFormatPrintDouble, true},
        {"%%%lf%%", kFormatPrintDouble, true},
        {"plain", kFormatPrintDouble, true},
        {"%g %g", kFormatPrintDouble, false},
        {"%s", kFormatPrintDouble, false},
        {"%n", kFormatPrintDouble, false},
        {"%d", kFormatPrintDouble, false},
        {"%Lg", kFormatPrintDouble, false},
        {"%*g", kFormatPrintDouble, false},
        {"%9999g", kFormatPrintDouble, false},
        {"%.9999g", kFormatPrintDouble, false},
        {"%", kFormatPrintDouble, false},
        {"%lg", kFormatScanDouble, true},
        {"%*lg%lg", kFormatScanDouble, true},
        {"%g,", kFormatScanDouble, true},
        {"%lg%lg", kFormatScanDouble, false},
        {"%[0-9]", kFormatScanDouble, false},
        {"%c", kFormatScanDouble, false},
        {"%-lg", kFormatScanDouble, false},
        {"scr%05d.bmp", kFormatPrintInt, true},
        {"same.bmp", kFormatPrintInt, true},
        {"a%x%%.bmp", kFormatPrintInt, true},
        {"%s.bmp", kFormatPrintInt, false},
        {"%d%d.bmp", kFormatPrintInt, false},
        {"%ld.bmp", kFormatPrintInt, false},
        {"%g.bmp", kFormatPrintInt, false},
    };
    for (const FormatCase &f : formats) EXPECT_EQ(IsSafeChannelFormat(f.format, f.use), f.safe) << f.format;
    EXPECT_FALSE(IsSafeChannelFormat(nullptr, kFormatPrintDouble));

    // An escape that makes a "%s" is caught after unescaping.
    const std::string path = Fresh("safe.txt");
    Answer(kIdOk, path, "\\x25s");
    Answer(kIdOk, path, "[%g]");
    EXPECT_EQ(Value("WRITE(1, 3)"), 3);
    ASSERT_EQ(gRecorder.channelDialogs.size(), 2u);
    EXPECT_EQ(gRecorder.channelDialogs[1].format, "\\x25s");  // the user's text comes back
    ASSERT_EQ(gRecorder.boxes.size(), 1u);
    EXPECT_NE(gRecorder.boxes[0].text.find("Invalid format \"\\x25s\""), std::string::npos);
    EXPECT_EQ(FileBytes(path), "[3]");
}

TEST_F(FileChannelsTest, BitmapSequenceNamesAndCounters) {
    gGraphPictureHooks = {GraphActive, RecordPicture};
    gRecorder.channelAnswers.push_back({kIdOk, "C:\\pics", "scr%05d.bmp"});
    EXPECT_EQ(Value("BMP(1, 2)"), kInf);  // no graph window active: nothing asked or saved
    EXPECT_TRUE(gRecorder.channelDialogs.empty());

    gGraphActive = true;
    EXPECT_EQ(Value("BMP(1, 2) + BMP(1, 3)"), 5);
    ASSERT_EQ(gRecorder.channelDialogs.size(), 1u);
    EXPECT_EQ(gRecorder.channelDialogs[0].dialogId, kDialogBmpFiles);
    EXPECT_EQ(gRecorder.channelDialogs[0].format, "scr%05d.bmp");
    EXPECT_EQ(Value("RESETBMP(1, 0) + BMP(1, 4)"), 4);
    EXPECT_EQ(gSavedPictures,
              (std::vector<std::string>{"C:\\pics\\scr00001.bmp", "C:\\pics\\scr00002.bmp", "C:\\pics\\scr00001.bmp"}));

    // OPENBMP asks again, showing what the channel has.
    gRecorder.channelAnswers.push_back({kIdOk, "D:\\out\\", "f%d.bmp"});
    EXPECT_EQ(Value("OPENBMP(1, 6)"), 6);
    EXPECT_EQ(gRecorder.channelDialogs[1].name, "C:\\pics");
    EXPECT_EQ(Value("BMP(1, 1)"), 1);
    EXPECT_EQ(gSavedPictures.back(), "D:\\out\\f2.bmp");
    EXPECT_TRUE(gRecorder.boxes.empty());

    char name[32];
    EXPECT_TRUE(FormatBitmapFileName(name, sizeof name, "dir", "p%03d.bmp", 7));
    EXPECT_STREQ(name, "dir\\p007.bmp");
    EXPECT_FALSE(FormatBitmapFileName(name, 12, "dir", "p%03d.bmp", 7));  // one byte short
    EXPECT_STREQ(name, "");
    EXPECT_TRUE(FormatBitmapFileName(name, 13, "dir", "p%03d.bmp", 7));
    EXPECT_FALSE(FormatBitmapFileName(name, sizeof name, "dir", "%s", 7));
    const std::string longFolder(40, 'f');
    EXPECT_FALSE(FormatBitmapFileName(name, sizeof name, longFolder.c_str(), "p.bmp", 7));
}

TEST_F(FileChannelsTest, InputAndMessage) {
    gRecorder.inputAnswers.push_back({kIdOk, -4.25});
    EXPECT_EQ(Value("INPUT(2.5) * 2"), -8.5);
    ASSERT_EQ(gRecorder.inputPrompts.size(), 1u);
    EXPECT_EQ(gRecorder.inputPrompts[0], "Input 2.5:");
    EXPECT_EQ(gRunState.stopRequested, 0);

    // Cancel ends the run and hands x on.
    EXPECT_EQ(Value("INPUT(1e-7)"), 1e-7);
    EXPECT_EQ(gRecorder.inputPrompts[1], "Input 1e-07:");
    EXPECT_EQ(gRunState.stopRequested, 1);

    EXPECT_EQ(Value("MESSAGE(-0.125) + 1"), 0.875);
    ASSERT_EQ(gRecorder.boxes.size(), 1u);
    EXPECT_EQ(gRecorder.boxes[0].text, "-0.125");
    EXPECT_EQ(gRecorder.boxes[0].caption, "Vantorel Message");
    EXPECT_EQ(gRecorder.boxes[0].helpId, IDS_MESSAGE_CAPTION);
    EXPECT_EQ(gRecorder.boxes[0].style & 0xF0u, static_cast<unsigned>(kMbIconInformation));

    double v = 0;
    EXPECT_TRUE(ParseInputValue(" 3.5e2 ", &v));
    EXPECT_EQ(v, 350);
    for (const char *bad : {"", "  ", "abc", "3x", "1,5", "--1"}) EXPECT_FALSE(ParseInputValue(bad, &v)) << bad;
    EXPECT_EQ(v, 350);
}

TEST_F(FileChannelsTest, NoMemoryForAChannel) {
    ASSERT_NE(SelectOutputChannel(1), nullptr);
    FailHeapAfter(0, 1000);  // the table and the solver's give-back both fail
    const double value = Value("WRITE(2, 5)");
    FailHeapAfter(-1);
    gOutOfMemory = 0;
    EXPECT_EQ(value, kInf);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Not enough memory"});
    EXPECT_TRUE(gRecorder.channelDialogs.empty());
    EXPECT_EQ(gOutputChannels.count, 1);
    EXPECT_EQ(gOutputChannels.entries[0].number, 1);
}

// Many channels, then everything freed; the heap checker of the sanitizer
// build sees any text left behind.
TEST_F(FileChannelsTest, TablesGrowAndFree) {
    for (int n = -20; n < 20; ++n) {
        ASSERT_NE(SelectOutputChannel(n), nullptr);
        ASSERT_NE(SelectInputChannel(n * 3), nullptr);
        ASSERT_NE(SelectBitmapChannel(n * 7), nullptr);
    }
    EXPECT_EQ(gOutputChannels.count, 40);
    EXPECT_EQ(SelectOutputChannel(5), gOutputChannels.selected);
    EXPECT_EQ(gOutputChannels.selected->number, 5);
    EXPECT_EQ(gOutputChannels.count, 40);
    EXPECT_STREQ(SelectInputChannel(-60)->format, "%lg");
    FreeFileChannels();
    EXPECT_EQ(gOutputChannels.entries, nullptr);
    EXPECT_EQ(gBitmapChannels.count, 0);
    EXPECT_EQ(gInputChannels.selected, nullptr);
}

}  // namespace
