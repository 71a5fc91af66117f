#pragma once

#include <QList>

#include <functional>

// The rows of a list whose texts are the longest, found by length alone: a view that
// needs the width of its widest row measures these few instead of every row.
namespace LongestRows {

inline constexpr int kCandidates = 16;

// Up to wanted rows of count, the longest first; equal lengths keep the earlier row.
QList<int> among(qsizetype count, const std::function<qsizetype(qsizetype row)>& lengthOf,
                 int wanted = kCandidates);

} // namespace LongestRows
