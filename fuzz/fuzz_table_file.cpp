// Linearization table files, read as .lin and as .lif: what was read before a damaged part
// stays, a complete table needs the whole file, and the numbers saved again read back as
// the same texts.
#include <vector>

#include "files/table_file.h"
#include "fuzz_support.h"

using namespace pelmo;
using namespace pelmo::fuzz;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The loader reads at most the .lif size.
    const std::size_t n = std::min<std::size_t>(size, kLifFileSize);
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(n));
    const auto raw = bytesOf(data, n);
    for (const bool lif : {false, true}) {
        const LoadedTable t = decodeTableFile(bytes, lif);
        // A number that is not finite is damage: reading stops there.
        FUZZ_CHECK(t.minText.has_value() == (n >= 4 && std::isfinite(single(raw, 0))));
        FUZZ_CHECK(!t.maxText || t.minText);
        if (!t.complete) {
            FUZZ_CHECK(!t.divider || !lif);
            continue;
        }
        FUZZ_CHECK(n >= static_cast<std::size_t>(lif ? kLifFileSize : kLinFileSize));
        FUZZ_CHECK(t.divider.has_value() == lif);
        std::vector<TablePoint> points;
        for (int i = 0; i < kTableFilePoints; ++i) {
            const std::size_t at = 8 + 8 * static_cast<std::size_t>(i);
            points.push_back({single(raw, at), single(raw, at + 4)});
            FUZZ_CHECK(std::fabs(points.back().input) < 2147483648.0);
        }
        const auto saved = encodeTableFile(single(raw, 0), single(raw, 4), points, t.divider);
        FUZZ_CHECK(saved.has_value());
        FUZZ_CHECK(saved->size() == (lif ? kLifFileSize : kLinFileSize));
        const LoadedTable again = decodeTableFile(*saved, lif);
        FUZZ_CHECK(again.complete && again.minText == t.minText && again.maxText == t.maxText &&
                   again.rows == t.rows);
        if (lif) {
            // The divider entry rounds; once a divider has come back it stays.
            const auto third = decodeTableFile(
                *encodeTableFile(single(raw, 0), single(raw, 4), points, again.divider), lif);
            FUZZ_CHECK(third.divider == again.divider);
        }
    }
    return 0;
}
