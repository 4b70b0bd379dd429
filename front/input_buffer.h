// Buffered reading of a request body from a descriptor, never taking more
// than a byte budget from it.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstddef>

class input_buffer {
public:
    // budget < 0: read until the end of input.
    input_buffer(int fd, long budget) : fd_(fd), left_(budget) {}

    bool empty() const { return pos_ == len_; }
    // Refills the buffer when it is empty; false at the end of input or when
    // the budget is spent.
    bool fill() {
        if (pos_ < len_) return true;
        if (left_ == 0) return false;
        size_t want = sizeof buf_;
        if (left_ > 0 && static_cast<long>(want) > left_) want = static_cast<size_t>(left_);
        ssize_t got;
        do {
            got = read(fd_, buf_, want);
        } while (got < 0 && errno == EINTR);
        if (got <= 0) {
            left_ = 0;
            return false;
        }
        if (left_ > 0) left_ -= got;
        pos_ = 0;
        len_ = static_cast<size_t>(got);
        return true;
    }
    char next() { return buf_[pos_++]; }
    const char* data() const { return buf_ + pos_; }
    size_t size() const { return len_ - pos_; }
    void consume_all() { pos_ = len_; }

private:
    int fd_;
    long left_;
    char buf_[16384];
    size_t pos_ = 0, len_ = 0;
};
