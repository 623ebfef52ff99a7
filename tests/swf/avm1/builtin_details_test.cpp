// Details of built-ins that movies notice: accessor nesting per version, watchers on __proto__,
// Color's 16-bit transform fields, XML idMap, FileReferenceList filter checks and radix digits.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "vm_fixture.h"

namespace swf::avm1::testing {
namespace {

// o.test = 5; then o.addProperty("test", get, set) where both count their calls in `calls`
// and reach o.test themselves; finally trace(o.test) and the number of getter calls.
Lines selfReachingAccessor(int version)
{
    VmFixture t(version);
    Asm code;
    code.push({"o", 0}).op(Op::InitObject).op(Op::SetVariable);
    code.get("o").push({"test", 5}).op(Op::SetMember);
    code.set("calls", 0);
    code.defineFunction("", {"v"}, [](Asm& f) { f.get("this").push({"test"}).get("v").op(Op::SetMember); });
    code.defineFunction("", {}, [](Asm& f) {
        f.push({"calls"}).get("calls").push({1}).op(Op::Add2).op(Op::SetVariable);
        f.get("this").push({"test"}).op(Op::GetMember).op(Op::Return);
    });
    code.push({"test", 3}).get("o").push({"addProperty"}).op(Op::CallMethod).op(Op::Pop);
    code.get("o").push({"test"}).op(Op::GetMember).op(Op::Trace);
    code.traceVar("calls");
    // A setter that assigns its own property ends as well; the value lands underneath.
    code.get("o").push({"test", 7}).op(Op::SetMember);
    code.set("calls", 0);
    code.get("o").push({"test"}).op(Op::GetMember).op(Op::Trace);
    return t.run(code);
}

TEST(BuiltinDetails, AccessorsReachingTheirOwnPropertyNestALimitedNumberOfTimes)
{
    EXPECT_EQ(selfReachingAccessor(6), (Lines{"5", "1", "7"}));
    EXPECT_EQ(selfReachingAccessor(7), (Lines{"5", "65", "7"}));
}

TEST(BuiltinDetails, WatchersSeeAssignmentsToProto)
{
    VmFixture t(6);
    Asm code;
    code.push({"o", 0}).op(Op::InitObject).op(Op::SetVariable);
    code.push({Undefined{}});
    code.defineFunction("", {"name", "oldValue", "newValue"}, [](Asm& f) {
        f.traceVar("name");
        f.get("newValue").op(Op::Return);
    });
    code.push({"__proto__", 2}).get("o").push({"watch"}).op(Op::CallMethod).op(Op::Pop);
    code.get("o").push({"__proto__", "foo"}).op(Op::SetMember);
    code.get("o").push({"__proto__"}).op(Op::GetMember).op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"__proto__", "foo"}));
}

TEST(BuiltinDetails, ColorKeepsSixteenBitFieldsAndReadsOnlyOwnOnes)
{
    VmFixture t(6);
    auto clip = t.host.root->addChild(t.vm(), u"mc");
    Asm code;
    code.push({"c", "mc", 1, "Color"}).op(Op::NewObject).op(Op::SetVariable);
    code.get("c").push({"target"}).op(Op::GetMember).op(Op::Trace);
    // Object.prototype.bb = 77 is inherited, not own: it does not count.
    code.get("Object").push({"prototype"}).op(Op::GetMember).push({"bb", 77}).op(Op::SetMember);
    code.push({"aa", 1, "ra", 12800, "rb", 65546, "gb", "Infinity", 4}).op(Op::InitObject);
    code.push({1}).get("c").push({"setTransform"}).op(Op::CallMethod).op(Op::Pop);
    EXPECT_EQ(t.run(code), (Lines{"mc"}));
    ColorTransform ct = clip->colorTransform();
    EXPECT_EQ(ct.aMult, 2.0 / 256);  // 1 % is 2.56 / 256, kept as 2 / 256
    EXPECT_EQ(ct.rMult, -128);       // 12800 % wraps to -32768 / 256
    EXPECT_EQ(ct.rAdd, 10);          // 65546 wraps to 10
    EXPECT_EQ(ct.gAdd, 0);           // not finite
    EXPECT_EQ(ct.bAdd, 0);
    // Offsets combine with their signs in getRGB.
    Asm rgb;
    rgb.push({"rb", -50, "gb", -25, "bb", 25, 3}).op(Op::InitObject);
    rgb.push({1}).get("c").push({"setTransform"}).op(Op::CallMethod).op(Op::Pop);
    rgb.callMethod([](Asm& a) { a.get("c"); }, "getRGB").op(Op::Trace);
    EXPECT_EQ(t.run(rgb), (Lines{"-6375"}));
}

TEST(BuiltinDetails, XmlListsElementsWithAnIdInIdMap)
{
    VmFixture t(6);
    Asm code;
    code.push({"x", "<a id='one'><b id='two'/><c/></a>", 1, "XML"}).op(Op::NewObject).op(Op::SetVariable);
    code.push({"map"}).get("x").push({"idMap"}).op(Op::GetMember).op(Op::SetVariable);
    code.get("map").push({"two"}).op(Op::GetMember).push({"nodeName"}).op(Op::GetMember).op(Op::Trace);
    // A later parse adds to the same map.
    code.callMethod([](Asm& a) { a.get("x"); }, "parseXML", {"<d id='three'/>"}).op(Op::Pop);
    code.get("map").push({"three"}).op(Op::GetMember).push({"nodeName"}).op(Op::GetMember).op(Op::Trace);
    code.get("map").push({"one"}).op(Op::GetMember).op(Op::TypeOf).op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"b", "d", "object"}));
}

// list.browse(filters) for a filter array built by `makeFilters`.
std::string browse(const std::function<void(Asm&)>& makeFilters)
{
    VmFixture t(8);
    Asm code;
    code.push({"list", 0}).get("flash").push({"net"}).op(Op::GetMember).push({"FileReferenceList"}).op(Op::NewMethod);
    code.op(Op::SetVariable);
    makeFilters(code);
    code.push({1}).get("list").push({"browse"}).op(Op::CallMethod).op(Op::Trace);
    return t.runOne(code);
}

TEST(BuiltinDetails, FileReferenceListChecksItsFilters)
{
    auto filter = [](const char* description, const char* extension) {
        return [=](Asm& a) {
            a.push({"description", description, "extension", extension, 2}).op(Op::InitObject);
            a.push({1}).op(Op::InitArray);
        };
    };
    EXPECT_EQ(browse(filter("Text", "*.txt")), "true");
    EXPECT_EQ(browse(filter("", "*.txt")), "false");
    EXPECT_EQ(browse(filter("Text", "")), "false");
    EXPECT_EQ(browse([](Asm& a) { a.push({0}).op(Op::InitArray); }), "false");
    EXPECT_EQ(browse([](Asm& a) { a.push({"*.txt"}); }), "false");
    EXPECT_EQ(browse([](Asm& a) { a.push({"not an object", 1}).op(Op::InitArray); }), "false");
}

TEST(BuiltinDetails, RadixDigitsOfNaN)
{
    VmFixture t(6);
    Asm code;
    code.push({2, 1, std::nan("")}).push({"toString"}).op(Op::CallMethod).op(Op::Trace);
    code.push({4, 1, std::nan("")}).push({"toString"}).op(Op::CallMethod).op(Op::Trace);
    code.push({2, 1, -5}).push({"toString"}).op(Op::CallMethod).op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"-/0000000000000000000000000000000", "-.000000000000000", "-101"}));
}

// An object whose valueOf traces its number and returns it.
void pushCountingNumber(Asm& code, int n)
{
    code.push({"v", n, "valueOf"});
    code.defineFunction("", {}, [](Asm& f) {
        f.push({"valueOf called: "}).get("this").push({"v"}).op(Op::GetMember).op(Op::Add2).op(Op::Trace);
        f.get("this").push({"v"}).op(Op::GetMember).op(Op::Return);
    });
    code.push({2}).op(Op::InitObject);
}

// Math.name(3-counting, 2-counting, 1-counting) traced.
Lines mathWithThreeObjects(const char* name)
{
    VmFixture t(8);
    Asm code;
    for (int n : {1, 2, 3}) pushCountingNumber(code, n);
    code.push({3}).get("Math").push({name}).op(Op::CallMethod).op(Op::Trace);
    return t.run(code);
}

TEST(BuiltinDetails, MathFunctionsReadExactlyTheirFirstTwoArguments)
{
    EXPECT_EQ(mathWithThreeObjects("abs"), (Lines{"valueOf called: 3", "valueOf called: 2", "3"}));
    EXPECT_EQ(mathWithThreeObjects("max"), (Lines{"valueOf called: 3", "valueOf called: 2", "3"}));
    EXPECT_EQ(mathWithThreeObjects("min"), (Lines{"valueOf called: 3", "valueOf called: 2", "2"}));
    EXPECT_EQ(mathWithThreeObjects("pow"), (Lines{"valueOf called: 3", "valueOf called: 2", "9"}));

    VmFixture t(8);
    Asm code;
    code.callMethod([](Asm& a) { a.get("Math"); }, "min", {}).op(Op::Trace);
    code.callMethod([](Asm& a) { a.get("Math"); }, "max", {5}).op(Op::Trace);  // the missing second is NaN
    code.callMethod([](Asm& a) { a.get("Math"); }, "atan2", {1}).op(Op::Trace);
    code.callMethod([](Asm& a) { a.get("Math"); }, "pow", {true}).op(Op::Trace);  // C's pow(1, NaN)
    // An index of the Math table that has no function still reads its arguments and gives NaN.
    code.push({1});
    pushCountingNumber(code, 4);
    code.push({2});
    code.push({50, 200, 2}).push({"ASnative"}).op(Op::CallFunction);
    code.push({Undefined{}}).op(Op::CallMethod).op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"Infinity", "NaN", "NaN", "1", "valueOf called: 4", "NaN"}));
}

}  // namespace
}  // namespace swf::avm1::testing
