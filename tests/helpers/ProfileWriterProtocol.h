#pragma once

// What the profile writer helper writes, shared with the tests that run it, so that they can tell a value the writer
// wrote from anything else.

#include <string>

namespace velmora::writer_protocol {

inline constexpr int kWriterKeys = 10;
inline constexpr const char* kWriterSection = "世代";  // Shift_JIS in the file

// Appended, not "K" + ...: GCC 12 misreads that as an overlapping copy in optimised builds (-Wrestrict).
inline std::string WriterKey(int index) { return std::string(1, 'K').append(std::to_string(index)); }

// Generation g of key i: g first, so that an integer read gives it back. The length varies from one generation to the
// next, so that a file mixing two versions would not line up.
inline std::string WriterValue(int generation, int index) {
    return std::to_string(generation) + "-" + WriterKey(index) + "-" +
           std::string(static_cast<std::size_t>((generation * 7 + index * 3) % 41), 'z');
}

}  // namespace velmora::writer_protocol
