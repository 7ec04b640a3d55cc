// Memory a load costs, counted by replacing the global allocation functions of this test program.
#include "events/EventFileLayout.h"
#include "events/EventFileReader.h"
#include "events/RuntimeError.h"
#include "events/clsEvents.h"

#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fcntl.h>
#include <malloc.h>
#include <new>
#include <unistd.h>

namespace {

std::atomic<size_t> liveBytes{0};
std::atomic<size_t> peakBytes{0};

void* counted(size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    const size_t now = liveBytes += malloc_usable_size(p);
    size_t peak = peakBytes.load();
    while (now > peak && !peakBytes.compare_exchange_weak(peak, now)) {
    }
    return p;
}

void release(void* p) {
    if (!p) return;
    liveBytes -= malloc_usable_size(p);
    std::free(p);
}

} // namespace

void* operator new(size_t size) {
    return counted(size);
}
void* operator new[](size_t size) {
    return counted(size);
}
void operator delete(void* p) noexcept {
    release(p);
}
void operator delete[](void* p) noexcept {
    release(p);
}
void operator delete(void* p, size_t) noexcept {
    release(p);
}
void operator delete[](void* p, size_t) noexcept {
    release(p);
}

using namespace tvk;
using EventFileMemory = TempDirTest;

// A list of a million slots: the file (22 MB, holes where the records are zero) loads at the size of
// the slots it makes plus a small constant, not the file and the slots side by side.
TEST_F(EventFileMemory, LoadingCostsTheRecordsKeptPlusAConstant) {
    constexpr int32_t capacity = 1'000'000;
    const std::string file = path("big.tvk");
    {
        unsigned char head[EventFileLayout::kFixedFieldsSize] = {};
        EventFileLayout::store32(head, capacity);
        EventFileLayout::store32(head + 4, capacity);
        EventFileLayout::store32(head + 10, 50);
        EventFileLayout::store32(head + 14, 100);
        const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, head, sizeof head), static_cast<ssize_t>(sizeof head));
        ASSERT_EQ(::ftruncate(fd, sizeof head + (int64_t{capacity} + 1) * EventFileLayout::kRecordSize), 0);
        ::close(fd);
    }
    clsEvents list([] { return 0; });
    const size_t before = liveBytes;
    peakBytes = before;
    list.LoadFile(file);
    ASSERT_EQ(list.EventCount, capacity);
    const size_t slotBytes = list.slots().capacity() * sizeof(EventRecord);
    EXPECT_LE(peakBytes - before, slotBytes + (size_t{1} << 20))
        << "peak " << (peakBytes - before) << " bytes for " << slotBytes << " bytes of slots";
}
