#pragma once
// Shared by the fuzz targets: reading a fuzz input as a stream of choices,
// a private working folder, and the check that turns a broken invariant into
// a finding.

#include <QByteArray>
#include <cstddef>
#include <cstdint>

namespace fuzz {

// The input as a stream: bytes, small numbers and byte strings. Reading past
// the end yields zeros and empty strings, so every input is a valid program.
class Input
{
public:
    Input(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}
    bool atEnd() const { return m_pos >= m_size; }
    uint8_t byte() { return atEnd() ? 0 : m_data[m_pos++]; }
    // A length from one byte, below limit, then that many bytes.
    QByteArray bytes(int limit);
    // Everything not read yet.
    QByteArray rest();

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// Makes a fresh temporary folder the working directory for the rest of the
// process (word files and settings land there) and removes it at exit.
void enterTemporaryFolder();

// Reports the broken invariant and aborts, which libFuzzer records as a crash.
[[noreturn]] void fail(const char *what, const char *file, int line);

} // namespace fuzz

#define FUZZ_CHECK(condition) \
    do { \
        if (!(condition)) \
            ::fuzz::fail(#condition, __FILE__, __LINE__); \
    } while (false)
