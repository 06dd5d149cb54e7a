// Disassembler of P-code for tests: one line per instruction, from the same
// opcode list the compiler and the interpreter use.
#pragma once
#include <cstdint>
#include <map>
#include <string>

// Names for the addresses a listing may show (cells, functions); others
// appear in hex.
typedef std::map<uint32_t, std::string> AddressNames;

template <class T> uint32_t AddressOf(T *p) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p));
}

// "offset Name operands" lines up to and including the first End, or up to
// length bytes; an invalid opcode ends the listing with "offset ?? value".
std::string ListPcode(const unsigned char *code, int length, const AddressNames &names = {});
