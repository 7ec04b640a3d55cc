// RegExp and Dictionary objects and the random sequence, driven through the object interface scripts use.
#include "events/RuntimeError.h"
#include "script/Coerce.h"
#include "script/lib/DictionaryObject.h"
#include "script/lib/RandomGenerator.h"
#include "script/lib/RegExpObject.h"

#include "common/ErrorNumber.h"

#include <gtest/gtest.h>

using namespace tvk::script;
using tvk::script::lib::DictionaryObject;
using tvk::script::lib::RegExpObject;

namespace {

Value call(ScriptObject& o, const char* member, std::vector<Value> args = {}) {
    const int id = o.memberId(utf8ToUtf16(member));
    EXPECT_NE(id, ScriptObject::NoMember) << member;
    return o.invoke(id, args);
}

void let(ScriptObject& o, const char* member, std::vector<Value> args, const Value& value, bool isSet = false) {
    o.assign(o.memberId(utf8ToUtf16(member)), args, value, isSet);
}

using tvk::test::errorOf;

Value s(const char* text) {
    return Value::string(std::string_view(text));
}
std::string str(const Value& v) {
    return toUtf8(v);
}

std::string keysOf(DictionaryObject& d) {
    std::vector<Value> keys;
    EXPECT_TRUE(d.enumerate(keys));
    std::string out;
    for (const Value& k : keys)
        out += (out.empty() ? "" : ",") + str(k);
    return out;
}

} // namespace

TEST(LibDictionary, KeepsInsertionOrderThroughRemovalsAndKeyRenames) {
    DictionaryObject d;
    for (const char* k : {"b", "a", "c", "d"})
        call(d, "Add", {s(k), s(k)});
    call(d, "Remove", {s("a")});
    let(d, "Key", {s("c")}, s("z"));
    EXPECT_EQ(keysOf(d), "b,z,d");
    EXPECT_EQ(str(call(d, "Item", {s("z")})), "c");
    EXPECT_EQ(toLong(call(d, "Count")), 3);
    const Value items = call(d, "Items");
    ASSERT_TRUE(items.isArray());
    EXPECT_EQ(str(items.arr().data[2]), "d");
}

TEST(LibDictionary, ChurnDoesNotLoseOrReorderLiveEntries) {
    DictionaryObject d;
    for (int i = 0; i < 1000; ++i) {
        call(d, "Add", {Value::lng(i), Value::lng(i * 2)});
        if (i % 3 != 0) call(d, "Remove", {Value::lng(i)});
    }
    EXPECT_EQ(toLong(call(d, "Count")), 334);
    std::vector<Value> keys;
    d.enumerate(keys);
    for (size_t n = 0; n < keys.size(); ++n) {
        EXPECT_EQ(toLong(keys[n]), static_cast<int32_t>(n * 3));
        EXPECT_EQ(toLong(call(d, "Item", {keys[n]})), static_cast<int32_t>(n * 6));
    }
}

TEST(LibDictionary, ErrorsCarryTheCollectionNumbers) {
    DictionaryObject d;
    call(d, "Add", {s("k"), Value::lng(1)});
    EXPECT_EQ(errorOf([&] { call(d, "Add", {s("k"), Value::lng(2)}); }), 457);
    EXPECT_EQ(errorOf([&] { call(d, "Remove", {s("nope")}); }), 32811);
    EXPECT_EQ(errorOf([&] { let(d, "Key", {s("nope")}, s("x")); }), 32811);
    call(d, "Add", {s("j"), Value::lng(2)});
    EXPECT_EQ(errorOf([&] { let(d, "Key", {s("j")}, s("k")); }), 457);
    EXPECT_EQ(errorOf([&] { let(d, "CompareMode", {}, Value::lng(1)); }), tvk::err::InvalidCall);
    EXPECT_EQ(errorOf([&] { call(d, "Exists", {Value::arrayOf({})}); }), tvk::err::TypeMismatch);
    EXPECT_EQ(d.memberId(u"Frobnicate"), ScriptObject::NoMember);
}

TEST(LibDictionary, KeysCompareByValueAndModeButNeverAcrossTypes) {
    DictionaryObject d;
    call(d, "Add", {Value::integer(1), s("one")});
    EXPECT_TRUE(toBool(call(d, "Exists", {Value::lng(1)})));
    EXPECT_TRUE(toBool(call(d, "Exists", {Value::dbl(1.0)})));
    EXPECT_FALSE(toBool(call(d, "Exists", {s("1")})));
    call(d, "Add", {s("Key"), Value::lng(1)});
    EXPECT_FALSE(toBool(call(d, "Exists", {s("KEY")})));

    DictionaryObject text;
    let(text, "CompareMode", {}, Value::lng(1));
    call(text, "Add", {s("Key"), Value::lng(1)});
    EXPECT_TRUE(toBool(call(text, "Exists", {s("KEY")})));
    EXPECT_EQ(errorOf([&] { call(text, "Add", {s("kEy"), Value::lng(2)}); }), 457);
    EXPECT_EQ(keysOf(text), "Key"); // the first spelling stays
}

TEST(LibDictionary, ReadingAMissingKeyAddsIt) {
    DictionaryObject d;
    EXPECT_TRUE(call(d, "Item", {s("ghost")}).isEmpty());
    EXPECT_TRUE(toBool(call(d, "Exists", {s("ghost")})));
    let(d, "Item", {s("new")}, Value::lng(5));
    std::vector<Value> key{s("new")};
    EXPECT_EQ(toLong(d.invoke(ScriptObject::DefaultMember, key)), 5);
    call(d, "RemoveAll");
    EXPECT_EQ(toLong(call(d, "Count")), 0);
    let(d, "CompareMode", {}, Value::lng(1)); // allowed again once empty
}

TEST(LibDictionary, GivesUpKeysAndItemsSoACycleThroughItCanBeReleased) {
    auto d = std::make_shared<DictionaryObject>();
    const std::weak_ptr<DictionaryObject> watch = d;
    call(*d, "Add", {s("me"), Value::object(d)});
    call(*d, "Add", {Value::object(d), s("as a key too")});
    std::vector<Value> out;
    d->releaseReferences(out);
    EXPECT_EQ(out.size(), 4u);
    EXPECT_EQ(toLong(call(*d, "Count")), 0);
    d.reset();
    EXPECT_FALSE(watch.expired()); // the handed-over values still hold it
    out.clear();
    EXPECT_TRUE(watch.expired());
}

TEST(LibRegExpObject, ExecuteListsEveryMatchWithSubMatches) {
    RegExpObject re;
    let(re, "Pattern", {}, s("(\\w)(\\d)?"));
    let(re, "Global", {}, Value::boolean(true));
    const Value matches = call(re, "Execute", {s("a1 b")});
    ASSERT_TRUE(matches.isObject());
    ScriptObject& m = *matches.obj();
    ASSERT_EQ(toLong(call(m, "Count")), 2); // "a1" and "b"
    Value first = call(m, "Item", {Value::lng(0)});
    EXPECT_EQ(str(call(*first.obj(), "Value")), "a1");
    EXPECT_EQ(toLong(call(*first.obj(), "FirstIndex")), 0);
    EXPECT_EQ(toLong(call(*first.obj(), "Length")), 2);
    Value subs = call(*first.obj(), "SubMatches");
    EXPECT_EQ(str(call(*subs.obj(), "Item", {Value::lng(1)})), "1");
    Value last = call(m, "Item", {Value::lng(1)});
    EXPECT_EQ(str(last), "b");
    Value lastSubs = call(*last.obj(), "SubMatches");
    EXPECT_TRUE(call(*lastSubs.obj(), "Item", {Value::lng(1)}).isEmpty());
    EXPECT_EQ(errorOf([&] { call(m, "Item", {Value::lng(2)}); }), tvk::err::InvalidCall);
    std::vector<Value> all;
    EXPECT_TRUE(m.enumerate(all));
    EXPECT_EQ(all.size(), 2u);
}

TEST(LibRegExpObject, GlobalEmptyMatchesAdvanceAndReplaceKeepsTheText) {
    RegExpObject re;
    let(re, "Pattern", {}, s("x*"));
    let(re, "Global", {}, Value::boolean(true));
    EXPECT_EQ(toLong(call(*call(re, "Execute", {s("axxb")}).obj(), "Count")), 4); // "", "xx", "", ""
    EXPECT_EQ(str(call(re, "Replace", {s("axxb"), s("-")})), "-a--b-");
    let(re, "Global", {}, Value::boolean(false));
    EXPECT_EQ(str(call(re, "Replace", {s("axxb"), s("-")})), "-axxb");
}

TEST(LibRegExpObject, PropertiesRecompileAndBadPatternsRaise) {
    RegExpObject re;
    let(re, "Pattern", {}, s("abc"));
    EXPECT_FALSE(toBool(call(re, "Test", {s("ABC")})));
    let(re, "IgnoreCase", {}, Value::boolean(true));
    EXPECT_TRUE(toBool(call(re, "Test", {s("ABC")})));
    let(re, "Pattern", {}, s("^b"));
    EXPECT_FALSE(toBool(call(re, "Test", {s("a\nb")})));
    let(re, "Multiline", {}, Value::boolean(true));
    EXPECT_TRUE(toBool(call(re, "Test", {s("a\nb")})));
    EXPECT_EQ(str(call(re, "Pattern")), "^b");
    let(re, "Pattern", {}, s("(a"));
    EXPECT_EQ(errorOf([&] { call(re, "Test", {s("a")}); }), 5020);
    EXPECT_EQ(errorOf([&] { call(re, "Test", {Value::null()}); }), tvk::err::InvalidUseOfNull);
}

TEST(LibRandom, FollowsTheDocumentedSequence) {
    tvk::script::lib::RandomGenerator g;
    // The sequence from the documented starting seed, and the value reseeding with -1 gives.
    EXPECT_FLOAT_EQ(g.next(), 0.7055475f);
    EXPECT_FLOAT_EQ(g.next(), 0.533424f);
    EXPECT_FLOAT_EQ(g.rnd(0), 0.533424f);
    EXPECT_FLOAT_EQ(g.rnd(-1), 0.224007f);
    const float again = g.rnd(-1);
    EXPECT_FLOAT_EQ(again, 0.224007f);
    g.randomize(5);
    const float a = g.next();
    g.rnd(-1);
    g.randomize(5);
    EXPECT_FLOAT_EQ(g.next(), a);
    for (int i = 0; i < 1000; ++i) {
        const float v = g.next();
        ASSERT_GE(v, 0.0f);
        ASSERT_LT(v, 1.0f);
    }
}
