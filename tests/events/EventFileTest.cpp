#include "events/EventFileReader.h"
#include "events/EventFileWriter.h"
#include "events/RuntimeError.h"
#include "events/clsEvents.h"

#include "common/ErrorNumber.h"
#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tvk;
namespace fs = std::filesystem;

namespace {

// Event file bytes written out field by field, independently of the writer under test.
struct Bytes {
    std::string b;
    Bytes& i32(int32_t v) {
        const auto u = static_cast<uint32_t>(v);
        for (int s = 0; s < 32; s += 8)
            b += static_cast<char>((u >> s) & 0xFF);
        return *this;
    }
    Bytes& i16(int16_t v) {
        const auto u = static_cast<uint16_t>(v);
        b += static_cast<char>(u & 0xFF);
        b += static_cast<char>(u >> 8);
        return *this;
    }
    Bytes& raw(std::string_view s) {
        b += s;
        return *this;
    }
    Bytes& zeros(size_t n) {
        b.append(n, '\0');
        return *this;
    }
    Bytes& record(int32_t time, int32_t type, int32_t x, int32_t y, int32_t data, int16_t pressed) {
        return i32(time).i32(type).i32(x).i32(y).i32(data).i16(pressed);
    }
    Bytes& header(int32_t capacity, int32_t count, int16_t flag, std::string_view text, int32_t up = 50,
                  int32_t down = 100) {
        return i32(capacity).i32(count).i16(flag).raw(text).i32(up).i32(down);
    }
};

clsEvents fixedClockList() {
    return clsEvents([] { return 123456; });
}

int errorNumberOf(const std::function<void()>& f, std::string* description = nullptr) {
    try {
        f();
    } catch (const RuntimeError& e) {
        if (description) *description = e.description();
        return e.number();
    }
    return 0;
}

void expectSameState(const clsEvents& a, const clsEvents& b) {
    EXPECT_EQ(a.EventCapacity(), b.EventCapacity());
    EXPECT_EQ(a.EventCount, b.EventCount);
    EXPECT_EQ(a.EnableProcessor, b.EnableProcessor);
    EXPECT_EQ(a.ElementProcessor, b.ElementProcessor);
    EXPECT_EQ(a.MouseUpDetail, b.MouseUpDetail);
    EXPECT_EQ(a.MouseDownDetail, b.MouseDownDetail);
    EXPECT_EQ(a.slots(), b.slots());
}

} // namespace

// ---- Exact bytes ----

TEST(EventFileBytes, EmptyListIsEighteenBytes) {
    clsEvents l;
    EXPECT_EQ(EventFileWriter::serialize(l), Bytes().header(0, 0, 0, "").b);
}

TEST(EventFileBytes, OneEventListIs744BytesWithItsSpareSlots) {
    clsEvents l([] { return -2; });
    l.AddEvent(KeyBoard, true, 640, -1, 65);
    const std::string expected = Bytes().header(32, 1, 0, "").record(-2, 3, 640, -1, 65, -1).zeros(32 * 22).b;
    ASSERT_EQ(expected.size(), 744u);
    EXPECT_EQ(EventFileWriter::serialize(l), expected);
}

TEST(EventFileBytes, FilterTextMovesTheFieldsAfterIt) {
    clsEvents l = fixedClockList();
    l.AddEvent(MouseMove, false, 3, 4, 0);
    l.ElementProcessor = "Hello";
    l.EnableProcessor = VbTrue;
    l.MouseUpDetail = 0x01020304;
    l.MouseDownDetail = -1;
    const std::string bytes = EventFileWriter::serialize(l);
    const std::string expected =
        Bytes().header(32, 1, -1, "Hello", 0x01020304, -1).record(123456, 2, 3, 4, 0, 0).zeros(32 * 22).b;
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(bytes.substr(15, 4), std::string("\x04\x03\x02\x01", 4)); // MouseUpDetail at 15
    EXPECT_EQ(bytes.substr(19, 4), std::string("\xFF\xFF\xFF\xFF", 4)); // MouseDownDetail at 19
    EXPECT_EQ(bytes.substr(23, 4), Bytes().i32(123456).b);              // records from 23
}

TEST(EventFileBytes, TextIsWindows1252WhenItFitsAndMarkedUtf8Otherwise) {
    struct Case {
        const char* name;
        std::string text;   // UTF-8 in memory
        std::string onDisk; // expected bytes
    };
    const Case cases[] = {
        {"e acute", "caf\xC3\xA9", "caf\xE9"},
        {"euro and quotes", "\xE2\x82\xAC\xE2\x80\x9C", "\x80\x93"},
        {"outside the code page", "\xE6\x97\xA5 x", "\xEF\xBB\xBF\xE6\x97\xA5 x"},
        // Code page bytes that happen to form UTF-8 stay code page bytes: only the mark says UTF-8.
        {"code page bytes that form UTF-8", "\xC3\x83\xC2\xA9", "\xC3\xA9"}, // text "Ã©"
        // A text starting with the mark's three characters would read as marked: it is written marked.
        {"text starting like the mark", "\xC3\xAF\xC2\xBB\xC2\xBFx", "\xEF\xBB\xBF\xC3\xAF\xC2\xBB\xC2\xBFx"},
        {"empty", "", ""},
    };
    for (const Case& c : cases) {
        clsEvents l;
        l.ElementProcessor = c.text;
        const std::string bytes = EventFileWriter::serialize(l);
        EXPECT_EQ(bytes, Bytes().header(0, 0, 0, c.onDisk).b) << c.name;
        EXPECT_EQ(EventFileReader::parse(bytes).elementProcessor, c.text) << c.name;
    }
}

TEST(EventFileBytes, TextIsUtf8ExactlyWhenItStartsWithTheMark) {
    const struct {
        const char* name;
        std::string onDisk;
        std::string text;
        bool rewrittenAlike; // saving the text again gives the same bytes
    } cases[] = {
        {"Windows-made", "d\xE9j\xE0 \x80", "d\xC3\xA9j\xC3\xA0 \xE2\x82\xAC", true},
        {"unmarked bytes that form UTF-8", "x = \"\xC3\xA9\"", "x = \"\xC3\x83\xC2\xA9\"", true},
        {"marked",
         "\xEF\xBB\xBF"
         "\xE6\x97\xA5",
         "\xE6\x97\xA5", true},
        {"marked text the code page holds",
         "\xEF\xBB\xBF"
         "d\xC3\xA9",
         "d\xC3\xA9", false},
        {"only the mark", "\xEF\xBB\xBF", "", false},
        // What follows the mark is no UTF-8: the whole text is Windows-1252, so nothing is lost.
        {"mark without UTF-8", "\xEF\xBB\xBF\xE9", "\xC3\xAF\xC2\xBB\xC2\xBF\xC3\xA9", false},
    };
    for (const auto& c : cases) {
        const std::string file = Bytes().header(0, 0, 0, c.onDisk).b;
        const EventFileState state = EventFileReader::parse(file);
        EXPECT_EQ(state.elementProcessor, c.text) << c.name;
        clsEvents l;
        l.ElementProcessor = state.elementProcessor;
        const std::string again = EventFileWriter::serialize(l);
        EXPECT_EQ(EventFileReader::parse(again).elementProcessor, c.text) << c.name;
        if (c.rewrittenAlike) {
            EXPECT_EQ(again, file) << c.name;
        }
    }
}

TEST(EventFileBytes, ListEmptiedByRemovalsSavesWithoutRecords) {
    clsEvents l;
    for (int i = 0; i < 40; ++i)
        l.AddEvent(Wait, false, 0, 0, i);
    while (l.EventCount > 0)
        l.RemoveEvent(l.EventCount - 1);
    EXPECT_EQ(EventFileWriter::serialize(l), Bytes().header(0, 0, 0, "").b);
}

TEST(EventFileBytes, WriterRefusesACountNoReaderCouldLoad) {
    clsEvents l;
    l.EventCount = 2; // no storage: a file of this list could hold one slot at most
    EXPECT_EQ(errorNumberOf([&] { EventFileWriter::serialize(l); }), err::SubscriptOutOfRange);
    l.EventCount = -1;
    EXPECT_EQ(errorNumberOf([&] { EventFileWriter::serialize(l); }), err::SubscriptOutOfRange);
    l.EventCount = 1;
    EXPECT_EQ(EventFileWriter::serialize(l), Bytes().header(0, 1, 0, "").b);
}

// ---- Reading ----

TEST(EventFileReading, KeepsEverySlotAsStored) {
    const std::string file = Bytes()
                                 .header(2, 1, 5, "If", 7, 8)
                                 .record(1, 3, 2, 3, 65, -1)
                                 .record(9, 9, 9, 9, 9, 9) // stale slot
                                 .zeros(22)
                                 .b;
    const EventFileState s = EventFileReader::parse(file);
    EXPECT_EQ(s.capacity, 2);
    EXPECT_EQ(s.count, 1);
    EXPECT_EQ(s.enableProcessor, 5);
    EXPECT_EQ(s.elementProcessor, "If");
    EXPECT_EQ(s.mouseUpDetail, 7);
    EXPECT_EQ(s.mouseDownDetail, 8);
    EXPECT_EQ(s.slots, (std::vector<EventRecord>{{1, 3, 2, 3, 65, -1}, {9, 9, 9, 9, 9, 9}, {}}));
}

// With capacity 0 the file may or may not end with the one slot; the text must come back exactly.
TEST(EventFileReading, DelimitsTheTextOfCapacityZeroFiles) {
    struct Case {
        const char* name;
        std::string file;
        std::string text;
        EventRecord slot;
        int32_t mouseUpDetail = 50;
    };
    const std::string longText(40, 'x');
    const Case cases[] = {
        {"no text, no slot", Bytes().header(0, 0, 0, "").b, "", {}},
        {"short text, no slot", Bytes().header(0, 0, 0, "abc").b, "abc", {}},
        {"long text, no slot", Bytes().header(0, 0, 0, longText).b, longText, {}},
        {"zero slot", Bytes().header(0, 0, 0, "").zeros(22).b, "", {}},
        {"long text and zero slot", Bytes().header(0, 0, 0, longText).zeros(22).b, longText, {}},
        {"long text, zero details, no slot", Bytes().header(0, 0, 0, longText, 0, 0).b, longText, {}, 0},
        {"event in the only slot",
         Bytes().header(0, 1, 0, "ab").record(5, 3, 0, 0, 65, -1).b,
         "ab",
         {5, 3, 0, 0, 65, -1}},
    };
    for (const Case& c : cases) {
        const EventFileState s = EventFileReader::parse(c.file);
        EXPECT_EQ(s.elementProcessor, c.text) << c.name;
        ASSERT_EQ(s.slots.size(), 1u) << c.name;
        EXPECT_EQ(s.slots[0], c.slot) << c.name;
        EXPECT_EQ(s.mouseUpDetail, c.mouseUpDetail) << c.name;
    }
}

TEST(EventFileReading, DamagedFilesRaiseAnErrorNamingTheFault) {
    struct Case {
        const char* name;
        std::string file;
        const char* fault;
    };
    const Case cases[] = {
        {"empty file", "", "fixed fields"},
        {"cut inside the fixed fields", Bytes().header(0, 0, 0, "").b.substr(0, 17), "fixed fields"},
        {"negative capacity", Bytes().header(-1, 0, 0, "").b, "negative capacity"},
        {"negative count", Bytes().header(32, -1, 0, "").zeros(33 * 22).b, "negative event count"},
        {"count above the slots", Bytes().header(1, 3, 0, "").zeros(2 * 22).b, "exceeds"},
        {"count above one slot", Bytes().header(0, 2, 0, "").b, "exceeds"},
        {"one record byte missing", Bytes().header(32, 1, 0, "").zeros(33 * 22 - 1).b, "cut short"},
        {"capacity without records", Bytes().header(1, 0, 0, "").b, "cut short"},
        {"hostile capacity", Bytes().header(INT32_MAX, 5, 0, "").zeros(100).b, "more slots than a list may hold"},
        {"one slot above the ceiling", Bytes().header(int32_t{1} << 27, 0, 0, "").b, "more slots than a list may hold"},
        {"capacity at the ceiling", Bytes().header((int32_t{1} << 27) - 1, 0, 0, "").b, "cut short"},
    };
    for (const Case& c : cases) {
        std::string description;
        EXPECT_EQ(errorNumberOf([&] { EventFileReader::parse(c.file, "x.tvk"); }, &description), err::InvalidFileFormat)
            << c.name;
        EXPECT_NE(description.find(c.fault), std::string::npos) << c.name << ": " << description;
        EXPECT_NE(description.find("x.tvk"), std::string::npos) << c.name;
    }
}

// ---- Files on disk ----

using EventFiles = TempDirTest;

TEST_F(EventFiles, RoundTripRestoresEverySlotAndValue) {
    clsEvents source([] { return 77; });
    for (int i = 0; i < 70; ++i)
        source.AddEvent(i % 4, i % 2 == 0, i, -i, i * 3);
    for (int i = 0; i < 5; ++i)
        source.RemoveEvent(10); // stale copies beyond the count
    source.ElementProcessor = "Function ElementInvoked(Index)\r\n  ElementInvoked = \"d\xC3\xA9j\xC3\xA0\"\r\nEnd";
    source.EnableProcessor = VbTrue;
    source.MouseUpDetail = 11;
    source.MouseDownDetail = -22;
    source.SaveFile(path("a.tvk"));
    EXPECT_EQ(fs::file_size(path("a.tvk")), 18 + source.ElementProcessor.size() - 2 + 97 * 22);

    clsEvents target;
    for (int i = 0; i < 3; ++i)
        target.AddEvent(Wait, false, 0, 0, 0);
    target.SegmentSize = 8;
    target.LoadFile(path("a.tvk"));
    expectSameState(target, source);
    EXPECT_EQ(target.SegmentSize, 8) << "SegmentSize is not stored";
    EXPECT_EQ(target.slots()[66].EventData, 69 * 3) << "stale slot kept";
}

TEST_F(EventFiles, EighteenByteFileLoadsAsOneZeroSlotAndSurvivesResaving) {
    writeBytes(path("e.tvk"), Bytes().header(0, 0, 0, "Rem").b);
    clsEvents l;
    l.LoadFile(path("e.tvk"));
    EXPECT_TRUE(l.hasStorage());
    EXPECT_EQ(l.slots().size(), 1u);
    EXPECT_EQ(l.EventCapacity(), 0);
    EXPECT_EQ(l.ElementProcessor, "Rem");

    l.SaveFile(path("again.tvk"));
    EXPECT_EQ(readBytes(path("again.tvk")), Bytes().header(0, 0, 0, "Rem").zeros(22).b);
    clsEvents reloaded;
    reloaded.LoadFile(path("again.tvk"));
    expectSameState(reloaded, l);

    EXPECT_EQ(l.AddEvent(Wait, false, 0, 0, 1), 0);
    EXPECT_EQ(l.EventCapacity(), 32);
}

TEST_F(EventFiles, SavingOverALongerFileLeavesExactlyTheNewBytes) {
    writeBytes(path("a.tvk"), std::string(5000, 'z'));
    clsEvents l;
    l.SaveFile(path("a.tvk"));
    EXPECT_EQ(readBytes(path("a.tvk")), Bytes().header(0, 0, 0, "").b);
    EXPECT_EQ(entries(), std::vector<std::string>{"a.tvk"}) << "no temporary file is left";
}

// A script may put NUL into the filter text. Without events the file has no record block to size the
// text, so such a file would load with a shorter text and details taken from its bytes: it is refused
// and the old file stays. With events the block sizes the text and the same text round-trips.
TEST_F(EventFiles, TextWithNulIsSavedOnlyWhereTheFileCanDelimitIt) {
    const std::string nulText = std::string(30, 'a') + '\0' + "b";
    writeBytes(path("old.tvk"), "old");
    clsEvents noStorage;
    noStorage.ElementProcessor = nulText;
    EXPECT_EQ(test::errorOf([&] { noStorage.SaveFile(path("old.tvk")); }), err::InvalidCall);
    EXPECT_EQ(readBytes(path("old.tvk")), "old");

    // One stored slot: a zero slot still tells itself from the text, an event in it does not.
    writeBytes(path("slot.tvk"), Bytes().header(0, 0, 0, "").zeros(22).b);
    clsEvents oneSlot;
    oneSlot.LoadFile(path("slot.tvk"));
    oneSlot.ElementProcessor = std::string(1, '\0') + "x";
    oneSlot.SaveFile(path("zero.tvk"));
    clsEvents zeroBack;
    zeroBack.LoadFile(path("zero.tvk"));
    expectSameState(zeroBack, oneSlot);
    oneSlot.EventCount = 1;
    oneSlot.setEventData(0, 65);
    EXPECT_EQ(test::errorOf([&] { oneSlot.SaveFile(path("slot.tvk")); }), err::InvalidCall);

    clsEvents withEvents;
    withEvents.AddEvent(KeyBoard, true, 1, 2, 65);
    withEvents.ElementProcessor = nulText;
    withEvents.SaveFile(path("events.tvk"));
    clsEvents back;
    back.LoadFile(path("events.tvk"));
    expectSameState(back, withEvents);
    EXPECT_EQ(back.ElementProcessor, nulText);
}

TEST_F(EventFiles, SavingKeepsTheOldFilesPermissions) {
    writeBytes(path("a.tvk"), "old");
    ::chmod(path("a.tvk").c_str(), 0640);
    clsEvents().SaveFile(path("a.tvk"));
    EXPECT_EQ(fs::status(path("a.tvk")).permissions(), fs::perms(0640));
}

TEST_F(EventFiles, FailedLoadLeavesTheListUnchanged) {
    clsEvents l;
    for (int i = 0; i < 5; ++i)
        l.AddEvent(Wait, false, 0, 0, i);
    l.ElementProcessor = "keep";
    const std::vector<EventRecord> before = l.slots();

    // Header fields that look plausible but a record block cut short.
    writeBytes(path("cut.tvk"), Bytes().header(32, 2, -1, "other", 1, 2).zeros(100).b);
    fs::create_directory(path("folder.tvk"));
    struct Case {
        std::string path;
        int number;
    };
    const Case cases[] = {
        {path("cut.tvk"), err::InvalidFileFormat},
        {path("missing.tvk"), err::FileNotFound},
        {path("no-such-folder/a.tvk"), err::PathNotFound},
        {path("folder.tvk"), err::PathFileAccess},
        {"", err::BadFileName},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(errorNumberOf([&] { l.LoadFile(c.path); }), c.number) << c.path;
        EXPECT_EQ(l.slots(), before) << c.path;
        EXPECT_EQ(l.EventCount, 5) << c.path;
        EXPECT_EQ(l.ElementProcessor, "keep") << c.path;
        EXPECT_EQ(l.MouseUpDetail, 50) << c.path;
    }
}

TEST_F(EventFiles, LoadingAFifoFailsInsteadOfWaiting) {
    ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0600), 0);
    clsEvents l;
    EXPECT_EQ(errorNumberOf([&] { l.LoadFile(path("pipe")); }), err::PathFileAccess);
}

TEST_F(EventFiles, FailedSaveKeepsTheOldFileAndLeavesNoTemporaryFile) {
    clsEvents l;
    l.AddEvent(Wait, false, 0, 0, 1);
    fs::create_directory(path("folder.tvk"));
    writeBytes(path("folder.tvk/inside"), "x");
    EXPECT_EQ(errorNumberOf([&] { l.SaveFile(path("folder.tvk")); }), err::PathFileAccess);
    EXPECT_TRUE(fs::is_directory(path("folder.tvk")));
    EXPECT_EQ(errorNumberOf([&] { l.SaveFile(path("missing/a.tvk")); }), err::PathNotFound);
    EXPECT_EQ(errorNumberOf([&] { l.SaveFile(""); }), err::BadFileName);

    l.EventCount = 99; // a state no file can hold: nothing is written
    writeBytes(path("old.tvk"), "old content");
    EXPECT_EQ(errorNumberOf([&] { l.SaveFile(path("old.tvk")); }), err::SubscriptOutOfRange);
    EXPECT_EQ(readBytes(path("old.tvk")), "old content");
    EXPECT_EQ(entries(), (std::vector<std::string>{"folder.tvk", "old.tvk"}));
}

TEST_F(EventFiles, DiskFullDuringSaveKeepsTheOldFile) {
    writeBytes(path("a.tvk"), "old content");
    clsEvents l;
    for (int i = 0; i < 100; ++i)
        l.AddEvent(Wait, false, 0, 0, i);

    // A file size limit makes the write fail the way a full disk does.
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string description;
    const int number = errorNumberOf([&] { l.SaveFile(path("a.tvk")); }, &description);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(number, err::DiskFull) << description;
    EXPECT_NE(description.find("a.tvk"), std::string::npos);
    EXPECT_EQ(readBytes(path("a.tvk")), "old content");
    EXPECT_EQ(entries(), std::vector<std::string>{"a.tvk"});
}

TEST_F(EventFiles, PermissionsAreRespected) {
    if (::geteuid() == 0) GTEST_SKIP() << "file permissions do not bind the superuser";
    writeBytes(path("locked.tvk"), Bytes().header(0, 0, 0, "").b);
    ::chmod(path("locked.tvk").c_str(), 0);
    clsEvents l;
    EXPECT_EQ(errorNumberOf([&] { l.LoadFile(path("locked.tvk")); }), err::PermissionDenied);

    writeBytes(path("readonly.tvk"), "old");
    ::chmod(path("readonly.tvk").c_str(), 0444);
    EXPECT_EQ(errorNumberOf([&] { l.SaveFile(path("readonly.tvk")); }), err::PermissionDenied);
    EXPECT_EQ(readBytes(path("readonly.tvk")), "old");

    fs::create_directory(path("closed"));
    ::chmod(path("closed").c_str(), 0555);
    EXPECT_EQ(errorNumberOf([&] { l.SaveFile(path("closed/a.tvk")); }), err::PermissionDenied);
}
