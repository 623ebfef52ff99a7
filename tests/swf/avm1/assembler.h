#pragma once
// A small byte-code assembler for tests: actions, typed pushes, labels for jumps, and the
// nested blocks of functions, With and Try.

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "swf/avm1/code.h"

namespace swf::avm1::testing {

namespace Op {
constexpr std::uint8_t End = 0x00, NextFrame = 0x04, PrevFrame = 0x05, Play = 0x06, Stop = 0x07;
constexpr std::uint8_t Add = 0x0A, Subtract = 0x0B, Multiply = 0x0C, Divide = 0x0D, Equals = 0x0E, Less = 0x0F;
constexpr std::uint8_t And = 0x10, Or = 0x11, Not = 0x12, StringEquals = 0x13, StringLength = 0x14;
constexpr std::uint8_t StringExtract = 0x15, Pop = 0x17, ToInteger = 0x18, GetVariable = 0x1C, SetVariable = 0x1D;
constexpr std::uint8_t SetTarget2 = 0x20, StringAdd = 0x21, GetProperty = 0x22, SetProperty = 0x23;
constexpr std::uint8_t Trace = 0x26, StringLess = 0x29, Throw = 0x2A, CastOp = 0x2B, ImplementsOp = 0x2C;
constexpr std::uint8_t RandomNumber = 0x30, MBStringLength = 0x31, CharToAscii = 0x32, AsciiToChar = 0x33;
constexpr std::uint8_t GetTime = 0x34, Delete = 0x3A, Delete2 = 0x3B, DefineLocal = 0x3C, CallFunction = 0x3D;
constexpr std::uint8_t Return = 0x3E, Modulo = 0x3F, NewObject = 0x40, DefineLocal2 = 0x41, InitArray = 0x42;
constexpr std::uint8_t InitObject = 0x43, TypeOf = 0x44, TargetPath = 0x45, Enumerate = 0x46, Add2 = 0x47;
constexpr std::uint8_t Less2 = 0x48, Equals2 = 0x49, ToNumber = 0x4A, ToString = 0x4B, PushDuplicate = 0x4C;
constexpr std::uint8_t StackSwap = 0x4D, GetMember = 0x4E, SetMember = 0x4F, Increment = 0x50, Decrement = 0x51;
constexpr std::uint8_t CallMethod = 0x52, NewMethod = 0x53, InstanceOf = 0x54, Enumerate2 = 0x55;
constexpr std::uint8_t BitAnd = 0x60, BitOr = 0x61, BitXor = 0x62, BitLShift = 0x63, BitRShift = 0x64;
constexpr std::uint8_t BitURShift = 0x65, StrictEquals = 0x66, Greater = 0x67, StringGreater = 0x68, Extends = 0x69;
constexpr std::uint8_t GotoFrame = 0x81, GetUrl = 0x83, StoreRegister = 0x87, ConstantPool = 0x88;
constexpr std::uint8_t SetTarget = 0x8B, GoToLabel = 0x8C, DefineFunction2 = 0x8E, Try = 0x8F, With = 0x94;
constexpr std::uint8_t Push = 0x96, Jump = 0x99, GetUrl2 = 0x9A, DefineFunction = 0x9B, If = 0x9D, Call = 0x9E;
constexpr std::uint8_t GotoFrame2 = 0x9F;
}  // namespace Op

struct Undefined {};
struct Null {};
struct Reg {
    std::uint8_t index;
};
struct Const {
    std::uint16_t index;
};
// A push operand: strings, doubles (type 6), int32 (type 7), booleans, null, undefined,
// registers and constant-pool entries.
using PushItem = std::variant<std::string, const char*, double, int, bool, Null, Undefined, Reg, Const>;

class Asm {
public:
    struct Label {
        int id;
    };

    Asm& op(std::uint8_t code)
    {
        out_.push_back(code);
        return *this;
    }
    Asm& action(std::uint8_t code, const std::vector<std::uint8_t>& payload)
    {
        out_.push_back(code);
        u16(static_cast<std::uint16_t>(payload.size()));
        out_.insert(out_.end(), payload.begin(), payload.end());
        return *this;
    }
    Asm& push(std::initializer_list<PushItem> items)
    {
        std::vector<std::uint8_t> p;
        for (const PushItem& item : items) encode(p, item);
        return action(Op::Push, p);
    }
    Asm& constantPool(const std::vector<std::string>& strings)
    {
        std::vector<std::uint8_t> p{static_cast<std::uint8_t>(strings.size() & 0xFF),
                                    static_cast<std::uint8_t>(strings.size() >> 8)};
        for (const std::string& s : strings) cstring(p, s);
        return action(Op::ConstantPool, p);
    }
    Asm& storeRegister(std::uint8_t r) { return action(Op::StoreRegister, {r}); }
    Asm& setTarget(const std::string& path)
    {
        std::vector<std::uint8_t> p;
        cstring(p, path);
        return action(Op::SetTarget, p);
    }
    Asm& gotoFrame(std::uint16_t zeroBased)
    {
        return action(Op::GotoFrame, {static_cast<std::uint8_t>(zeroBased & 0xFF), static_cast<std::uint8_t>(zeroBased >> 8)});
    }
    Asm& getUrl(const std::string& url, const std::string& target)
    {
        std::vector<std::uint8_t> p;
        cstring(p, url);
        cstring(p, target);
        return action(Op::GetUrl, p);
    }
    Asm& getUrl2(std::uint8_t flags) { return action(Op::GetUrl2, {flags}); }

    // Shorthands for the common patterns.
    Asm& trace(PushItem v) { return push({v}).op(Op::Trace); }
    Asm& traceVar(const std::string& name) { return push({name}).op(Op::GetVariable).op(Op::Trace); }
    Asm& set(const std::string& name, PushItem v) { return push({name, v}).op(Op::SetVariable); }
    Asm& get(const std::string& name) { return push({name}).op(Op::GetVariable); }
    // obj.name(args...) with the object already produced by `pushObject`.
    Asm& callMethod(const std::function<void(Asm&)>& pushObject, const std::string& name,
                    std::initializer_list<PushItem> args = {})
    {
        pushReversed(args);
        pushObject(*this);
        return push({name}).op(Op::CallMethod);
    }
    Asm& callFunction(const std::string& name, std::initializer_list<PushItem> args = {})
    {
        pushReversed(args);
        return push({name}).op(Op::CallFunction);
    }

    // Labels.
    Label label()
    {
        labels_.push_back(-1);
        return Label{static_cast<int>(labels_.size() - 1)};
    }
    Asm& bind(Label l)
    {
        labels_[static_cast<std::size_t>(l.id)] = static_cast<int>(out_.size());
        return *this;
    }
    Asm& jump(Label l) { return branch(Op::Jump, l); }
    Asm& ifTrue(Label l) { return branch(Op::If, l); }
    // A raw jump by a byte offset (to test bad branches).
    Asm& jumpBy(std::int16_t offset)
    {
        auto o = static_cast<std::uint16_t>(offset);
        return action(Op::Jump, {static_cast<std::uint8_t>(o & 0xFF), static_cast<std::uint8_t>(o >> 8)});
    }

    // Blocks.
    Asm& defineFunction(const std::string& name, const std::vector<std::string>& params,
                        const std::function<void(Asm&)>& body)
    {
        Asm inner;
        body(inner);
        std::vector<std::uint8_t> code = inner.bytes();
        std::vector<std::uint8_t> p;
        cstring(p, name);
        u16(p, static_cast<std::uint16_t>(params.size()));
        for (const std::string& s : params) cstring(p, s);
        u16(p, static_cast<std::uint16_t>(code.size()));
        action(Op::DefineFunction, p);
        out_.insert(out_.end(), code.begin(), code.end());
        return *this;
    }
    struct Param2 {
        std::uint8_t reg;
        std::string name;
    };
    Asm& defineFunction2(const std::string& name, std::uint8_t registers, std::uint16_t flags,
                         const std::vector<Param2>& params, const std::function<void(Asm&)>& body)
    {
        Asm inner;
        body(inner);
        std::vector<std::uint8_t> code = inner.bytes();
        std::vector<std::uint8_t> p;
        cstring(p, name);
        u16(p, static_cast<std::uint16_t>(params.size()));
        p.push_back(registers);
        u16(p, flags);
        for (const Param2& prm : params) {
            p.push_back(prm.reg);
            cstring(p, prm.name);
        }
        u16(p, static_cast<std::uint16_t>(code.size()));
        action(Op::DefineFunction2, p);
        out_.insert(out_.end(), code.begin(), code.end());
        return *this;
    }
    // With: the object must already be on the stack.
    Asm& with(const std::function<void(Asm&)>& body)
    {
        Asm inner;
        body(inner);
        std::vector<std::uint8_t> code = inner.bytes();
        std::vector<std::uint8_t> p;
        u16(p, static_cast<std::uint16_t>(code.size()));
        action(Op::With, p);
        out_.insert(out_.end(), code.begin(), code.end());
        return *this;
    }
    // try { tryBody } catch (catchName) { catchBody } finally { finallyBody }; empty
    // functions leave out the block.
    Asm& tryCatch(const std::function<void(Asm&)>& tryBody, const std::string& catchName,
                  const std::function<void(Asm&)>& catchBody, const std::function<void(Asm&)>& finallyBody)
    {
        Asm t, c, f;
        tryBody(t);
        if (catchBody) catchBody(c);
        if (finallyBody) finallyBody(f);
        std::vector<std::uint8_t> tb = t.bytes(), cb = c.bytes(), fb = f.bytes();
        std::vector<std::uint8_t> p;
        p.push_back(static_cast<std::uint8_t>((catchBody ? 1 : 0) | (finallyBody ? 2 : 0)));
        u16(p, static_cast<std::uint16_t>(tb.size()));
        u16(p, static_cast<std::uint16_t>(cb.size()));
        u16(p, static_cast<std::uint16_t>(fb.size()));
        cstring(p, catchName);
        action(Op::Try, p);
        out_.insert(out_.end(), tb.begin(), tb.end());
        out_.insert(out_.end(), cb.begin(), cb.end());
        out_.insert(out_.end(), fb.begin(), fb.end());
        return *this;
    }

    // Raw bytes (malformed code in tests).
    Asm& raw(const std::vector<std::uint8_t>& bytes)
    {
        out_.insert(out_.end(), bytes.begin(), bytes.end());
        return *this;
    }

    std::vector<std::uint8_t> bytes() const
    {
        std::vector<std::uint8_t> b = out_;
        for (const Fixup& f : fixups_) {
            int target = labels_[static_cast<std::size_t>(f.label)];
            auto offset = static_cast<std::int16_t>(target - static_cast<int>(f.after));
            auto o = static_cast<std::uint16_t>(offset);
            b[f.at] = static_cast<std::uint8_t>(o & 0xFF);
            b[f.at + 1] = static_cast<std::uint8_t>(o >> 8);
        }
        return b;
    }
    // The body of a DoAction tag: the actions and the End action that closes them.
    std::vector<std::uint8_t> doActionBody() const
    {
        std::vector<std::uint8_t> b = bytes();
        b.push_back(0);
        return b;
    }
    ActionBlock block(int swfVersion) const { return ActionBlock::copyOf(doActionBody(), swfVersion); }

private:
    struct Fixup {
        std::size_t at;     // offset of the SI16
        std::size_t after;  // PC after the branch action
        int label;
    };

    Asm& branch(std::uint8_t code, Label l)
    {
        action(code, {0, 0});
        fixups_.push_back(Fixup{out_.size() - 2, out_.size(), l.id});
        return *this;
    }
    void pushReversed(std::initializer_list<PushItem> args)
    {
        std::vector<PushItem> v(args);
        for (auto it = v.rbegin(); it != v.rend(); ++it) push({*it});
        push({static_cast<int>(v.size())});
    }
    void u16(std::uint16_t v)
    {
        out_.push_back(static_cast<std::uint8_t>(v & 0xFF));
        out_.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    static void u16(std::vector<std::uint8_t>& p, std::uint16_t v)
    {
        p.push_back(static_cast<std::uint8_t>(v & 0xFF));
        p.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    static void cstring(std::vector<std::uint8_t>& p, const std::string& s)
    {
        p.insert(p.end(), s.begin(), s.end());
        p.push_back(0);
    }
    static void encode(std::vector<std::uint8_t>& p, const PushItem& item)
    {
        if (auto* s = std::get_if<std::string>(&item)) {
            p.push_back(0);
            cstring(p, *s);
        } else if (auto* cs = std::get_if<const char*>(&item)) {
            p.push_back(0);
            cstring(p, *cs);
        } else if (auto* d = std::get_if<double>(&item)) {
            std::uint64_t bits;
            std::memcpy(&bits, d, 8);
            p.push_back(6);
            std::uint32_t hi = static_cast<std::uint32_t>(bits >> 32), lo = static_cast<std::uint32_t>(bits);
            for (std::uint32_t w : {hi, lo}) {
                for (int k = 0; k < 4; ++k) p.push_back(static_cast<std::uint8_t>(w >> (8 * k)));
            }
        } else if (auto* i = std::get_if<int>(&item)) {
            p.push_back(7);
            auto u = static_cast<std::uint32_t>(*i);
            for (int k = 0; k < 4; ++k) p.push_back(static_cast<std::uint8_t>(u >> (8 * k)));
        } else if (auto* b = std::get_if<bool>(&item)) {
            p.push_back(5);
            p.push_back(*b ? 1 : 0);
        } else if (std::holds_alternative<Null>(item)) {
            p.push_back(2);
        } else if (std::holds_alternative<Undefined>(item)) {
            p.push_back(3);
        } else if (auto* r = std::get_if<Reg>(&item)) {
            p.push_back(4);
            p.push_back(r->index);
        } else if (auto* c = std::get_if<Const>(&item)) {
            if (c->index < 256) {
                p.push_back(8);
                p.push_back(static_cast<std::uint8_t>(c->index));
            } else {
                p.push_back(9);
                u16(p, c->index);
            }
        }
    }

    std::vector<std::uint8_t> out_;
    std::vector<int> labels_;
    std::vector<Fixup> fixups_;
};

}  // namespace swf::avm1::testing
