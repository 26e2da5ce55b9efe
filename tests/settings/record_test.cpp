#include "settings/record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/io/byte_io.h"
#include "settings/string_list_record.h"
#include "support/record_bytes.h"

namespace tnx::settings {
namespace {

using test::Bytes;
using test::concat;
using test::makeRecord;

// Remembers what it was handed; accepts records of its name.
class Recorder : public RecordOwner {
public:
    explicit Recorder(std::string name) : name_(std::move(name)) {}
    size_t writeRecord(std::vector<uint8_t>& out) override {
        RecordWriter w(out, name_);
        w.data().bytes(payload.data(), payload.size());
        return w.finish();
    }
    int readRecord(std::span<const uint8_t> record) override {
        ++calls;
        handedSize = record.size();
        RecordView view;
        int r = openRecord(record, name_, view);
        if (r == kRecordApplied) payload.assign(view.body.begin(), view.body.end());
        return r;
    }
    Bytes payload;
    int calls = 0;
    size_t handedSize = 0;

private:
    std::string name_;
};

TEST(RecordName, ComparesIgnoringCaseAndAcceptsLongerNames) {
    Bytes list = makeRecord("savecbuttonlist", {1, 2, 3});
    EXPECT_TRUE(recordNameMatches(list, "savecbutton"));
    EXPECT_TRUE(recordNameMatches(list, "SavecButtonList"));
    EXPECT_FALSE(recordNameMatches(list, "savecbuttonarry"));
    // A stored name shorter than the reader's does not pass.
    EXPECT_FALSE(recordNameMatches(makeRecord("savec", {}), "savecbutton"));
    // The name test never looks past the bytes it was given.
    Bytes cut(list.begin(), list.begin() + 8);
    EXPECT_FALSE(recordNameMatches(cut, "savecbutton"));
    EXPECT_TRUE(recordNameMatches(cut, "save"));
}

TEST(RecordParse, SplitsAndRejectsMalformedRecords) {
    Bytes r = makeRecord("savecdistance", {9, 8, 7, 6});
    auto view = parseRecord(r);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->storedSize, r.size());
    EXPECT_EQ(view->name, "savecdistance");
    EXPECT_EQ(Bytes(view->body.begin(), view->body.end()), (Bytes{9, 8, 7, 6}));

    EXPECT_FALSE(parseRecord(makeRecord("abc", {1}, +1)));       // size beyond the span
    EXPECT_FALSE(parseRecord(Bytes{4, 0, 0, 0, 'a'}));           // size below the minimum
    Bytes noNul = {8, 0, 0, 0, 'a', 'b', 'c', 'd'};
    EXPECT_FALSE(parseRecord(noNul));

    RecordView v;
    EXPECT_EQ(openRecord(r, "savecglobe", v), kRecordNameDiffers);
    EXPECT_EQ(openRecord(makeRecord("savecglobe", {}, +3), "savecglobe", v), kRecordOverrun);
    EXPECT_EQ(openRecord(r, "SAVECDISTANCE", v), kRecordApplied);

    Bytes stamped;
    RecordWriter w(stamped, "savecbuttons");
    w.stampHead(160);
    w.finish();
    auto sv = parseRecord(stamped);
    ASSERT_TRUE(sv);
    EXPECT_EQ(recordStamp(*sv), 160u);
    EXPECT_FALSE(recordStamp(*parseRecord(makeRecord("x", {0, 0, 0}))));
}

TEST(ChildWalk, ParentsAdvanceByStoredSizeWhateverTheChildSays) {
    Recorder first("first"), second("second"), third("third");
    // The first child has a name the reader refuses; the second reader still
    // gets the record that follows it.
    Bytes area = concat({makeRecord("other", {1, 2, 3}), makeRecord("second", {4}), makeRecord("third", {})});
    size_t consumed = 0;
    EXPECT_EQ(readChildrenInOrder(area, {&first, &second, &third}, &consumed), kRecordApplied);
    EXPECT_EQ(first.calls, 1);
    EXPECT_TRUE(first.payload.empty());
    EXPECT_EQ(second.payload, Bytes{4});
    EXPECT_EQ(third.calls, 1);
    EXPECT_EQ(consumed, area.size());
}

TEST(ChildWalk, ChildRunningPastItsParentStopsTheParent) {
    Recorder first("first"), second("second"), third("third");
    Bytes area = concat({makeRecord("first", {1}), makeRecord("second", {2, 2}, +50), makeRecord("third", {3})});
    size_t consumed = 0;
    EXPECT_EQ(readChildrenInOrder(area, {&first, &second, &third}, &consumed), kRecordOverrun);
    EXPECT_EQ(first.payload, Bytes{1});  // applied before the overrun stays applied
    EXPECT_EQ(second.calls, 0);
    EXPECT_EQ(third.calls, 0);
    EXPECT_EQ(consumed, makeRecord("first", {1}).size());
}

TEST(ChildWalk, MalformedSizesEndTheWalkWithoutLooping) {
    for (uint32_t badSize : {0u, 3u, 4u}) {
        Bytes area = concat({makeRecord("first", {}), Bytes{uint8_t(badSize), 0, 0, 0, 'x', 0}});
        ChildRecords walk(area);
        EXPECT_TRUE(walk.next());
        EXPECT_FALSE(walk.next());
        EXPECT_TRUE(walk.overrun()) << badSize;
    }
    Bytes partialSize = concat({makeRecord("first", {}), Bytes{9, 0}});
    ChildRecords walk(partialSize);
    walk.next();
    EXPECT_FALSE(walk.next());
    EXPECT_TRUE(walk.overrun());

    // Fewer children than readers is not an overrun; the rest keep defaults.
    Recorder a("a"), b("b");
    Bytes one = makeRecord("a", {5});
    EXPECT_EQ(readChildrenInOrder(one, {&a, &b}), kRecordApplied);
    EXPECT_EQ(b.calls, 0);
    // Each child is handed exactly its stored size.
    EXPECT_EQ(a.handedSize, one.size());
}

TEST(StringListRecord, SizesFollowTheLayout) {
    Bytes out;
    EXPECT_EQ(writeStringListRecord(out, StringList{}), 56u);
    EXPECT_EQ(out.size(), 56u);
    EXPECT_EQ(io::loadU32(out.data()), 56u);

    out.clear();
    StringList two{{"a", "bc"}, -3};
    EXPECT_EQ(writeStringListRecord(out, two), 62u);
    ASSERT_EQ(out.size(), 62u);
    EXPECT_EQ(io::loadU32(out.data()), 62u);
    EXPECT_EQ(io::loadU32(out.data() + 8), 2u);
    EXPECT_EQ(io::loadI32(out.data() + 12), -3);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.data() + 56), 6), std::string("a\0bc\0\0", 6));
}

TEST(StringListRecord, ReadsBackWhatWasWrittenAndReportsConsumedLength) {
    Bytes out;
    StringList written{{"/music/one.mp3", "two", "x"}, 2};
    size_t size = writeStringListRecord(out, written);
    // Another record right behind it must not leak into the list.
    Bytes next;
    writeStringListRecord(next, StringList{{"later"}, 0});
    out.insert(out.end(), next.begin(), next.end());

    StringList read;
    EXPECT_EQ(readStringListRecord(out, read), int(size));
    EXPECT_EQ(read.items, written.items);
    EXPECT_EQ(read.current, 2);

    Bytes emptyThenNext;
    writeStringListRecord(emptyThenNext, StringList{{}, 7});
    emptyThenNext.insert(emptyThenNext.end(), next.begin(), next.end());
    StringList empty{{"stale"}, 0};
    EXPECT_EQ(readStringListRecord(emptyThenNext, empty), 56);
    EXPECT_TRUE(empty.items.empty());
    EXPECT_EQ(empty.current, 7);
}

TEST(StringListRecord, DamagedRecordsAreReadSafely) {
    Bytes full;
    writeStringListRecord(full, StringList{{"abc", "de"}, 1});

    // Without the closing NUL: the strings that are complete are kept.
    Bytes noFinal(full.begin(), full.end() - 1);
    io::storeU32(noFinal.data(), uint32_t(noFinal.size()));
    StringList list;
    EXPECT_EQ(readStringListRecord(noFinal, list), int(noFinal.size()));
    EXPECT_EQ(list.items, (std::vector<std::string>{"abc", "de"}));

    // A string cut off by the record's end is dropped.
    Bytes cut(full.begin(), full.begin() + 56 + 4 + 1);
    io::storeU32(cut.data(), uint32_t(cut.size()));
    EXPECT_EQ(readStringListRecord(cut, list), 60);
    EXPECT_EQ(list.items, std::vector<std::string>{"abc"});

    // Sizes that do not fit leave the list as it was.
    StringList untouched{{"keep"}, 4};
    Bytes shortHead(full.begin(), full.begin() + 40);
    EXPECT_EQ(readStringListRecord(shortHead, untouched), kRecordOverrun);
    Bytes tooLong = full;
    io::storeU32(tooLong.data(), uint32_t(full.size() + 1));
    EXPECT_EQ(readStringListRecord(tooLong, untouched), kRecordOverrun);
    Bytes tooSmall = full;
    io::storeU32(tooSmall.data(), 55);
    EXPECT_EQ(readStringListRecord(tooSmall, untouched), kRecordOverrun);
    EXPECT_EQ(untouched.items, std::vector<std::string>{"keep"});
    EXPECT_EQ(untouched.current, 4);

    // Every truncation of a valid record reads within its bounds.
    for (size_t n = 0; n <= full.size(); ++n) {
        Bytes prefix(full.begin(), full.begin() + n);
        StringList l;
        int r = readStringListRecord(prefix, l);
        EXPECT_EQ(r == kRecordOverrun, n < full.size()) << n;
    }
}

}  // namespace
}  // namespace tnx::settings
