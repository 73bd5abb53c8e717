#pragma once

// What the profile writer helper writes, shared with the test that kills it,
// so that the test can tell a value the writer wrote from anything else.

#include <string>

namespace velmora::writer_protocol {

inline constexpr int kWriterKeys = 10;
inline constexpr const char* kWriterSection = "世代";  // Shift_JIS in the file

inline std::string WriterKey(int index) { return "K" + std::to_string(index); }

// Generation g of key i. The length varies from one generation to the next,
// so that a file mixing two versions would not line up.
inline std::string WriterValue(int generation, int index) {
    const int padding = (generation * 7 + index * 3) % 41;
    return std::to_string(generation) + "-" + WriterKey(index) + "-" +
           std::string(static_cast<std::size_t>(padding), 'z') + "-" +
           std::to_string(generation * 31 + index * 17 + padding);
}

}  // namespace velmora::writer_protocol
