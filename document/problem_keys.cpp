#include "problem_keys.h"

#include "graph_state.h"
#include "problem_settings.h"
#include "text_window_state.h"
#include "workspace.h"

unsigned gFileVersion;

namespace {

#define CELL(expr) []() -> void * { return static_cast<void *>(&(expr)); }
// Name of one of the first seven column entries (the table is rebuilt with
// the workspace).
#define COLUMN_NAME(i) \
    []() -> void * { return gColumnTable && (i) < gColumnCount ? &gColumnTable[i].name : nullptr; }

// A key that stores one problem setting: its cell and its value type come
// from the setting's entry; the row keeps the file's own facts.
template <ProblemSettingId id> void *SettingCell() { return kProblemSettings[id].cell; }
#define SETTING_KEY(id, name, flags, noWrite, firstVersion, lastVersion)                                        \
    {KeyTypeOfValue(kProblemSettings[kSetting##id].kind), name, SettingCell<kSetting##id>, flags, noWrite, \
     firstVersion, lastVersion, 0, nullptr}

constexpr int C = kCurrentKey;
constexpr unsigned char NM = kKeyNotMap, MO = kKeyMapOnly, MC = kKeyMachine;

bool ValidStackLength(long long v) { return v >= kMinStackLength && v <= kMaxStackLength; }
bool ValidPcodeLength(long long v) { return v >= kMinPcodeLength && v <= kMaxPcodeLength; }
bool ValidParameterCount(long long v) { return v >= 0 && v <= kMaxParameters; }
bool ValidColumnCount(long long v) { return v >= 0 && v <= kMaxTextColumns; }
// A column of the problem: 0 the independent variable, 1..n the variables.
bool ValidAxisSelection(long long v) { return v >= 0 && v <= static_cast<long long>(gDimension); }

}  // namespace

const ProblemKeyDescriptor kVersionTable[] = {
    {kKeyUnsigned, "Version", CELL(gFileVersion), 0, 0, 0, C, 0, nullptr},
};

const ProblemKeyDescriptor kTypeTable[] = {
    {kKeyIdentifier, "Identifier", nullptr, 0, 0, 0, C, 0, nullptr},
    {kKeyHeader, "[Type]", nullptr, 0, 0, 0, C, 0, nullptr},
    {kKeyRadio, "Single ODE", CELL(gProblemKind), 0, 0, 0, C, 0, nullptr},
    {kKeyRadio, "System of ODEs", CELL(gProblemKind), 1, 0, 0, C, 0, nullptr},
    {kKeyRadio, "Map", CELL(gProblemKind), 2, 0, 0, C, 0, nullptr},
    {kKeyUnsigned, "Dimension/Order", CELL(gDimension), 0, 0, 0, C, kArgDimension, nullptr},
    {kKeyUnsigned, "Stack length", CELL(gStackLength), MC, 0, 0, C, 0, ValidStackLength},
    {kKeyUnsigned, "P-code length", CELL(gPcodeLength), MC, 0, 0, C, 0, ValidPcodeLength},
    SETTING_KEY(HeavisideZero, "Heaviside(0)", 0, 0, 0, C),
};

const ProblemKeyDescriptor kGlobalTable[] = {
    {kKeyHeader, "[Variables]", nullptr, 0, 0, 0, C, 0, nullptr},
    {kKeyString, "Independent variable", COLUMN_NAME(kColumnTime), 0, 0, 0, C, 0, nullptr},
    {kKeyString, "Dependent variable(s)", COLUMN_NAME(kColumnVariables), 0, 0, 0, C, 0, nullptr},
    {kKeyNames, "Individual names", nullptr, 0, 0, 0, C, kArgVariableNames, nullptr},
    {kKeyString, "Independent variable(0)", COLUMN_NAME(kColumnInitialTime), 0, 0, 0, C, 0, nullptr},
    {kKeyString, "Dependent variable(0)", COLUMN_NAME(kColumnInitial), 0, 0, 0, C, 0, nullptr},
    {kKeyNames, "Individual names(0)", nullptr, 0, 0, 0, C, kArgInitialNames, nullptr},
    {kKeyString, "Poincare/Bifurcation time", COLUMN_NAME(kColumnTrajectory), 0, 0, 0, 0, 0, nullptr},
    {kKeyHeader, "[Parameters]", nullptr, 0, 0, 30, C, 0, nullptr},
    {kKeyParameters, "Parameters", nullptr, 0, 0, 0, C, 0, ValidParameterCount},
    {kKeyString, "Poincare/Bifurcation time", COLUMN_NAME(kColumnTrajectory), 0, 0, 30, C, 0, nullptr},
    SETTING_KEY(PhaseXMin, "Phase-portrait x min", 0, 0, 0, C),
    {kKeyString, "Phase-portrait x name", COLUMN_NAME(kColumnFamilyX), 0, 0, 0, C, 0, nullptr},
    SETTING_KEY(PhaseXMax, "Phase-portrait x max", 0, 0, 0, C),
    SETTING_KEY(PhaseYMin, "Phase-portrait y min", 0, 0, 0, C),
    {kKeyString, "Phase-portrait y name", COLUMN_NAME(kColumnFamilyY), 0, 0, 0, C, 0, nullptr},
    SETTING_KEY(PhaseYMax, "Phase-portrait y max", 0, 0, 0, C),
    {kKeyHeader, "[Equations]", nullptr, 0, 0, 0, C, 0, nullptr},
    {kKeyExpressions, "Definitions", nullptr, 0, 0, 0, C, kArgEquations, nullptr},
    SETTING_KEY(Delay, "Delay", NM, 0, 0, C),
    SETTING_KEY(MapPower, "Power", MO, 0, 0, C),
    {kKeyString, "Discontinuities", CELL(gDiscontinuities), NM, 0, 0, C, 0, nullptr},
    {kKeyHeader, "[Initial values]", nullptr, 0, 0, 0, C, 0, nullptr},
    {kKeyDouble, "Independent variable", CELL(gInitialTime), 0, 0, 0, C, 0, nullptr},
    {kKeyInitialValues, "Dependent variable(s)", nullptr, 0, 0, 0, C, 0, nullptr},
    {kKeyExpressions, "Initial functions", nullptr, 0, 0, 0, C, kArgInitialFunctions, nullptr},
    SETTING_KEY(BoundaryPoint, "Point", 0, 0, 74, C),
    SETTING_KEY(ShootingIterations, "Iterations", 0, 0, 74, C),
    SETTING_KEY(ShootingError, "Error", 0, 0, 74, C),
    {kKeyExpressions, "Boundary functions", nullptr, 0, 0, 75, C, kArgBoundary, nullptr},
    {kKeyHeader, "[Range]", nullptr, 0, 0, 0, C, 0, nullptr},
    SETTING_KEY(FirstValue, "First value", 0, 0, 0, C),
    SETTING_KEY(LastValue, "Last value", 0, 0, 0, C),
    SETTING_KEY(InfinityLimit, "Infinity", 0, 0, 0, C),
    SETTING_KEY(Interpolate, "Interpolate", NM, 0, 0, C),
    SETTING_KEY(BifurcationDiagram, "Bifurcation diagram", MO, 0, 0, C),
    SETTING_KEY(ScanBegin, "Begin", MO, 0, 0, C),
    SETTING_KEY(OutputStep, "Step", 0, 0, 0, C),
    SETTING_KEY(ScanEnd, "End", MO, 0, 0, C),
    SETTING_KEY(Backward, "Backward", NM, 0, 0, C),
    SETTING_KEY(Backward, "Backwards", 0, 1, 0, 69),
    SETTING_KEY(PauseSetting, "Pause", 0, 0, 0, C),
    SETTING_KEY(RetardedPoints, "Retarded points", 0, 0, 0, C),
    SETTING_KEY(RealTime, "Real time", 0, 0, 81, C),
    SETTING_KEY(AutoStart, "Auto start", 0, 0, 163, C),
    SETTING_KEY(RunPriority, "Idle", 0 | MC, 0, 180, C),
    SETTING_KEY(RunPriority, "Lowest", 1 | MC, 0, 180, C),
    SETTING_KEY(RunPriority, "Below normal", 2 | MC, 0, 180, C),
    SETTING_KEY(RunPriority, "Normal", 3 | MC, 0, 180, C),
    SETTING_KEY(RunPriority, "Above normal", 4 | MC, 0, 180, C),
    SETTING_KEY(RunPriority, "Highest", 5 | MC, 0, 180, C),
    SETTING_KEY(RunPriority, "Time critical", 6 | MC, 0, 180, C),
    SETTING_KEY(PreferredProcessor, "Processor", MC, 0, 184, C),
    {kKeyHeader, "[Method]", nullptr, NM, 0, 0, C, 0, nullptr},
    SETTING_KEY(Tolerance, "Tolerance", NM, 0, 0, C),
    SETTING_KEY(InitialStep, "h", NM, 0, 0, C),
    SETTING_KEY(MaxStep, "h max.", NM, 0, 0, C),
    {kKeyMethod, "Integration code", nullptr, NM, 0, 73, C, 0, nullptr},
    {kKeyHeader, "[Status line]", nullptr, 0, 0, 0, C, 0, nullptr},
    {kKeyString, "First expression", CELL(gStatusFirstExpression), 0, 0, 0, C, 0, nullptr},
    {kKeyString, "Second expression", CELL(gStatusSecondExpression), 0, 0, 0, C, 0, nullptr},
    {kKeyString, "Numerical format", CELL(gStatusFormat), 0, 0, 0, C, 0, nullptr},
    SETTING_KEY(StatusFrequency, "Frequency", 0, 0, 0, C),
    {kKeyHeader, "[Mathematica]", nullptr, 0, 0, 81, C, 0, nullptr},
    {kKeyText, "Initialization", CELL(gMathematicaInit), 0, 0, 81, C, 0, nullptr},
};

#define G(field) CELL(gGraphWorkCopy.field)

const ProblemKeyDescriptor kGraphTable[] = {
    {kKeyHeader, "[Graphics window]", nullptr, 0, 0, 0, C, kArgGraphHeader, nullptr},
    {kKeyString, "Title", G(title), 0, 0, 0, C, 0, nullptr},
    {kKeyLink, "Window", G(linkTitle), 0, 0, 79, C, 0, nullptr},
    {kKeyDouble, "Min. X", G(xMin), 0, 0, 0, C, 0, nullptr},
    {kKeyString, "X axis", G(axisText[0]), 0, 0, 0, C, 0, nullptr},
    {kKeyDouble, "Max. X", G(xMax), 0, 0, 0, C, 0, nullptr},
    {kKeyDouble, "Miny", G(yMin), 0, 1, 0, 0, 0, nullptr},
    {kKeyDouble, "Min. Y", G(yMin), 0, 0, 0, C, 0, nullptr},
    {kKeyString, "Y axis", G(axisText[1]), 0, 0, 0, C, 0, nullptr},
    {kKeyDouble, "Max. Y", G(yMax), 0, 0, 0, C, 0, nullptr},
    {kKeyYesNo, "Continuous line", G(continuousLine), 0, 0, 0, C, 0, nullptr},
    {kKeyUnsigned, "Frequency", G(frequency), 0, 0, 0, C, 0, nullptr},
    {kKeyYesNo, "Direction field", G(directionField), 0, 0, 0, C, 0, nullptr},
    {kKeyUnsigned, "Cell length", G(cellLength), 0, 0, 0, C, 0, nullptr},
    {kKeyUnsigned, "Mark length", G(markLength), 0, 0, 0, C, 0, nullptr},
    {kKeyString, "Axes location", G(axesLocation), 0, 0, 0, C, 0, nullptr},
    {kKeyHex, "Drawing color", G(drawingColor), 0, 0, 0, C, 0, nullptr},
    {kKeyInteger, "Drawing width", G(drawingWidth), 0, 0, 0, C, 0, nullptr},
    {kKeyHex, "Grid color", G(gridColor), 0, 0, 0, C, 0, nullptr},
    {kKeyInteger, "Grid width", G(gridWidth), 0, 0, 0, C, 0, nullptr},
    {kKeyHex, "Direction field color", G(directionFieldColor), NM, 0, 0, C, 0, nullptr},
    {kKeyInteger, "Direction field width", G(directionFieldWidth), NM, 0, 0, C, 0, nullptr},
    {kKeyHex, "Background color", G(backgroundColor), 0, 0, 0, C, 0, nullptr},
    {kKeyUnsigned, "Width (px)", G(fixedWidth), 0, 0, 82, C, 0, nullptr},
    {kKeyUnsigned, "Height (px)", G(fixedHeight), 0, 0, 82, C, 0, nullptr},
    {kKeyRadio, "Arbitrary aspect", G(aspectMode), 0, 0, 0, C, 0, nullptr},
    {kKeyRadio, "Adjust X range", G(aspectMode), 1, 0, 0, C, 0, nullptr},
    {kKeyRadio, "Adjust Y range", G(aspectMode), 2, 0, 0, C, 0, nullptr},
    {kKeyRadio, "Square", G(aspectMode), 3, 0, 0, C, 0, nullptr},
    {kKeyRadio, "Adjust width", G(aspectMode), 4, 0, 0, C, 0, nullptr},
    {kKeyRadio, "Adjust height", G(aspectMode), 5, 0, 0, C, 0, nullptr},
    {kKeyYesNo, "Poincare section", G(poincareSection), NM, 0, 0, C, 0, nullptr},
    {kKeyString, "Condition", G(conditionText), NM, 0, 0, C, 0, nullptr},
    {kKeyDouble, "Error", G(crossingError), NM, 0, 0, C, 0, nullptr},
    {kKeyYesNo, "Increasing", G(increasing), NM, 0, 0, C, 0, nullptr},
    {kKeyYesNo, "Decreasing", G(decreasing), NM, 0, 0, C, 0, nullptr},
    {kKeyUnsigned, "Direct", G(directPower), MO, 0, 0, C, 0, nullptr},
    {kKeyUnsigned, "Inverse", G(inversePower), MO, 0, 0, C, 0, nullptr},
    {kKeyUnsigned, "Histogram", G(histogramPeriod), MO, 0, 0, C, 0, nullptr},
    {kKeyYesNo, "Average", G(average), MO, 0, 0, C, 0, nullptr},
    {kKeyInteger, "Capture", G(capture), MC, 0, 0, C, 0, nullptr},
    {kKeyInteger, "Select in X axis", G(selectX), 0, 0, 0, C, 0, ValidAxisSelection},
    {kKeyInteger, "Select in Y axis", G(selectY), 0, 0, 0, C, 0, ValidAxisSelection},
    {kKeyDouble, "Step in X axis", G(stepX), 0, 0, 0, C, 0, nullptr},
    {kKeyDouble, "Step in Y axis", G(stepY), 0, 0, 0, C, 0, nullptr},
    {kKeyDouble, "Angular step", G(angularStep), 0, 0, 52, C, 0, nullptr},
    {kKeyDouble, "Zoom factor", G(zoomFactor), 0, 0, 52, C, 0, nullptr},
    {kKeyInteger, "Fractal order", G(fractalOrder), 0, 0, 52, C, 0, nullptr},
    {kKeyYesNo, "Plotter", G(plotterOutput), MC, 0, 0, C, 0, nullptr},
    {kKeyYesNo, "Frame", G(plotter.frame), 0, 0, 0, C, 0, nullptr},
    {kKeyInteger, "Color", G(plotter.pen), 0, 1, 0, 56, 0, nullptr},
    {kKeyInteger, "Pen", G(plotter.pen), 0, 0, 0, C, 0, nullptr},
    {kKeyInteger, "Width", G(plotter.width), 0, 0, 0, C, 0, nullptr},
    {kKeyInteger, "Speed", G(plotter.speed), 0, 0, 0, C, 0, nullptr},
    {kKeyInteger, "Line type", G(plotter.lineType), 0, 0, 0, C, 0, nullptr},
    {kKeyString, "Device", G(plotter.device), MC, 0, 0, C, 0, nullptr},
    {kKeyString, "Driver", G(plotter.driver), 0, 0, 0, C, 0, nullptr},
    {kKeyRadio, "No bitmap", G(bitmapMode), 0 | MC, 0, 51, C, 0, nullptr},
    {kKeyRadio, "Copy bitmap", G(bitmapMode), 1 | MC, 0, 51, C, 0, nullptr},
    {kKeyRadio, "Stretch bitmap", G(bitmapMode), 2 | MC, 0, 51, C, 0, nullptr},
    {kKeyRadio, "Ask bitmap", G(bitmapMode), 3 | MC, 0, 51, 60, 0, nullptr},
    {kKeyDouble, "Phi", CELL(gViewPoint.phi), 0, 0, 0, C, 0, nullptr},
    {kKeyDouble, "Theta", CELL(gViewPoint.theta), 0, 0, 0, C, 0, nullptr},
    {kKeyDouble, "Psi", CELL(gViewPoint.psi), 0, 0, 0, C, 0, nullptr},
    {kKeyDouble, "Origin", CELL(gViewPoint.origin), 0, 0, 0, C, 0, nullptr},
    {kKeyDouble, "Distance", CELL(gViewPoint.distance), 0, 0, 0, C, 0, nullptr},
    {kKeyYesNo, "Print Info", G(print.ownSettings), 0, 0, 82, C, 0, nullptr},
    {kKeyInteger, "Total X", G(print.totalX), 0, 0, 82, C, 0, nullptr},
    {kKeyInteger, "Total Y", G(print.totalY), 0, 0, 82, C, 0, nullptr},
    {kKeyInteger, "Left margin", G(print.leftMargin), 0, 0, 82, C, 0, nullptr},
    {kKeyInteger, "Print width", G(print.printWidth), 0, 0, 82, C, 0, nullptr},
    {kKeyInteger, "Top margin", G(print.topMargin), 0, 0, 82, C, 0, nullptr},
    {kKeyInteger, "Print height", G(print.printHeight), 0, 0, 82, C, 0, nullptr},
    {kKeyInteger, "Print unit", G(print.unit), 0, 0, 82, C, 0, nullptr},
    {kKeyInteger, "Print mode", G(print.mode), 0, 0, 82, C, 0, nullptr},
    {kKeyInteger, "Pixels per point", G(print.pixelsPerPoint), 0, 0, 82, C, 0, nullptr},
    {kKeyInteger, "Basic width", G(print.basicWidth), 0, 0, 82, C, 0, nullptr},
    {kKeyInteger, "Frame width", G(print.frameWidth), 0, 0, 82, C, 0, nullptr},
    {kKeyDouble, "Min. distance", G(print.minDistance), 0, 0, 104, C, 0, nullptr},
    {kKeyYesNo, "Print EPSF", G(print.eps), 0, 0, 82, C, 0, nullptr},
    {kKeyYesNo, "Invert print", G(print.invert), 0, 0, 82, C, 0, nullptr},
    {kKeyYesNo, "Include elements", G(print.includeElements), 0, 0, 82, C, 0, nullptr},
    {kKeyYesNo, "Preserve aspect", G(print.preserveAspect), 0, 0, 82, C, 0, nullptr},
    {kKeyYesNo, "Rotate PS", G(print.rotate), 0, 0, 82, C, 0, nullptr},
    {kKeyString, "EPSF File", G(print.epsFile), 0, 0, 82, C, 0, nullptr},
    {kKeyYesNo, "Post process", G(print.postProcess), 0, 0, 148, C, 0, nullptr},
    {kKeyString, "Post program", G(print.postProgram), 0, 0, 148, C, 0, nullptr},
    {kKeyString, "Post arguments", G(print.postArguments), 0, 0, 148, C, 0, nullptr},
    {kKeyYesNo, "Post delete", G(print.postDelete), 0, 0, 148, C, 0, nullptr},
    {kKeyElements, "Graphics element", nullptr, 0, 0, 0, C, 0, nullptr},
};

#define T(field) CELL(gTextWorkCopy.field)

const ProblemKeyDescriptor kTextTable[] = {
    {kKeyHeader, "[Text window]", nullptr, 0, 0, 0, C, kArgTextHeader, nullptr},
    {kKeyString, "Title", T(title), 0, 0, 0, C, 0, nullptr},
    {kKeyTextList, "Expressions", nullptr, 0, 0, 0, C, kArgExpressions, ValidColumnCount},
    {kKeyTextList, "Format strings", nullptr, 0, 0, 0, C, kArgFormats, nullptr},
    {kKeyString, "Separator", T(separator), 0, 0, 0, C, 0, nullptr},
    {kKeyUnsigned, "Frequency", T(frequency), 0, 0, 0, C, 0, nullptr},
    {kKeyUnsigned, "Lines", T(lines), 0, 0, 0, C, 0, nullptr},
    {kKeyYesNo, "Capture", T(capture), MC, 0, 0, C, 0, nullptr},
    {kKeyString, "Output file", T(outputFile), MC, 0, 0, C, 0, nullptr},
    {kKeyYesNo, "Poincare", T(poincare), NM, 0, 0, C, 0, nullptr},
    {kKeyString, "Condition", T(condition), NM, 0, 0, C, 0, nullptr},
    {kKeyDouble, "Error", T(crossingError), NM, 0, 0, C, 0, nullptr},
    {kKeyYesNo, "Increasing", T(increasing), NM, 0, 0, C, 0, nullptr},
    {kKeyYesNo, "Decreasing", T(decreasing), NM, 0, 0, C, 0, nullptr},
    {kKeyUnsigned, "Histogram", T(histogram), MO, 0, 0, C, 0, nullptr},
    {kKeyYesNo, "Average", T(average), MO, 0, 0, C, 0, nullptr},
    {kKeyDouble, "Phi", CELL(gViewPoint.phi), 0, 0, 0, C, 0, nullptr},
    {kKeyDouble, "Theta", CELL(gViewPoint.theta), 0, 0, 0, C, 0, nullptr},
    {kKeyDouble, "Psi", CELL(gViewPoint.psi), 0, 0, 0, C, 0, nullptr},
    {kKeyDouble, "Origin", CELL(gViewPoint.origin), 0, 0, 0, C, 0, nullptr},
    {kKeyDouble, "Distance", CELL(gViewPoint.distance), 0, 0, 0, C, 0, nullptr},
};

const ProblemKeyDescriptor kNotesTable[] = {
    {kKeyHeader, "[Notes]", nullptr, 0, 0, 0, C, kArgNotesHeader, nullptr},
    {kKeyNotes, "", CELL(gProjectNotes), 0, 0, 0, C, 0, nullptr},
};

#define E(field) CELL(gElementWorkCopy.field)

const ProblemKeyDescriptor kElementTable[] = {
    {kKeyDouble, "x", E(x), 0, 0, 0, C, 0, nullptr},
    {kKeyDouble, "y", E(y), 0, 0, 0, C, 0, nullptr},
    {kKeyDouble, "size", E(size), 0, 0, 0, C, 0, nullptr},
    {kKeyDouble, "radius", E(radius), 0, 0, 0, C, 0, nullptr},
    {kKeyDouble, "begin", E(begin), 0, 0, 0, C, 0, nullptr},
    {kKeyDouble, "end", E(end), 0, 0, 0, C, 0, nullptr},
    {kKeyDouble, "direction", E(direction), 0, 0, 0, C, 0, nullptr},
    {kKeyHex, "color", E(color), 0, 0, 0, C, 0, nullptr},
    {kKeyInteger, "line", E(line), 0, 0, 0, C, 0, nullptr},
    {kKeyInteger, "steps", E(steps), 0, 0, 0, C, 0, nullptr},
};

static_assert(sizeof kVersionTable / sizeof *kVersionTable == kVersionTableCount, "Version table");
static_assert(sizeof kTypeTable / sizeof *kTypeTable == kTypeTableCount, "[Type] table");
static_assert(sizeof kGlobalTable / sizeof *kGlobalTable == kGlobalTableCount, "global table");
static_assert(sizeof kGraphTable / sizeof *kGraphTable == kGraphTableCount, "graph table");
static_assert(sizeof kTextTable / sizeof *kTextTable == kTextTableCount, "text table");
static_assert(sizeof kNotesTable / sizeof *kNotesTable == kNotesTableCount, "[Notes] table");
static_assert(sizeof kElementTable / sizeof *kElementTable == kElementTableCount, "element table");
