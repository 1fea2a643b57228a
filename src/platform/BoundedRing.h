#pragma once
// The last `capacity` items of a stream, oldest first: memory stays bounded however long the
// program runs. Every item pushed gets a sequence number (0, 1, 2, ...), so that a reader can tell
// what it has already seen and what has been dropped since.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

template <class T> class BoundedRing {
public:
    explicit BoundedRing(size_t capacity)
        : capacity_(capacity) {}

    void push(T item) {
        if (capacity_ == 0)
            return;
        ++pushed_;
        if (items_.size() < capacity_) {
            if (items_.size() == items_.capacity()) // grow to the bound, never past it
                items_.reserve(std::min(capacity_, std::max<size_t>(64, 2 * items_.size())));
            items_.push_back(std::move(item));
            return;
        }
        items_[oldest_] = std::move(item); // the oldest goes
        oldest_ = (oldest_ + 1) % capacity_;
    }
    // Forgets the items; the sequence numbers go on.
    void clear() {
        items_ = std::vector<T>(); // the memory goes too
        oldest_ = 0;
    }

    size_t capacity() const { return capacity_; }
    size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    const T& operator[](size_t i) const { return items_[(oldest_ + i) % items_.size()]; }
    const T& last() const { return (*this)[items_.size() - 1]; }

    // Sequence numbers: the oldest item held, and the one the next push gets.
    uint64_t firstSeq() const { return pushed_ - items_.size(); }
    uint64_t endSeq() const { return pushed_; }
    bool holds(uint64_t seq) const { return seq >= firstSeq() && seq < pushed_; }
    const T& bySeq(uint64_t seq) const { return (*this)[size_t(seq - firstSeq())]; }

private:
    size_t capacity_;
    size_t oldest_ = 0;
    uint64_t pushed_ = 0; // also counts the items dropped
    std::vector<T> items_;
};
