// The expression compiler: one recursive-descent pass over a text that
// emits P-code (opcodes.h) as it reads, binding names at compile time to
// cell addresses, inlined values or function addresses.
#pragma once
#include "eval_errors.h"

#include "workspace.h"

// A compiled expression: a PcodeProgram* addresses its first opcode; the
// program ends with opcode 0.
typedef unsigned char PcodeProgram;

enum CompileErrorCode {
    kCompileUnexpectedEnd = 1,     // missing or blank text, or an operand missing at the end
    kCompilePcodeTooLong = 2,      // the output buffer is full (or the nesting too deep)
    kCompileInvalidCharacter = 3,  // a character that starts no token
    kCompileBracketExpected = 4,   // an indexed quantity not starting at 0 named without index
    kCompileParenExpected = 5,
    kCompileCloseBracketExpected = 6,
    kCompileCommaExpected = 7,
    kCompileUnknownFunction = 8,
    kCompileUnknownIdentifier = 9,
    kCompileInvalidIndex = 10,
    kCompileIndexOutOfBounds = 11,
    kCompileExtraCharacters = 12,
    kCompileColonExpected = 13,
    kCompileMathLinkCallExpected = 14,
};

// The message of a compile error is this string id + the code.
constexpr int kCompileErrorStringBase = 10047;

// The longest name or number the lexer takes; a longer one is an error.
constexpr int kMaxTokenLength = 1023;
// Deeper nesting of parentheses, conditionals or indices than this is
// refused (error 2), so that no text can exhaust the machine stack.
constexpr int kMaxNesting = 200;

// gEvalError (eval_errors.h) holds the code of the last compile too.
// Where in the text the last compile error lies (null when none, or for a
// null text), and where the compiler's cursor stood: the text between the
// two is what the error dialog selects.
extern const char *gCompileErrorPos;
extern const char *gCompileCursor;

// The names the compiler binds: normally the column table (gColumnCount
// entries); switched for graphics elements while their expressions compile.
extern ColumnEntry *gNameTable;
// The collective name for x(k, t), while gCollectiveDelayedCount is 1.
extern DelayedValueName gCollectiveDelayedName;
extern int gCollectiveDelayedCount;

// Compiles the NUL-terminated text into buffer (size bytes). Returns the
// code length including the final opcode 0, which never exceeds size; on
// failure 0 with gEvalError and gCompileErrorPos set.
int CompileExpression(const char *text, PcodeProgram *buffer, int size);
