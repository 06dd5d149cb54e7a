#include "compiler.h"

#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "builtin_tables.h"
#include "fused_equations.h"
#include "math_plugins.h"
#include "mathlink.h"
#include "opcodes.h"

const char *gCompileErrorPos;
const char *gCompileCursor;
ColumnEntry *gNameTable;
DelayedValueName gCollectiveDelayedName;
int gCollectiveDelayedCount;

// The descent leaves by longjmp on the first error: no function below may
// hold an object with a destructor.
namespace {

enum TokenKind {
    kTokenEnd = 0,
    kTokenValue = 1,       // number, parameter or constant
    kTokenQuantity = 2,    // component of a problem quantity
    kTokenMathCall = 3,    // plug-in function followed by "("
    kTokenCall3 = 4,       // built-in of 3 arguments, projx, projy
    kTokenCall2 = 5,       // built-in of 2 arguments, collective delayed value
    kTokenCall1 = 6,
    kTokenCall0 = 7,
    kTokenDelayed = 8,     // individual variable name followed by "("
    kTokenOpenParen = 9,
    kTokenIf = 10,
    kTokenMax = 11,
    kTokenMin = 12,
    kTokenMathLink = 13,   // "$"
    kTokenCalculator = 14, // "%" or "%[k]"
};

struct Token {
    int kind;
    double value;
    double *address;
    BuiltinFunction function;
    const MathFunctionEntry *math;
};

// One compile's working state, handed down the descent; each call owns its
// own.
struct CompilerState {
    const char *cursor;
    int bytesLeft;
    unsigned char *out;
    unsigned char lastByte;
    int depth;
    std::jmp_buf bail;
    char name[kMaxTokenLength + 1];  // the lexer's copy of a name or number
    char upper[kMaxTokenLength + 1];
};

// For errors 1-4 and 12 the position is the cursor; for the others it is
// what the lexer or MatchChar recorded last.
[[noreturn]] void Raise(CompilerState &sc, int code) {
    if (code <= kCompileBracketExpected || code == kCompileExtraCharacters) gCompileErrorPos = sc.cursor;
    gEvalError = code;
    std::longjmp(sc.bail, 1);
}

[[noreturn]] void RaiseAt(CompilerState &sc, int code, const char *pos) {
    gCompileErrorPos = pos;
    gEvalError = code;
    std::longjmp(sc.bail, 1);
}

bool IsBlank(char c) { return c >= 1 && c <= 32; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }

void SkipBlanks(CompilerState &sc) {
    while (IsBlank(*sc.cursor)) ++sc.cursor;
}

int MatchChar(CompilerState &sc, char c) {
    gCompileErrorPos = sc.cursor;
    if (*sc.cursor != c) return 0;
    ++sc.cursor;
    SkipBlanks(sc);
    return 1;
}

// A two-character operator, both characters adjacent.
int MatchPair(CompilerState &sc, char c1, char c2) {
    if (sc.cursor[0] != c1 || sc.cursor[1] != c2) return 0;
    sc.cursor += 2;
    SkipBlanks(sc);
    return 1;
}

void Nest(CompilerState &sc) {
    if (++sc.depth > kMaxNesting) Raise(sc, kCompilePcodeTooLong);
}

// --- Output. Every byte is charged before it is stored and the charge must
// leave at least one byte: the final opcode 0 goes in free.

void Charge(CompilerState &sc, int bytes) {
    sc.bytesLeft -= bytes;
    if (sc.bytesLeft <= 0) Raise(sc, kCompilePcodeTooLong);
}

void EmitByte(CompilerState &sc, unsigned char b) {
    Charge(sc, 1);
    *sc.out++ = b;
    sc.lastByte = b;
}

void EmitDouble(CompilerState &sc, double v) {
    Charge(sc, 8);
    std::memcpy(sc.out, &v, 8);
    sc.out += 8;
}

// n 4-byte slots to be filled in later.
unsigned char *ReserveCodeWords(CompilerState &sc, int n) {
    Charge(sc, 4 * n);
    unsigned char *slot = sc.out;
    std::memset(slot, 0, 4 * n);
    sc.out += 4 * n;
    return slot;
}

void StoreWord(unsigned char *slot, uint32_t w) { std::memcpy(slot, &w, 4); }

void EmitWord(CompilerState &sc, uint32_t w) { StoreWord(ReserveCodeWords(sc, 1), w); }

void EmitAddress(CompilerState &sc, const void *p) { EmitWord(sc, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p))); }

void EmitFunction(CompilerState &sc, BuiltinFunction f) { EmitWord(sc, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(f))); }

// Offsets count from the word that holds them (base) to target.
void PatchOffset(unsigned char *word, const unsigned char *base, const unsigned char *target) {
    StoreWord(word, static_cast<uint32_t>(static_cast<int32_t>(target - base)));
}

// Opcode with one offset word; returns the word.
unsigned char *EmitJump(CompilerState &sc, unsigned char op) {
    EmitByte(sc, op);
    return ReserveCodeWords(sc, 1);
}

void EmitConstant(CompilerState &sc, double v) {
    EmitByte(sc, kOpPushConst);
    EmitDouble(sc, v);
}

// --- Lexer.

void ReadToken(CompilerState &sc, Token &t);

void ReadNumber(CompilerState &sc, Token &t) {
    const char *start = sc.cursor;
    const char *p = start;
    while (IsDigit(*p)) ++p;
    if (*p == '.') {
        ++p;
        while (IsDigit(*p)) ++p;
    }
    if (*p == 'E' || *p == 'e') {
        ++p;
        if (*p == '+' || *p == '-') ++p;
        while (IsDigit(*p)) ++p;
    }
    if (p - start > kMaxTokenLength) {
        sc.cursor = start + kMaxTokenLength;
        Raise(sc, kCompileInvalidCharacter);
    }
    std::memcpy(sc.name, start, p - start);
    sc.name[p - start] = 0;
    // The copy holds only what the number syntax allows, so strtod reads
    // decimal notation and stops where "%lg" would ("1e" is 1).
    t.kind = kTokenValue;
    t.value = std::strtod(sc.name, nullptr);
    sc.cursor = p;
    SkipBlanks(sc);
}

void UpperCaseName(CompilerState &sc) {
    int i = 0;
    for (; sc.name[i]; ++i) {
        char c = sc.name[i];
        sc.upper[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    sc.upper[i] = 0;
}

bool NameIs(CompilerState &sc, const char *candidate) { return candidate && *candidate && std::strcmp(candidate, sc.name) == 0; }

const ColumnEntry *NameTable() { return gNameTable ? gNameTable : gColumnTable; }

// The component of quantity e that the text after its name selects: an
// index in brackets, a run of primes, or none.
double *SelectComponent(CompilerState &sc, const ColumnEntry &e) {
    if (e.low == 0 && e.high == 0) return e.address;  // scalar: a "[" is left to the parser
    int k = 0;
    if (*sc.cursor == '[') {
        ++sc.cursor;
        SkipBlanks(sc);
        Nest(sc);
        const char *indexStart = sc.cursor;
        Token index;
        ReadToken(sc, index);
        --sc.depth;
        if (index.kind != kTokenValue || std::floor(index.value) != index.value)
            RaiseAt(sc, kCompileInvalidIndex, indexStart);
        if (index.value < e.low || index.value > e.high) RaiseAt(sc, kCompileIndexOutOfBounds, indexStart);
        k = static_cast<int>(index.value);
        if (!MatchChar(sc, ']')) Raise(sc, kCompileCloseBracketExpected);
    } else if (e.low == 0) {
        while (MatchChar(sc, '\''))
            if (++k > e.high) Raise(sc, kCompileIndexOutOfBounds);  // at that prime
    } else {
        Raise(sc, kCompileBracketExpected);
    }
    return e.address + (k - e.low);
}

void LookUpValueName(CompilerState &sc, Token &t) {
    const ColumnEntry *names = NameTable();
    for (int i = 0; names && i < gColumnCount; ++i)
        if (NameIs(sc, names[i].name)) {
            t.kind = kTokenQuantity;
            t.address = SelectComponent(sc, names[i]);
            return;
        }
    for (int i = 0; gParameters && i < gParameterCount; ++i)
        if (NameIs(sc, gParameters[i].name)) {
            t.kind = kTokenValue;
            t.value = gParameters[i].value;
            return;
        }
    UpperCaseName(sc);
    if (const BuiltinConstantEntry *c = FindBuiltinConstant(sc.upper)) {
        t.kind = kTokenValue;
        t.value = c->value;
        return;
    }
    Raise(sc, kCompileUnknownIdentifier);
}

void LookUpFunctionName(CompilerState &sc, Token &t) {
    UpperCaseName(sc);
    if (std::strcmp(sc.upper, "IF") == 0) { t.kind = kTokenIf; return; }
    if (std::strcmp(sc.upper, "MAX") == 0) { t.kind = kTokenMax; return; }
    if (std::strcmp(sc.upper, "MIN") == 0) { t.kind = kTokenMin; return; }
    for (int i = 0; gMathFunctions && i < gMathFunctionCount; ++i) {
        const MathFunctionEntry &m = gMathFunctions[i];
        if (m.argumentCount >= 0 && m.argumentCount <= kMaxMathFunctionArguments && NameIs(sc, m.name)) {
            t.kind = kTokenMathCall;
            t.math = &m;
            return;
        }
    }
    for (int i = 0; gDelayedNames && i < gDelayedNameCount; ++i)
        if (NameIs(sc, gDelayedNames[i].name)) {
            t.kind = kTokenDelayed;
            t.value = i + (gColumnTable ? gColumnTable[kColumnVariables].low : 0);
            t.function = reinterpret_cast<BuiltinFunction>(static_cast<BuiltinFunction2>(EvaluateDelayedValue));
            return;
        }
    if (gCollectiveDelayedCount > 0 && NameIs(sc, gCollectiveDelayedName.name)) {
        t.kind = kTokenCall2;
        t.function = reinterpret_cast<BuiltinFunction>(static_cast<BuiltinFunction2>(EvaluateDelayedValue));
        return;
    }
    if (std::strcmp(sc.name, "projx") == 0 || std::strcmp(sc.name, "projy") == 0) {
        t.kind = kTokenCall3;
        t.function = reinterpret_cast<BuiltinFunction>(
            static_cast<BuiltinFunction3>(sc.name[4] == 'x' ? projx : projy));
        return;
    }
    for (int k = 0; k <= kBuiltinMaxArguments; ++k)
        if (const BuiltinFunctionEntry *f = FindBuiltinFunction(k, sc.upper)) {
            t.kind = kTokenCall0 - k;
            t.function = f->function;
            return;
        }
    Raise(sc, kCompileUnknownFunction);
}

void ReadName(CompilerState &sc, Token &t) {
    const char *start = sc.cursor;
    const char *p = start;
    while (IsLetter(*p) || IsDigit(*p)) ++p;
    sc.cursor = p;
    SkipBlanks(sc);
    const bool call = *sc.cursor == '(';
    if (call) {
        ++sc.cursor;
        SkipBlanks(sc);
    }
    // No table holds a name the lexer could not copy.
    if (p - start > kMaxTokenLength) Raise(sc, call ? kCompileUnknownFunction : kCompileUnknownIdentifier);
    std::memcpy(sc.name, start, p - start);
    sc.name[p - start] = 0;
    if (call) LookUpFunctionName(sc, t);
    else LookUpValueName(sc, t);
}

// "%" is result 0; "%[k]" result k, k an optional "-" and decimal digits.
void ReadCalculatorReference(CompilerState &sc, Token &t) {
    ++sc.cursor;
    double k = 0;
    if (*sc.cursor == '[') {
        ++sc.cursor;
        SkipBlanks(sc);
        const bool negative = *sc.cursor == '-';
        if (negative) ++sc.cursor;
        while (IsDigit(*sc.cursor)) k = 10 * k + (*sc.cursor++ - '0');
        SkipBlanks(sc);
        if (negative) k = -k;
        if (!MatchChar(sc, ']')) Raise(sc, kCompileCloseBracketExpected);
    } else {
        SkipBlanks(sc);
    }
    t.kind = kTokenCalculator;
    t.value = k;
}

void ReadToken(CompilerState &sc, Token &t) {
    gCompileErrorPos = sc.cursor;
    t = Token{};
    const char c = *sc.cursor;
    if (IsDigit(c) || (c == '.' && IsDigit(sc.cursor[1]))) {
        ReadNumber(sc, t);
    } else if (IsLetter(c)) {
        ReadName(sc, t);
    } else if (c == '%') {
        ReadCalculatorReference(sc, t);
    } else if (c == 0) {
        t.kind = kTokenEnd;
    } else if (c == '(') {
        ++sc.cursor;
        SkipBlanks(sc);
        t.kind = kTokenOpenParen;
    } else if (c == '$' && gMathLinkOn) {
        ++sc.cursor;
        SkipBlanks(sc);
        t.kind = kTokenMathLink;
    } else {
        Raise(sc, kCompileInvalidCharacter);
    }
}

// --- Parser, one function per grammar level, lowest precedence first. The
// levels marked inline are folded into their callers: each call of the
// descent costs a register for the state.

void ParseConditional(CompilerState &sc);

// args -> conditional { "," conditional } ")" with exactly k of them
void ParseFixedArguments(CompilerState &sc, int k) {
    for (int i = 0; i < k; ++i) {
        if (i > 0 && !MatchChar(sc, ',')) Raise(sc, kCompileCommaExpected);
        ParseConditional(sc);
    }
    if (!MatchChar(sc, ')')) Raise(sc, kCompileParenExpected);
}

// IF(c, a, b [, d]): c, If(to b, to a or d), a, Jump(end), b [, Jump(end), d]
void ParseIf(CompilerState &sc) {
    ParseConditional(sc);
    if (!MatchChar(sc, ',')) Raise(sc, kCompileCommaExpected);
    EmitByte(sc, kOpIf);
    unsigned char *offsets = ReserveCodeWords(sc, 2);
    const unsigned char *positiveBranch = sc.out;
    ParseConditional(sc);
    if (!MatchChar(sc, ',')) Raise(sc, kCompileCommaExpected);
    unsigned char *afterPositive = EmitJump(sc, kOpJump);
    PatchOffset(offsets, offsets, sc.out);
    ParseConditional(sc);
    if (MatchChar(sc, ',')) {
        unsigned char *afterZero = EmitJump(sc, kOpJump);
        PatchOffset(offsets + 4, offsets, sc.out);
        ParseConditional(sc);
        PatchOffset(afterZero, afterZero, sc.out);
    } else {
        // Negative or NaN with three arguments: as positive.
        PatchOffset(offsets + 4, offsets, positiveBranch);
    }
    PatchOffset(afterPositive, afterPositive, sc.out);
    if (!MatchChar(sc, ')')) Raise(sc, kCompileParenExpected);
}

// MAX(a, ...) / MIN(a, ...): a, then each further argument and the fold.
void ParseFold(CompilerState &sc, unsigned char op) {
    ParseConditional(sc);
    while (MatchChar(sc, ',')) {
        ParseConditional(sc);
        EmitByte(sc, op);
    }
    if (!MatchChar(sc, ')')) Raise(sc, kCompileParenExpected);
}

// $name(args): args, MathLink, the name's bytes, 0, the count.
void ParseMathLinkCall(CompilerState &sc) {
    const char *name = sc.cursor;
    const char *paren = std::strchr(name, '(');
    if (!paren) Raise(sc, kCompileMathLinkCallExpected);  // at the "$"
    const char *nameEnd = paren;
    while (nameEnd > name && IsBlank(nameEnd[-1])) --nameEnd;
    if (nameEnd == name) Raise(sc, kCompileMathLinkCallExpected);
    sc.cursor = paren + 1;
    SkipBlanks(sc);
    int32_t count = 0;
    if (!MatchChar(sc, ')')) {
        do {
            ParseConditional(sc);
            ++count;
        } while (MatchChar(sc, ','));
        if (!MatchChar(sc, ')')) Raise(sc, kCompileParenExpected);
    }
    EmitByte(sc, kOpMathLink);
    for (const char *p = name; p < nameEnd; ++p) EmitByte(sc, static_cast<unsigned char>(*p));
    EmitByte(sc, 0);
    EmitWord(sc, static_cast<uint32_t>(count));
}

// primary -> value | quantity | call | "(" conditional ")" | "%[k]" | "$" call
void ParsePrimary(CompilerState &sc) {
    Token t;
    ReadToken(sc, t);
    switch (t.kind) {
    case kTokenEnd: Raise(sc, kCompileUnexpectedEnd);
    case kTokenValue: EmitConstant(sc, t.value); break;
    case kTokenQuantity:
        EmitByte(sc, kOpPushCell);
        EmitAddress(sc, t.address);
        break;
    case kTokenMathCall: {
        const int k = t.math->argumentCount;
        ParseFixedArguments(sc, k);
        EmitByte(sc, kOpCallMath);
        EmitByte(sc, static_cast<unsigned char>(k));
        EmitWord(sc, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(t.math->function)));
        break;
    }
    case kTokenCall0:
    case kTokenCall1:
    case kTokenCall2:
    case kTokenCall3: {
        const int k = kTokenCall0 - t.kind;
        ParseFixedArguments(sc, k);
        EmitByte(sc, static_cast<unsigned char>(kOpCall0 + k));
        EmitFunction(sc, t.function);
        break;
    }
    case kTokenDelayed:
        EmitConstant(sc, t.value);
        ParseFixedArguments(sc, 1);
        EmitByte(sc, kOpCall2);
        EmitFunction(sc, t.function);
        break;
    case kTokenOpenParen:
        ParseConditional(sc);
        if (!MatchChar(sc, ')')) Raise(sc, kCompileParenExpected);
        break;
    case kTokenIf: ParseIf(sc); break;
    case kTokenMax: ParseFold(sc, kOpMax); break;
    case kTokenMin: ParseFold(sc, kOpMin); break;
    case kTokenMathLink: ParseMathLinkCall(sc); break;
    case kTokenCalculator:
        EmitConstant(sc, t.value);
        EmitByte(sc, kOpCalculatorResult);
        break;
    }
}

// power -> primary [ ("^" | "^^") ["+" | "-"] primary ]
void ParsePower(CompilerState &sc) {
    ParsePrimary(sc);
    unsigned char op;
    if (MatchPair(sc, '^', '^')) op = kOpNthRoot;
    else if (MatchChar(sc, '^')) op = kOpPow;
    else return;
    bool negative = false;
    if (!MatchChar(sc, '+')) negative = MatchChar(sc, '-');
    unsigned char *exponent = sc.out;
    ParsePrimary(sc);
    if (negative) {
        if (sc.out - exponent == 9 && sc.lastByte == kOpPushConst) {  // one constant push
            double v = ReadPcodeDouble(exponent + 1);
            v = -v;
            std::memcpy(exponent + 1, &v, 8);
        } else {
            EmitByte(sc, kOpNegate);
        }
    }
    EmitByte(sc, op);
}

// unary -> ["+" | "-" | "!"] power
inline void ParseUnary(CompilerState &sc) {
    if (MatchChar(sc, '+')) {
        ParsePower(sc);
    } else if (MatchChar(sc, '-')) {
        ParsePower(sc);
        EmitByte(sc, kOpNegate);
    } else if (MatchChar(sc, '!')) {
        ParsePower(sc);
        EmitByte(sc, kOpNot);
    } else {
        ParsePower(sc);
    }
}

// product -> unary { ("*" | "/" | "\" | "%") unary }
void ParseProduct(CompilerState &sc) {
    ParseUnary(sc);
    for (;;) {
        unsigned char op;
        if (MatchChar(sc, '*')) op = kOpMul;
        else if (MatchChar(sc, '/')) op = kOpDiv;
        else if (MatchChar(sc, '\\')) op = kOpIntDiv;
        else if (MatchChar(sc, '%')) op = kOpMod;
        else return;
        ParseUnary(sc);
        EmitByte(sc, op);
    }
}

// sum -> product { ("+" | "-") product }
void ParseSum(CompilerState &sc) {
    ParseProduct(sc);
    for (;;) {
        unsigned char op;
        if (MatchChar(sc, '+')) op = kOpAdd;
        else if (MatchChar(sc, '-')) op = kOpSub;
        else return;
        ParseProduct(sc);
        EmitByte(sc, op);
    }
}

// relation -> sum [ ("<" | ">" | "<=" | ">=") sum ]
inline void ParseRelation(CompilerState &sc) {
    ParseSum(sc);
    unsigned char op;
    if (MatchPair(sc, '<', '=')) op = kOpLessEqual;
    else if (MatchPair(sc, '>', '=')) op = kOpGreaterEqual;
    else if (MatchChar(sc, '<')) op = kOpLess;
    else if (MatchChar(sc, '>')) op = kOpGreater;
    else return;
    ParseSum(sc);
    EmitByte(sc, op);
}

// equality -> relation [ ("==" | "!=") relation ]
inline void ParseEquality(CompilerState &sc) {
    ParseRelation(sc);
    unsigned char op;
    if (MatchPair(sc, '=', '=')) op = kOpEqual;
    else if (MatchPair(sc, '!', '=')) op = kOpNotEqual;
    else return;
    ParseRelation(sc);
    EmitByte(sc, op);
}

// and -> equality { "&&" equality }, short-circuit
inline void ParseAnd(CompilerState &sc) {
    ParseEquality(sc);
    while (MatchPair(sc, '&', '&')) {
        unsigned char *skip = EmitJump(sc, kOpAnd);
        ParseEquality(sc);
        PatchOffset(skip, skip, sc.out);
    }
}

// or -> and { "||" and }, short-circuit
void ParseOr(CompilerState &sc) {
    ParseAnd(sc);
    while (MatchPair(sc, '|', '|')) {
        unsigned char *skip = EmitJump(sc, kOpOr);
        ParseAnd(sc);
        PatchOffset(skip, skip, sc.out);
    }
}

// conditional -> or [ "?" conditional ":" conditional ]
void ParseConditional(CompilerState &sc) {
    Nest(sc);
    ParseOr(sc);
    if (MatchChar(sc, '?')) {
        unsigned char *toElse = EmitJump(sc, kOpJumpIfZero);
        ParseConditional(sc);
        if (!MatchChar(sc, ':')) Raise(sc, kCompileColonExpected);
        unsigned char *toEnd = EmitJump(sc, kOpJump);
        PatchOffset(toElse, toElse, sc.out);
        ParseConditional(sc);
        PatchOffset(toEnd, toEnd, sc.out);
    }
    --sc.depth;
}

// The descent over one text, kept apart from the function that owns sc: a
// longjmp leaves the changed locals of the function that called setjmp
// indeterminate.
int Compile(CompilerState &sc, const PcodeProgram *buffer) {
    if (setjmp(sc.bail)) return 0;
    SkipBlanks(sc);
    if (!*sc.cursor) Raise(sc, kCompileUnexpectedEnd);
    ParseConditional(sc);
    *sc.out++ = kOpEnd;
    if (*sc.cursor) Raise(sc, kCompileExtraCharacters);
    return static_cast<int>(sc.out - buffer);
}

}  // namespace

int CompileExpression(const char *text, PcodeProgram *buffer, int size) {
    ++gPcodeGeneration;
    gEvalError = 0;
    gCompileErrorPos = nullptr;
    gCompileCursor = text;
    if (!text) {
        gEvalError = kCompileUnexpectedEnd;
        return 0;
    }
    CompilerState sc;
    sc.cursor = text;
    sc.out = buffer;
    sc.bytesLeft = size;
    sc.lastByte = 0;
    sc.depth = 0;
    const int length = Compile(sc, buffer);
    gCompileCursor = sc.cursor;
    return length;
}
