#pragma once

// Shared by the libFuzzer harnesses: invariant checks that make libFuzzer keep the input,
// an application object for Qt, silent prompts and reference field readers that do not
// share code with the decoders under test.

#include <QCoreApplication>
#include <QString>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>

#include "base/prompts.h"

namespace pelmo::fuzz {

[[noreturn]] inline void fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "invariant broken: %s (%s:%d)\n", what, file, line);
    std::abort();
}

#define FUZZ_CHECK(cond)                                    \
    do {                                                    \
        if (!(cond)) {                                      \
            ::pelmo::fuzz::fail(#cond, __FILE__, __LINE__); \
        }                                                   \
    } while (false)

// Message boxes go nowhere; questions are answered No and file dialogs cancelled.
class SilentPrompts final : public Prompts {
public:
    void show(Kind, const QString&) override { ++shown; }
    bool askYesNo(Kind, const QString&) override {
        ++shown;
        return false;
    }
    QString openFile(const FileDialogSpec&) override { return {}; }
    QString saveFile(const FileDialogSpec&) override { return {}; }
    int shown = 0;
};

// One application object (timers, texts) and silent program prompts for the whole run.
inline SilentPrompts& setUp() {
    static int argc = 1;
    static char name[] = "pelmo-fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static SilentPrompts silent;
    return silent;
}

// A decoded text field: within its width, with no padding left at its end.
inline bool trimmed(const std::string& text, std::size_t width) {
    return text.size() <= width && (text.empty() || (text.back() != ' ' && text.back() != '\0'));
}

inline bool sameReal(double a, double b) {
    return (std::isnan(a) && std::isnan(b)) || a == b;
}

// Little-endian reads of the raw bytes; 0 past the end, as the program reads short answers.
inline std::uint32_t byteAt(std::span<const std::uint8_t> b, std::size_t i) {
    return i < b.size() ? b[i] : 0u;
}
inline std::uint32_t le16(std::span<const std::uint8_t> b, std::size_t i) {
    return byteAt(b, i) | byteAt(b, i + 1) << 8;
}
inline std::uint32_t le32(std::span<const std::uint8_t> b, std::size_t i) {
    return le16(b, i) | le16(b, i + 2) << 16;
}
inline double single(std::span<const std::uint8_t> b, std::size_t i) {
    const std::uint32_t bits = le32(b, i);
    float f = 0;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

inline std::span<const std::uint8_t> bytesOf(const std::uint8_t* data, std::size_t size) {
    return {data, size};
}

}  // namespace pelmo::fuzz
