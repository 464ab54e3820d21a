#pragma once
namespace pelmo::texts {
// Texts of the program's own additions, numbered from 1000 so that they never meet the
// original table's numbers.
struct AddedText {
    int number;
    const char* czech;
    const char* english;
};
inline constexpr int kFirstAddedText = 1000;
extern const AddedText kAdded[];
extern const int kAddedCount;
}  // namespace pelmo::texts
