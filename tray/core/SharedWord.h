// Words that threads share. Each is written by one side only, named where it is
// declared; every write is interlocked, a full barrier, so that a reader who sees the
// new value also sees what the writer did before it. A read is a plain aligned read
// of the whole word. Globals of these kinds start at zero.
#pragma once
#include <windows.h>

class SharedFlag {
public:
    void Set(bool on) { InterlockedExchange(&word_, on ? 1 : 0); }
    bool IsSet() const { return word_ != 0; }
    // Sets it; true when this call is the one that raised it.
    bool Raise() { return InterlockedExchange(&word_, 1) == 0; }
    // Clears it; true when this call is the one that lowered it.
    bool Lower() { return InterlockedExchange(&word_, 0) != 0; }

private:
    volatile LONG word_;
};

class SharedWord {
public:
    void Set(LONG value) { InterlockedExchange(&word_, value); }
    LONG Get() const { return word_; }
    // The value before.
    LONG Exchange(LONG value) { return InterlockedExchange(&word_, value); }
    // The value after.
    LONG Increment() { return InterlockedIncrement(&word_); }

private:
    volatile LONG word_;
};
