#include <qxcommon/KeyedCollection.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using qxcommon::BadIndexError;
using qxcommon::CollectionError;
using qxcommon::DuplicateKeyError;
using qxcommon::KeyedCollection;
using qxcommon::UnknownKeyError;

namespace {

struct Thing {
    std::string name;
};

std::shared_ptr<Thing> Make(std::string name) { return std::make_shared<Thing>(Thing{std::move(name)}); }

std::vector<std::string> Names(const KeyedCollection<Thing>& c) {
    std::vector<std::string> out;
    for (const auto& t : c) out.push_back(t->name);
    return out;
}

}  // namespace

TEST(KeyedCollection, IndexesAreOneBasedAndIterationKeepsInsertionOrder) {
    KeyedCollection<Thing> c;
    c.Add(Make("a"));
    c.Add(Make("b"), "KeyB");
    c.Add(Make("c"));
    ASSERT_EQ(c.Count(), 3);
    EXPECT_EQ(c.Item(1)->name, "a");
    EXPECT_EQ(c.Item(3)->name, "c");
    EXPECT_EQ(Names(c), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(c.KeyOf(2), "KeyB");
    EXPECT_EQ(c.KeyOf(1), "");
}

TEST(KeyedCollection, KeysIgnoreLetterCase) {
    KeyedCollection<Thing> c;
    c.Add(Make("x"), "Explosion");
    EXPECT_EQ(c.Item("EXPLOSION")->name, "x");
    EXPECT_EQ(c.Item("explosion")->name, "x");
    EXPECT_TRUE(c.Contains("eXpLoSiOn"));
    EXPECT_FALSE(c.Contains(""));
}

TEST(KeyedCollection, RemovingShiftsLaterEntriesDown) {
    KeyedCollection<Thing> c;
    c.Add(Make("a"), "ka");
    c.Add(Make("b"), "kb");
    c.Add(Make("c"), "kc");
    c.Remove(1);
    EXPECT_EQ(Names(c), (std::vector<std::string>{"b", "c"}));
    EXPECT_EQ(c.Item(1)->name, "b");
    EXPECT_THROW(c.Item("ka"), UnknownKeyError);
    c.Remove("KC");
    EXPECT_EQ(Names(c), (std::vector<std::string>{"b"}));
    // A removed key can be used again.
    c.Add(Make("a2"), "ka");
    EXPECT_EQ(c.Item("ka")->name, "a2");
    EXPECT_EQ(c.Item(2)->name, "a2");
}

TEST(KeyedCollection, BadIndexUnknownKeyAndDuplicateKeyAreDistinctErrors) {
    KeyedCollection<Thing> c;
    c.Add(Make("a"), "k");
    EXPECT_THROW(c.Item(0), BadIndexError);
    EXPECT_THROW(c.Item(2), BadIndexError);
    EXPECT_THROW(c.Item(-1), BadIndexError);
    EXPECT_THROW(c.Remove(5), BadIndexError);
    EXPECT_THROW(c.Item("nope"), UnknownKeyError);
    EXPECT_THROW(c.Item(""), UnknownKeyError);
    EXPECT_THROW(c.Remove("nope"), UnknownKeyError);
    EXPECT_THROW(c.Add(Make("b"), "K"), DuplicateKeyError);

    try {
        c.Item(7);
        FAIL() << "no error raised";
    } catch (const CollectionError& e) {
        EXPECT_NE(std::string(e.what()).find("7"), std::string::npos) << e.what();
    }
    try {
        c.Add(Make("b"), "K");
        FAIL() << "no error raised";
    } catch (const DuplicateKeyError& e) {
        EXPECT_NE(std::string(e.what()).find("already used"), std::string::npos) << e.what();
    }
}

TEST(KeyedCollection, FailedOperationsLeaveTheCollectionUnchanged) {
    KeyedCollection<Thing> c;
    c.Add(Make("a"), "k");
    c.Add(Make("b"));
    EXPECT_THROW(c.Add(Make("dup"), "K"), DuplicateKeyError);
    EXPECT_THROW(c.Remove(3), BadIndexError);
    EXPECT_THROW(c.Remove("zz"), UnknownKeyError);
    EXPECT_EQ(Names(c), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(c.Item("k")->name, "a");
}

TEST(KeyedCollection, EntriesWithoutKeysCanRepeatAndClearEmptiesEverything) {
    KeyedCollection<Thing> c;
    auto shared = Make("s");
    c.Add(shared);
    c.Add(shared);
    c.Add(Make("t"), "t");
    EXPECT_EQ(c.Count(), 3);
    EXPECT_EQ(shared.use_count(), 3);
    c.Clear();
    EXPECT_EQ(c.Count(), 0);
    EXPECT_EQ(shared.use_count(), 1);
    EXPECT_FALSE(c.Contains("t"));
    EXPECT_EQ(c.begin(), c.end());
    c.Add(Make("t2"), "T");
    EXPECT_EQ(c.Item("t")->name, "t2");
}
