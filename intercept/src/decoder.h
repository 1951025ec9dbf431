// Instruction decoding for trampolines: capstone in detail mode, and what the
// engine needs to know of each instruction to copy it elsewhere — whether it
// branches relative to its own address, whether it names memory relative to
// the instruction pointer (x64), whether control falls through, and whether
// it is one of the padding forms compilers put between functions.
#pragma once

#include <windows.h>

#include <capstone/capstone.h>

#include <cstddef>
#include <cstdint>

namespace intercept {

enum class Kind {
    Plain,        // no relative branch; copied as it is (RIP operands fixed up)
    CallRel,      // call rel32
    JmpRel,       // jmp rel8 / rel32
    JccRel,       // jcc rel8 / rel32
    Unsupported,  // a relative branch this engine does not rewrite
};

struct Instruction {
    size_t offset = 0;  // from the start of the decoded bytes
    size_t size = 0;
    Kind kind = Kind::Plain;
    bool ends = false;            // control never falls through (ret, jmp)
    bool padding = false;         // int3 or a no-operation form
    BYTE condition = 0;           // jcc condition, low nibble of the opcode
    uintptr_t dest = 0;           // destination of a relative branch
    bool ripRelative = false;     // x64 memory operand relative to the next instruction
    size_t dispOffset = 0;        // ripRelative: where its 32-bit displacement sits
    uintptr_t memoryAddress = 0;  // ripRelative: the address the operand names
    char text[64] = {};           // mnemonic and operands, for refusal reasons
};

// Owns a capstone handle in detail mode and one instruction buffer.
class Decoder {
public:
    Decoder();
    ~Decoder();
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    // False when capstone could not be started (no memory).
    bool ok() const { return insn_ != nullptr; }

    // Decodes the instruction at bytes[offset], which runs at base + offset in
    // the process.
    bool Decode(const BYTE* bytes, size_t available, uintptr_t base, size_t offset, Instruction* out);

    // True when the code at address, read from the process, is a thunk that
    // hands its caller its own return address (mov reg,[esp] / ret, as
    // position-independent 32-bit code uses to find itself).
    bool IsReturnAddressThunk(uintptr_t address);

private:
    void Classify(const BYTE* raw, uintptr_t address, Instruction* in) const;
    bool IsPaddingForm() const;

    csh handle_ = 0;
    cs_insn* insn_ = nullptr;
};

}  // namespace intercept
