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
CompilerState sc;

// For errors 1-4 and 12 the position is the cursor; for the others it is
// what the lexer or MatchChar recorded last.
[[noreturn]] void Raise(int code) {
    if (code <= kCompileBracketExpected || code == kCompileExtraCharacters) gCompileErrorPos = sc.cursor;
    gEvalError = code;
    std::longjmp(sc.bail, 1);
}

[[noreturn]] void RaiseAt(int code, const char *pos) {
    gCompileErrorPos = pos;
    gEvalError = code;
    std::longjmp(sc.bail, 1);
}

bool IsBlank(char c) { return c >= 1 && c <= 32; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }

void SkipBlanks() {
    while (IsBlank(*sc.cursor)) ++sc.cursor;
}

int MatchChar(char c) {
    gCompileErrorPos = sc.cursor;
    if (*sc.cursor != c) return 0;
    ++sc.cursor;
    SkipBlanks();
    return 1;
}

// A two-character operator, both characters adjacent.
int MatchPair(char c1, char c2) {
    if (sc.cursor[0] != c1 || sc.cursor[1] != c2) return 0;
    sc.cursor += 2;
    SkipBlanks();
    return 1;
}

void Nest() {
    if (++sc.depth > kMaxNesting) Raise(kCompilePcodeTooLong);
}

// --- Output. Every byte is charged before it is stored and the charge must
// leave at least one byte: the final opcode 0 goes in free.

void Charge(int bytes) {
    sc.bytesLeft -= bytes;
    if (sc.bytesLeft <= 0) Raise(kCompilePcodeTooLong);
}

void EmitByte(unsigned char b) {
    Charge(1);
    *sc.out++ = b;
    sc.lastByte = b;
}

void EmitDouble(double v) {
    Charge(8);
    std::memcpy(sc.out, &v, 8);
    sc.out += 8;
}

// n 4-byte slots to be filled in later.
unsigned char *ReserveCodeWords(int n) {
    Charge(4 * n);
    unsigned char *slot = sc.out;
    std::memset(slot, 0, 4 * n);
    sc.out += 4 * n;
    return slot;
}

void StoreWord(unsigned char *slot, uint32_t w) { std::memcpy(slot, &w, 4); }

void EmitWord(uint32_t w) { StoreWord(ReserveCodeWords(1), w); }

void EmitAddress(const void *p) { EmitWord(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p))); }

void EmitFunction(BuiltinFunction f) { EmitWord(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(f))); }

// Offsets count from the word that holds them (base) to target.
void PatchOffset(unsigned char *word, const unsigned char *base, const unsigned char *target) {
    StoreWord(word, static_cast<uint32_t>(static_cast<int32_t>(target - base)));
}

// Opcode with one offset word; returns the word.
unsigned char *EmitJump(unsigned char op) {
    EmitByte(op);
    return ReserveCodeWords(1);
}

void EmitConstant(double v) {
    EmitByte(kOpPushConst);
    EmitDouble(v);
}

// --- Lexer.

void ReadToken(Token &t);

void ReadNumber(Token &t) {
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
        Raise(kCompileInvalidCharacter);
    }
    std::memcpy(sc.name, start, p - start);
    sc.name[p - start] = 0;
    // The copy holds only what the number syntax allows, so strtod reads
    // decimal notation and stops where "%lg" would ("1e" is 1).
    t.kind = kTokenValue;
    t.value = std::strtod(sc.name, nullptr);
    sc.cursor = p;
    SkipBlanks();
}

void UpperCaseName() {
    int i = 0;
    for (; sc.name[i]; ++i) {
        char c = sc.name[i];
        sc.upper[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    sc.upper[i] = 0;
}

bool NameIs(const char *candidate) { return candidate && *candidate && std::strcmp(candidate, sc.name) == 0; }

const ColumnEntry *NameTable() { return gNameTable ? gNameTable : gColumnTable; }

// The component of quantity e that the text after its name selects: an
// index in brackets, a run of primes, or none.
double *SelectComponent(const ColumnEntry &e) {
    if (e.low == 0 && e.high == 0) return e.address;  // scalar: a "[" is left to the parser
    int k = 0;
    if (*sc.cursor == '[') {
        ++sc.cursor;
        SkipBlanks();
        Nest();
        const char *indexStart = sc.cursor;
        Token index;
        ReadToken(index);
        --sc.depth;
        if (index.kind != kTokenValue || std::floor(index.value) != index.value)
            RaiseAt(kCompileInvalidIndex, indexStart);
        if (index.value < e.low || index.value > e.high) RaiseAt(kCompileIndexOutOfBounds, indexStart);
        k = static_cast<int>(index.value);
        if (!MatchChar(']')) Raise(kCompileCloseBracketExpected);
    } else if (e.low == 0) {
        while (MatchChar('\''))
            if (++k > e.high) Raise(kCompileIndexOutOfBounds);  // at that prime
    } else {
        Raise(kCompileBracketExpected);
    }
    return e.address + (k - e.low);
}

void LookUpValueName(Token &t) {
    const ColumnEntry *names = NameTable();
    for (int i = 0; names && i < gColumnCount; ++i)
        if (NameIs(names[i].name)) {
            t.kind = kTokenQuantity;
            t.address = SelectComponent(names[i]);
            return;
        }
    for (int i = 0; gParameters && i < gParameterCount; ++i)
        if (NameIs(gParameters[i].name)) {
            t.kind = kTokenValue;
            t.value = gParameters[i].value;
            return;
        }
    UpperCaseName();
    if (const BuiltinConstantEntry *c = FindBuiltinConstant(sc.upper)) {
        t.kind = kTokenValue;
        t.value = c->value;
        return;
    }
    Raise(kCompileUnknownIdentifier);
}

void LookUpFunctionName(Token &t) {
    UpperCaseName();
    if (std::strcmp(sc.upper, "IF") == 0) { t.kind = kTokenIf; return; }
    if (std::strcmp(sc.upper, "MAX") == 0) { t.kind = kTokenMax; return; }
    if (std::strcmp(sc.upper, "MIN") == 0) { t.kind = kTokenMin; return; }
    for (int i = 0; gMathFunctions && i < gMathFunctionCount; ++i) {
        const MathFunctionEntry &m = gMathFunctions[i];
        if (m.argumentCount >= 0 && m.argumentCount <= kMaxMathFunctionArguments && NameIs(m.name)) {
            t.kind = kTokenMathCall;
            t.math = &m;
            return;
        }
    }
    for (int i = 0; gDelayedNames && i < gDelayedNameCount; ++i)
        if (NameIs(gDelayedNames[i].name)) {
            t.kind = kTokenDelayed;
            t.value = i + (gColumnTable ? gColumnTable[kColumnVariables].low : 0);
            t.function = reinterpret_cast<BuiltinFunction>(static_cast<BuiltinFunction2>(EvaluateDelayedValue));
            return;
        }
    if (gCollectiveDelayedCount > 0 && NameIs(gCollectiveDelayedName.name)) {
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
    Raise(kCompileUnknownFunction);
}

void ReadName(Token &t) {
    const char *start = sc.cursor;
    const char *p = start;
    while (IsLetter(*p) || IsDigit(*p)) ++p;
    sc.cursor = p;
    SkipBlanks();
    const bool call = *sc.cursor == '(';
    if (call) {
        ++sc.cursor;
        SkipBlanks();
    }
    // No table holds a name the lexer could not copy.
    if (p - start > kMaxTokenLength) Raise(call ? kCompileUnknownFunction : kCompileUnknownIdentifier);
    std::memcpy(sc.name, start, p - start);
    sc.name[p - start] = 0;
    if (call) LookUpFunctionName(t);
    else LookUpValueName(t);
}

// "%" is result 0; "%[k]" result k, k an optional "-" and decimal digits.
void ReadCalculatorReference(Token &t) {
    ++sc.cursor;
    double k = 0;
    if (*sc.cursor == '[') {
        ++sc.cursor;
        SkipBlanks();
        const bool negative = *sc.cursor == '-';
        if (negative) ++sc.cursor;
        while (IsDigit(*sc.cursor)) k = 10 * k + (*sc.cursor++ - '0');
        SkipBlanks();
        if (negative) k = -k;
        if (!MatchChar(']')) Raise(kCompileCloseBracketExpected);
    } else {
        SkipBlanks();
    }
    t.kind = kTokenCalculator;
    t.value = k;
}

void ReadToken(Token &t) {
    gCompileErrorPos = sc.cursor;
    t = Token{};
    const char c = *sc.cursor;
    if (IsDigit(c) || (c == '.' && IsDigit(sc.cursor[1]))) {
        ReadNumber(t);
    } else if (IsLetter(c)) {
        ReadName(t);
    } else if (c == '%') {
        ReadCalculatorReference(t);
    } else if (c == 0) {
        t.kind = kTokenEnd;
    } else if (c == '(') {
        ++sc.cursor;
        SkipBlanks();
        t.kind = kTokenOpenParen;
    } else if (c == '$' && gMathLinkOn) {
        ++sc.cursor;
        SkipBlanks();
        t.kind = kTokenMathLink;
    } else {
        Raise(kCompileInvalidCharacter);
    }
}

// --- Parser, one function per grammar level, lowest precedence first.

void ParseConditional();

// args -> conditional { "," conditional } ")" with exactly k of them
void ParseFixedArguments(int k) {
    for (int i = 0; i < k; ++i) {
        if (i > 0 && !MatchChar(',')) Raise(kCompileCommaExpected);
        ParseConditional();
    }
    if (!MatchChar(')')) Raise(kCompileParenExpected);
}

// IF(c, a, b [, d]): c, If(to b, to a or d), a, Jump(end), b [, Jump(end), d]
void ParseIf() {
    ParseConditional();
    if (!MatchChar(',')) Raise(kCompileCommaExpected);
    EmitByte(kOpIf);
    unsigned char *offsets = ReserveCodeWords(2);
    const unsigned char *positiveBranch = sc.out;
    ParseConditional();
    if (!MatchChar(',')) Raise(kCompileCommaExpected);
    unsigned char *afterPositive = EmitJump(kOpJump);
    PatchOffset(offsets, offsets, sc.out);
    ParseConditional();
    if (MatchChar(',')) {
        unsigned char *afterZero = EmitJump(kOpJump);
        PatchOffset(offsets + 4, offsets, sc.out);
        ParseConditional();
        PatchOffset(afterZero, afterZero, sc.out);
    } else {
        // Negative or NaN with three arguments: as positive.
        PatchOffset(offsets + 4, offsets, positiveBranch);
    }
    PatchOffset(afterPositive, afterPositive, sc.out);
    if (!MatchChar(')')) Raise(kCompileParenExpected);
}

// MAX(a, ...) / MIN(a, ...): a, then each further argument and the fold.
void ParseFold(unsigned char op) {
    ParseConditional();
    while (MatchChar(',')) {
        ParseConditional();
        EmitByte(op);
    }
    if (!MatchChar(')')) Raise(kCompileParenExpected);
}

// $name(args): args, MathLink, the name's bytes, 0, the count.
void ParseMathLinkCall() {
    const char *name = sc.cursor;
    const char *paren = std::strchr(name, '(');
    if (!paren) Raise(kCompileMathLinkCallExpected);  // at the "$"
    const char *nameEnd = paren;
    while (nameEnd > name && IsBlank(nameEnd[-1])) --nameEnd;
    if (nameEnd == name) Raise(kCompileMathLinkCallExpected);
    sc.cursor = paren + 1;
    SkipBlanks();
    int32_t count = 0;
    if (!MatchChar(')')) {
        do {
            ParseConditional();
            ++count;
        } while (MatchChar(','));
        if (!MatchChar(')')) Raise(kCompileParenExpected);
    }
    EmitByte(kOpMathLink);
    for (const char *p = name; p < nameEnd; ++p) EmitByte(static_cast<unsigned char>(*p));
    EmitByte(0);
    EmitWord(static_cast<uint32_t>(count));
}

// primary -> value | quantity | call | "(" conditional ")" | "%[k]" | "$" call
void ParsePrimary() {
    Token t;
    ReadToken(t);
    switch (t.kind) {
    case kTokenEnd: Raise(kCompileUnexpectedEnd);
    case kTokenValue: EmitConstant(t.value); break;
    case kTokenQuantity:
        EmitByte(kOpPushCell);
        EmitAddress(t.address);
        break;
    case kTokenMathCall: {
        const int k = t.math->argumentCount;
        ParseFixedArguments(k);
        EmitByte(kOpCallMath);
        EmitByte(static_cast<unsigned char>(k));
        EmitWord(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(t.math->function)));
        break;
    }
    case kTokenCall0:
    case kTokenCall1:
    case kTokenCall2:
    case kTokenCall3: {
        const int k = kTokenCall0 - t.kind;
        ParseFixedArguments(k);
        EmitByte(static_cast<unsigned char>(kOpCall0 + k));
        EmitFunction(t.function);
        break;
    }
    case kTokenDelayed:
        EmitConstant(t.value);
        ParseFixedArguments(1);
        EmitByte(kOpCall2);
        EmitFunction(t.function);
        break;
    case kTokenOpenParen:
        ParseConditional();
        if (!MatchChar(')')) Raise(kCompileParenExpected);
        break;
    case kTokenIf: ParseIf(); break;
    case kTokenMax: ParseFold(kOpMax); break;
    case kTokenMin: ParseFold(kOpMin); break;
    case kTokenMathLink: ParseMathLinkCall(); break;
    case kTokenCalculator:
        EmitConstant(t.value);
        EmitByte(kOpCalculatorResult);
        break;
    }
}

// power -> primary [ ("^" | "^^") ["+" | "-"] primary ]
void ParsePower() {
    ParsePrimary();
    unsigned char op;
    if (MatchPair('^', '^')) op = kOpNthRoot;
    else if (MatchChar('^')) op = kOpPow;
    else return;
    bool negative = false;
    if (!MatchChar('+')) negative = MatchChar('-');
    unsigned char *exponent = sc.out;
    ParsePrimary();
    if (negative) {
        if (sc.out - exponent == 9 && sc.lastByte == kOpPushConst) {  // one constant push
            double v = ReadPcodeDouble(exponent + 1);
            v = -v;
            std::memcpy(exponent + 1, &v, 8);
        } else {
            EmitByte(kOpNegate);
        }
    }
    EmitByte(op);
}

// unary -> ["+" | "-" | "!"] power
void ParseUnary() {
    if (MatchChar('+')) {
        ParsePower();
    } else if (MatchChar('-')) {
        ParsePower();
        EmitByte(kOpNegate);
    } else if (MatchChar('!')) {
        ParsePower();
        EmitByte(kOpNot);
    } else {
        ParsePower();
    }
}

// product -> unary { ("*" | "/" | "\" | "%") unary }
void ParseProduct() {
    ParseUnary();
    for (;;) {
        unsigned char op;
        if (MatchChar('*')) op = kOpMul;
        else if (MatchChar('/')) op = kOpDiv;
        else if (MatchChar('\\')) op = kOpIntDiv;
        else if (MatchChar('%')) op = kOpMod;
        else return;
        ParseUnary();
        EmitByte(op);
    }
}

// sum -> product { ("+" | "-") product }
void ParseSum() {
    ParseProduct();
    for (;;) {
        unsigned char op;
        if (MatchChar('+')) op = kOpAdd;
        else if (MatchChar('-')) op = kOpSub;
        else return;
        ParseProduct();
        EmitByte(op);
    }
}

// relation -> sum [ ("<" | ">" | "<=" | ">=") sum ]
void ParseRelation() {
    ParseSum();
    unsigned char op;
    if (MatchPair('<', '=')) op = kOpLessEqual;
    else if (MatchPair('>', '=')) op = kOpGreaterEqual;
    else if (MatchChar('<')) op = kOpLess;
    else if (MatchChar('>')) op = kOpGreater;
    else return;
    ParseSum();
    EmitByte(op);
}

// equality -> relation [ ("==" | "!=") relation ]
void ParseEquality() {
    ParseRelation();
    unsigned char op;
    if (MatchPair('=', '=')) op = kOpEqual;
    else if (MatchPair('!', '=')) op = kOpNotEqual;
    else return;
    ParseRelation();
    EmitByte(op);
}

// and -> equality { "&&" equality }, short-circuit
void ParseAnd() {
    ParseEquality();
    while (MatchPair('&', '&')) {
        unsigned char *skip = EmitJump(kOpAnd);
        ParseEquality();
        PatchOffset(skip, skip, sc.out);
    }
}

// or -> and { "||" and }, short-circuit
void ParseOr() {
    ParseAnd();
    while (MatchPair('|', '|')) {
        unsigned char *skip = EmitJump(kOpOr);
        ParseAnd();
        PatchOffset(skip, skip, sc.out);
    }
}

// conditional -> or [ "?" conditional ":" conditional ]
void ParseConditional() {
    Nest();
    ParseOr();
    if (MatchChar('?')) {
        unsigned char *toElse = EmitJump(kOpJumpIfZero);
        ParseConditional();
        if (!MatchChar(':')) Raise(kCompileColonExpected);
        unsigned char *toEnd = EmitJump(kOpJump);
        PatchOffset(toElse, toElse, sc.out);
        ParseConditional();
        PatchOffset(toEnd, toEnd, sc.out);
    }
    --sc.depth;
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
    sc.cursor = text;
    sc.out = buffer;
    sc.bytesLeft = size;
    sc.depth = 0;
    if (setjmp(sc.bail)) {
        gCompileCursor = sc.cursor;
        return 0;
    }
    SkipBlanks();
    if (!*sc.cursor) Raise(kCompileUnexpectedEnd);
    ParseConditional();
    *sc.out++ = kOpEnd;
    if (*sc.cursor) Raise(kCompileExtraCharacters);
    gCompileCursor = sc.cursor;
    return static_cast<int>(sc.out - buffer);
}
