#include "pcode_listing.h"

#include <cstdio>

#include "opcodes.h"

namespace {

std::string Address(uint32_t a, const AddressNames &names) {
    auto it = names.find(a);
    if (it != names.end()) return it->second;
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", a);
    return text;
}

std::string Operands(const unsigned char *code, int at, const AddressNames &names) {
    const unsigned char *p = code + at + 1;
    char text[96];
    switch (PcodeOpInfoOf(code[at]).operands) {
    case kOperandsNone: return "";
    case kOperandsDouble: std::snprintf(text, sizeof text, " %.17g", ReadPcodeDouble(p)); return text;
    case kOperandsAddress: return " " + Address(ReadPcodeWord(p), names);
    case kOperandsOffset: {
        int32_t off = ReadPcodeInt(p);
        std::snprintf(text, sizeof text, " %+d -> %d", off, at + 1 + off);
        return text;
    }
    case kOperandsTwoOffsets: {
        int32_t zero = ReadPcodeInt(p), negative = ReadPcodeInt(p + 4);
        std::snprintf(text, sizeof text, " %+d -> %d, %+d -> %d", zero, at + 1 + zero, negative,
                      at + 1 + negative);
        return text;
    }
    case kOperandsCountAddress:
        std::snprintf(text, sizeof text, " %d ", p[0]);
        return text + Address(ReadPcodeWord(p + 1), names);
    case kOperandsNameCount: {
        std::string name(reinterpret_cast<const char *>(p));
        std::snprintf(text, sizeof text, " %d", ReadPcodeInt(p + name.size() + 1));
        return " \"" + name + "\"" + text;
    }
    }
    return "";
}

}  // namespace

std::string ListPcode(const unsigned char *code, int length, const AddressNames &names) {
    std::string out;
    char head[32];
    for (int at = 0; at < length;) {
        int size = PcodeInstructionLength(code + at);
        if (size == 0 || at + size > length) {
            std::snprintf(head, sizeof head, "%d ?? %d\n", at, code[at]);
            return out + head;
        }
        std::snprintf(head, sizeof head, "%d %s", at, PcodeOpInfoOf(code[at]).name);
        out += head + Operands(code, at, names) + "\n";
        if (code[at] == kOpEnd) break;
        at += size;
    }
    return out;
}
