#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace pelmo {

class Prompts;

// Linearization table files: minimum and maximum value, sixteen points (input, value) and,
// in a ".lif" file, an entry for the frequency divider; every number a little-endian single.
inline constexpr int kTableFilePoints = 16;
inline constexpr qint64 kLinFileSize = 136;
inline constexpr qint64 kLifFileSize = 140;

// Only an extension of exactly "lif" after the name's last dot makes a ".lif" file.
bool isLifFileName(const QString& path);

// The divider travels as trunc(sqrt(divider)) + 1 and comes back as trunc((c - 1)^2), a
// result of 0 being 1; powers of 4 survive, 8 comes back as 4.
float dividerEntry(std::uint16_t divider);
// Nothing when the entry gives no divider a channel can hold.
std::optional<std::uint16_t> dividerFromEntry(float entry);

struct TablePoint {
    double input = 0.0;
    double value = 0.0;
};

// The file's bytes, or nothing when a number has no single-precision form. Points past
// the given ones are written as zero; the divider entry only when one is given.
std::optional<QByteArray> encodeTableFile(double min, double max,
                                          const std::vector<TablePoint>& points,
                                          std::optional<std::uint16_t> divider);

// A file as the table editor shows it: texts for the two boxes and the sixteen grid rows
// (input, value). What was read before a damaged part stays; `complete` says whether the
// whole file was read.
struct LoadedTable {
    std::optional<QString> minText;
    std::optional<QString> maxText;
    std::array<std::array<QString, 2>, kTableFilePoints> rows;
    std::optional<std::uint16_t> divider;
    bool complete = false;
};
LoadedTable decodeTableFile(const QByteArray& bytes, bool lif);

// Reads a file of at most the ".lif" size; nothing (after the file error box) when it
// cannot be opened.
std::optional<LoadedTable> loadTableFile(const QString& path, Prompts& prompts);

enum class TableSaveResult { Ok, OpenFailed, Failed };
// Writes through a temporary file, so a failure never damages a good file. OpenFailed has
// shown the file error box (the file could not be created or written); Failed (a table the
// file cannot hold) is for the caller to report.
TableSaveResult saveTableFile(const QString& path, double min, double max,
                              const std::vector<TablePoint>& points,
                              std::optional<std::uint16_t> divider, Prompts& prompts);

}  // namespace pelmo
