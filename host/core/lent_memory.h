// Memory the host lends a module object, its pins' sample buffers, on pages of their own: when
// the object is closed the host takes them back as a real host may free them, and a module that
// still reads or writes them is caught.
#pragma once

#include <cstddef>

namespace tarnhost {

// A block of floats on whole pages of its own. takeBack makes those pages unreadable and moves
// the floats to fresh ones for the host's own later use. On Windows a vectored handler counts an
// access to pages taken back for the host that lent them and opens them again, so that the run
// goes on and the access can be judged; elsewhere the access ends the program, as it would in a
// host that freed the memory.
class LentFloats {
public:
    LentFloats() = default;
    ~LentFloats();
    LentFloats(LentFloats&& other) noexcept;
    LentFloats& operator=(LentFloats&& other) noexcept;
    LentFloats(const LentFloats&) = delete;
    LentFloats& operator=(const LentFloats&) = delete;

    // n floats, each `value`: the same pages when the size stays (a module may hold their
    // address), fresh ones otherwise.
    void assign(size_t n, float value);
    float* data() { return data_; }
    const float* data() const { return data_; }
    size_t size() const { return size_; }
    float* begin() { return data_; }
    float* end() { return data_ + size_; }
    const float* begin() const { return data_; }
    const float* end() const { return data_ + size_; }
    float& operator[](size_t i) { return data_[i]; }
    const float& operator[](size_t i) const { return data_[i]; }

    // [main] The object this block was lent to is closed: its pages become unreadable until
    // forgetTakenBack(touched), and this block goes on at a new address with the same floats.
    // Each block taken back that the module touches afterwards adds one to *touched.
    void takeBack(int* touched);

private:
    float* data_ = nullptr;
    size_t size_ = 0;
};

// [main] Frees every block taken back with this counter: its host is gone, and with it the
// object that was lent them.
void forgetTakenBack(const int* touched);

}  // namespace tarnhost
