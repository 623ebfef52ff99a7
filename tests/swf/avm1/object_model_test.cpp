// Prototypes, classes, getters and setters, watchers, property flags and enumeration.

#include <gtest/gtest.h>

#include "vm_fixture.h"

namespace swf::avm1::testing {
namespace {

// _global.Animal = function (name) { this.name = name }
// Animal.prototype.speak = function () { return this.name + " makes a sound" }
// _global.Dog = function (name) { super(name) }; Dog extends Animal
// Dog.prototype.speak = function () { return super.speak() + " (woof)" }
void defineClasses(Asm& code)
{
    code.get("_global").push({"Animal"}).defineFunction("", {"name"}, [](Asm& f) {
        f.get("this").push({"name"}).get("name").op(Op::SetMember);
    });
    code.op(Op::SetMember);
    code.get("Animal").push({"prototype"}).op(Op::GetMember).push({"speak"});
    code.defineFunction("", {}, [](Asm& f) {
        f.get("this").push({"name"}).op(Op::GetMember).push({" makes a sound"}).op(Op::Add2).op(Op::Return);
    });
    code.op(Op::SetMember);
    code.get("_global").push({"Dog"}).defineFunction("", {"name"}, [](Asm& f) {
        f.get("name").push({1}).get("super").push({Undefined{}}).op(Op::CallMethod).op(Op::Pop);
    });
    code.op(Op::SetMember);
    code.get("Dog").get("Animal").op(Op::Extends);
    code.get("Dog").push({"prototype"}).op(Op::GetMember).push({"speak"});
    code.defineFunction("", {}, [](Asm& f) {
        f.push({0}).get("super").push({"speak"}).op(Op::CallMethod).push({" (woof)"}).op(Op::Add2).op(Op::Return);
    });
    code.op(Op::SetMember);
}

TEST(ObjectModel, ExtendsSuperAndInstanceOf)
{
    VmFixture t(7);
    Asm code;
    defineClasses(code);
    code.push({"d", "Rex", 1, "Dog"}).op(Op::NewObject).op(Op::SetVariable);
    code.push({0}).get("d").push({"speak"}).op(Op::CallMethod).op(Op::Trace);
    code.get("d").get("Animal").op(Op::InstanceOf).op(Op::Trace);
    code.get("d").get("Array").op(Op::InstanceOf).op(Op::Trace);
    code.get("Animal").get("d").op(Op::CastOp).op(Op::TypeOf).op(Op::Trace);
    code.get("Array").get("d").op(Op::CastOp).op(Op::Trace);
    code.get("d").push({"__proto__"}).op(Op::GetMember).push({"__proto__"}).op(Op::GetMember);
    code.get("Animal").push({"prototype"}).op(Op::GetMember).op(Op::StrictEquals).op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"Rex makes a sound (woof)", "true", "false", "object", "null", "true"}));
}

TEST(ObjectModel, ImplementsOpMakesInstanceOfTrueForInterfaces)
{
    VmFixture t(7);
    Asm code;
    defineClasses(code);
    code.get("_global").push({"IPet"}).defineFunction("", {}, [](Asm&) {}).op(Op::SetMember);
    code.get("IPet").push({1}).get("Dog").op(Op::ImplementsOp);
    code.push({"d", "Rex", 1, "Dog"}).op(Op::NewObject).op(Op::SetVariable);
    code.get("d").get("IPet").op(Op::InstanceOf).op(Op::Trace);
    code.push({"a", "Cat", 1, "Animal"}).op(Op::NewObject).op(Op::SetVariable);
    code.get("a").get("IPet").op(Op::InstanceOf).op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"true", "false"}));
}

TEST(ObjectModel, ProtoChainAndDeletingProto)
{
    VmFixture t(6);
    Asm code;
    code.push({"base", "shared", "from base", 1}).op(Op::InitObject).op(Op::SetVariable);
    code.push({"o", 0}).op(Op::InitObject).op(Op::SetVariable);
    code.get("o").push({"__proto__"}).get("base").op(Op::SetMember);
    code.get("o").push({"shared"}).op(Op::GetMember).op(Op::Trace);
    code.get("o").push({"__proto__"}).op(Op::Delete).op(Op::Trace);
    code.get("o").push({"shared"}).op(Op::GetMember).op(Op::Trace);
    code.get("o").push({"toString"}).op(Op::GetMember).op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"from base", "true", "undefined", "undefined"}));
}

TEST(ObjectModel, PrototypeCycleStopsTheScriptInsteadOfLooping)
{
    VmFixture t(6);
    Asm code;
    code.push({"a", 0}).op(Op::InitObject).op(Op::SetVariable);
    code.push({"b", 0}).op(Op::InitObject).op(Op::SetVariable);
    code.get("a").push({"__proto__"}).get("b").op(Op::SetMember);
    code.get("b").push({"__proto__"}).get("a").op(Op::SetMember);
    code.get("a").push({"missing"}).op(Op::GetMember).op(Op::Trace);
    EXPECT_TRUE(t.run(code).empty());
    EXPECT_FALSE(t.lastRunOk);
}

TEST(ObjectModel, AddPropertyGettersAndInheritedSetters)
{
    VmFixture t(6);
    Asm code;
    code.push({"proto", 0}).op(Op::InitObject).op(Op::SetVariable);
    // proto.addProperty("size", function () { return this._size * 2 }, function (v) { this._size = v })
    code.defineFunction("", {"v"}, [](Asm& f) { f.get("this").push({"_size"}).get("v").op(Op::SetMember); });
    code.defineFunction("", {}, [](Asm& f) {
        f.get("this").push({"_size"}).op(Op::GetMember).push({2}).op(Op::Multiply).op(Op::Return);
    });
    code.push({"size", 3}).get("proto").push({"addProperty"}).op(Op::CallMethod).op(Op::Trace);
    code.push({"o", 0}).op(Op::InitObject).op(Op::SetVariable);
    code.get("o").push({"__proto__"}).get("proto").op(Op::SetMember);
    code.get("o").push({"size", 5}).op(Op::SetMember);  // the inherited setter runs on o
    code.get("o").push({"size"}).op(Op::GetMember).op(Op::Trace);
    code.get("o").push({"_size"}).op(Op::GetMember).op(Op::Trace);
    code.get("proto").push({"_size"}).op(Op::GetMember).op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"true", "10", "5", "undefined"}));
}

TEST(ObjectModel, WatchSeesAndReplacesAssignments)
{
    VmFixture t(6);
    Asm code;
    code.push({"o", 0}).op(Op::InitObject).op(Op::SetVariable);
    code.push({"tag"});
    code.defineFunction("", {"prop", "oldValue", "newValue", "data"}, [](Asm& f) {
        f.get("prop").push({":"}).op(Op::Add2).get("oldValue").op(Op::Add2).push({"->"}).op(Op::Add2);
        f.get("newValue").op(Op::Add2).push({" "}).op(Op::Add2).get("data").op(Op::Add2).op(Op::Trace);
        f.get("newValue").push({10}).op(Op::Multiply).op(Op::Return);
    });
    code.push({"x", 3}).get("o").push({"watch"}).op(Op::CallMethod).op(Op::Pop);
    code.get("o").push({"x", 1}).op(Op::SetMember);
    code.get("o").push({"x", 2}).op(Op::SetMember);
    code.get("o").push({"x"}).op(Op::GetMember).op(Op::Trace);
    code.push({"x", 1}).get("o").push({"unwatch"}).op(Op::CallMethod).op(Op::Trace);
    code.get("o").push({"x", 3}).op(Op::SetMember);
    code.get("o").push({"x"}).op(Op::GetMember).op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"x:->1 tag", "x:10->2 tag", "20", "true", "3"}));
}

TEST(ObjectModel, SetPropFlagsHideProtectAndFreeze)
{
    VmFixture t(6);
    Asm code;
    code.push({"o", "a", 1, "b", 2, "c", 3, 3}).op(Op::InitObject).op(Op::SetVariable);
    code.push({0, 1, "a", "o"}).op(Op::GetVariable).push({4, "ASSetPropFlags"}).op(Op::CallFunction).op(Op::Pop);  // DontEnum
    code.push({0, 2, "b", "o"}).op(Op::GetVariable).push({4, "ASSetPropFlags"}).op(Op::CallFunction).op(Op::Pop);  // DontDelete
    code.push({0, 4, "c", "o"}).op(Op::GetVariable).push({4, "ASSetPropFlags"}).op(Op::CallFunction).op(Op::Pop);  // ReadOnly
    Asm::Label loop = code.label(), done = code.label();
    code.push({"list", ""}).op(Op::SetVariable);
    code.push({"o"}).op(Op::Enumerate);
    code.bind(loop).storeRegister(0).push({Null{}}).op(Op::Equals2).ifTrue(done);
    code.push({"list"}).get("list").push({Reg{0}}).op(Op::Add2).op(Op::SetVariable).jump(loop);
    code.bind(done).traceVar("list");
    code.get("o").push({"b"}).op(Op::Delete).op(Op::Trace);
    code.get("o").push({"c", 99}).op(Op::SetMember);
    code.get("o").push({"c"}).op(Op::GetMember).op(Op::Trace);
    code.get("o").push({"a"}).op(Op::GetMember).op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"bc", "false", "3", "1"}));  // literal order a, b, c; a hidden
}

TEST(ObjectModel, EnumerationVisitsNewestFirstAndInherited)
{
    VmFixture t(6);
    Asm code;
    code.push({"base", "inherited", 0, 1}).op(Op::InitObject).op(Op::SetVariable);
    code.push({"o", 0}).op(Op::InitObject).op(Op::SetVariable);
    code.get("o").push({"__proto__"}).get("base").op(Op::SetMember);
    for (const char* n : {"first", "second", "third"}) code.get("o").push({n, 1}).op(Op::SetMember);
    Asm::Label loop = code.label(), done = code.label();
    code.push({"o"}).op(Op::Enumerate);
    code.bind(loop).storeRegister(0).push({Null{}}).op(Op::Equals2).ifTrue(done);
    code.push({Reg{0}}).op(Op::Trace).jump(loop);
    code.bind(done);
    Lines names = t.run(code);
    ASSERT_EQ(names.size(), 4u);
    // Own properties newest first; the inherited one is listed too.
    Lines own;
    for (const std::string& n : names) {
        if (n != "inherited") own.push_back(n);
    }
    EXPECT_EQ(own, (Lines{"third", "second", "first"}));
}

TEST(ObjectModel, ResolveAnswersMissingProperties)
{
    VmFixture t(6);
    Asm code;
    code.push({"o", "known", 1, 1}).op(Op::InitObject).op(Op::SetVariable);
    code.get("o").push({"__resolve"}).defineFunction("", {"name"}, [](Asm& f) {
        f.push({"resolved "}).get("name").op(Op::Add2).op(Op::Return);
    });
    code.op(Op::SetMember);
    code.get("o").push({"known"}).op(Op::GetMember).op(Op::Trace);
    code.get("o").push({"unknown"}).op(Op::GetMember).op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"1", "resolved unknown"}));
}

TEST(ObjectModel, NewOnNativeClassesAndPrimitiveWrappers)
{
    VmFixture t(6);
    Asm code;
    code.push({"abc", 1, "String"}).op(Op::NewObject).op(Op::TypeOf).op(Op::Trace);
    code.push({"abc", 1, "String"}).op(Op::CallFunction).op(Op::TypeOf).op(Op::Trace);
    code.push({"abc"}).push({"length"}).op(Op::GetMember).op(Op::Trace);
    code.push({0, "abc", "toUpperCase"}).op(Op::CallMethod).op(Op::Trace);
    code.push({3, 1, "Array"}).op(Op::NewObject).push({"length"}).op(Op::GetMember).op(Op::Trace);
    EXPECT_EQ(t.run(code), (Lines{"object", "string", "3", "ABC", "3"}));
}

}  // namespace
}  // namespace swf::avm1::testing

namespace swf::avm1::testing {
namespace {

TEST(ObjectModel, InstancesOwnTheirConstructorUpToSwf6)
{
    auto ownsConstructor = [](int version) {
        VmFixture t(version);
        Asm code;
        code.defineFunction("F", {}, [](Asm&) {});
        code.push({"o"}).push({0, "F"}).op(Op::NewObject).op(Op::SetVariable);
        code.callMethod([](Asm& a) { a.get("o"); }, "hasOwnProperty", {"constructor"}).op(Op::Trace);
        code.get("o").push({"constructor"}).op(Op::GetMember).get("F").op(Op::StrictEquals).op(Op::Trace);
        return t.run(code);
    };
    EXPECT_EQ(ownsConstructor(6), (Lines{"true", "true"}));
    EXPECT_EQ(ownsConstructor(7), (Lines{"false", "true"}));
}

}  // namespace
}  // namespace swf::avm1::testing
