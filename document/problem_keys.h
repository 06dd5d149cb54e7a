// The key tables of the problem file: one static table per section group, in
// file order. The writer and the reader of problem_file.cpp walk them.
#pragma once
#include "problem_settings.h"

// Value types; ORDER matters: the numbers are the file format's type codes.
enum ProblemKeyType : unsigned char {
    kKeyIdentifier = 0,     // this user's identifier
    kKeyHeader = 1,         // "[Section]"
    kKeyUnsigned = 2,
    kKeyInteger = 3,        // read with "%i": 0x.. hexadecimal, 0.. octal
    kKeyDouble = 4,
    kKeyString = 5,
    kKeyNotes = 6,
    kKeyYesNo = 7,
    kKeyRadio = 8,          // one value of a radio group, flags bits 0-4
    kKeyHex = 9,
    kKeyLink = 10,          // title of the linked graph window
    kKeyParameters = 11,
    kKeyNames = 12,         // individual names, one line each
    kKeyExpressions = 13,   // one text line per variable
    kKeyInitialValues = 14, // n + 2 lines
    kKeyTextList = 15,      // text-window columns
    kKeyMethod = 16,        // integration method and its parameters
    kKeyElements = 17,      // graphics elements
    kKeyText = 18,          // text with line breaks
};

// The key type that stores a problem setting of the given kind.
constexpr ProblemKeyType KeyTypeOfValue(ProblemValueKind kind) {
    return PerValueKind(kind, kKeyDouble, kKeyInteger, kKeyUnsigned, kKeyYesNo, kKeyRadio);
}

enum ProblemKeyFlag : unsigned char {
    kKeyRadioValueMask = 0x1F,
    kKeyNotMap = 0x20,
    kKeyMapOnly = 0x40,
    kKeyMachine = 0x80,  // written always, read only from this user's own files
};

constexpr int kCurrentKey = 30000;

// The version of the file being read (0 when it has no "Version" line); the
// writer sets it to gProgramVersion. The cell of the "Version" key.
extern unsigned gFileVersion;  // lastVersion of a key still in use

// Which list or section an entry of the list types stands for.
enum ProblemKeyArg {
    kArgNone = 0,
    kArgGraphHeader, kArgTextHeader, kArgNotesHeader,  // header kinds
    kArgVariableNames, kArgInitialNames,                // kKeyNames
    kArgEquations, kArgInitialFunctions, kArgBoundary,  // kKeyExpressions
    kArgExpressions, kArgFormats,                       // kKeyTextList
    kArgDimension,                                      // "Dimension/Order"
};

struct ProblemKeyDescriptor {
    unsigned char type;   // ProblemKeyType
    const char *name;     // matched without regard to case
    // The cell the key fills, or null. A function, because some cells lie
    // in tables that are rebuilt for every problem.
    void *(*target)();
    unsigned char flags;  // ProblemKeyFlag
    unsigned char noWrite;  // bit 0: a read-only alias of an older name
    int firstVersion, lastVersion;
    int arg;  // ProblemKeyArg
    // Range check of an integer value read from a file; null: any value.
    bool (*valid)(long long value);
};

extern const ProblemKeyDescriptor kVersionTable[];
extern const ProblemKeyDescriptor kTypeTable[];
extern const ProblemKeyDescriptor kGlobalTable[];
extern const ProblemKeyDescriptor kGraphTable[];
extern const ProblemKeyDescriptor kTextTable[];
extern const ProblemKeyDescriptor kNotesTable[];
extern const ProblemKeyDescriptor kElementTable[];
constexpr int kVersionTableCount = 1;
constexpr int kTypeTableCount = 9;
constexpr int kGlobalTableCount = 65;
constexpr int kGraphTableCount = 90;
constexpr int kTextTableCount = 21;
constexpr int kNotesTableCount = 2;
constexpr int kElementTableCount = 10;

// Limits of the counts and sizes a file may give: beyond them a value is a
// line error rather than an allocation that cannot succeed or overflows.
constexpr long long kMaxDimension = 10000;
constexpr long long kMaxParameters = 10000;
constexpr long long kMaxTextColumns = 10000;
constexpr long long kMinStackLength = 2, kMaxStackLength = 1 << 22;     // doubles
constexpr long long kMinPcodeLength = 16, kMaxPcodeLength = 1 << 24;    // bytes
