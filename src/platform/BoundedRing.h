#pragma once
// The last `capacity` items of a stream, oldest first: memory stays bounded however long the
// program runs. Every item pushed gets a sequence number (0, 1, 2, ...), so that a reader can tell
// what it has already seen and what has been dropped since. The ring is Qt's QContiguousCache,
// whose indexes are the sequence numbers; this adapter only grows it to the bound as items come
// (32 history rows of 100,000 records allocated at once would take 77 MB) and keeps the numbers
// going across clear().

#include <QContiguousCache>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>

template <class T> class BoundedRing {
public:
    explicit BoundedRing(size_t capacity)
        : capacity_(qsizetype(capacity)) {}

    void push(T item) {
        if (capacity_ == 0)
            return;
        if (items_.isFull() && items_.capacity() < capacity_) // grow to the bound, never past it
            items_.setCapacity(std::min(capacity_, std::max<qsizetype>(64, 2 * items_.capacity())));
        const qsizetype seq = qsizetype(pushed_++);
        if (items_.isEmpty())
            items_.insert(seq, std::move(item)); // after clear(): the cache starts at seq
        else
            items_.append(std::move(item)); // a full cache drops its oldest
    }
    // Forgets the items; the sequence numbers go on.
    void clear() { items_ = QContiguousCache<T>(); } // the memory goes too

    size_t capacity() const { return size_t(capacity_); }
    size_t size() const { return size_t(items_.count()); }
    bool empty() const { return items_.isEmpty(); }
    const T& operator[](size_t i) const { return items_.at(items_.firstIndex() + qsizetype(i)); }
    const T& last() const { return items_.last(); }

    // Sequence numbers: the oldest item held, and the one the next push gets.
    uint64_t firstSeq() const { return pushed_ - size(); }
    uint64_t endSeq() const { return pushed_; }
    bool holds(uint64_t seq) const { return items_.containsIndex(qsizetype(seq)); }
    const T& bySeq(uint64_t seq) const { return items_.at(qsizetype(seq)); }

private:
    qsizetype capacity_;
    uint64_t pushed_ = 0; // also counts the items dropped
    QContiguousCache<T> items_;
};
