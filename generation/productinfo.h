#pragma once

#include "generation/version.h"

// Who made Korvale and where to find it: the list file's footer and the info window
// show the same texts.
namespace ProductInfo {

inline constexpr char16_t kProductLine[] = u"Korvale " KORVALE_VERSION;
inline constexpr char16_t kVersion[] = u"" KORVALE_VERSION;
inline constexpr char16_t kAuthor[] = u"Korvale-Team";
inline constexpr char16_t kMailAddress[] = u"info@korvale.example";
inline constexpr char16_t kWebAddress[] = u"https://korvale.example/";

} // namespace ProductInfo
