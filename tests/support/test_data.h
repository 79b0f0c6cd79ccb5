// The committed test files (tests/data), and a whole file read at once.
#pragma once

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline const std::string kTestData = KTQ_TEST_DATA_DIR;

// The bytes of the file at `path`; empty where it cannot be read.
inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
inline std::vector<unsigned char> ReadFileBytes(const std::string& path) {
    const std::string bytes = ReadWholeFile(path);
    return {bytes.begin(), bytes.end()};
}

#ifdef QT_CORE_LIB
#include <QString>

inline const QString kData = QStringLiteral(KTQ_TEST_DATA_DIR);
#endif
