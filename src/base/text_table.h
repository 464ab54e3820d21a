#pragma once
namespace pelmo::texts {
inline constexpr int kTextCount = 408;
// nullptr where a language has no text for that number.
extern const char* const kCzech[kTextCount];
extern const char* const kEnglish[kTextCount];
}  // namespace pelmo::texts
