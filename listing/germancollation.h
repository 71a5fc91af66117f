#pragma once

#include <QStringView>

#include <string>

// The order a German reader expects of a sorted list: letter case not counted, umlauts
// and other accented letters with their base letter ("ä" with "a", "ß" as "ss"), and
// where two texts differ only in accents, the unaccented one first.
namespace GermanCollation {

// Appends a key whose byte order (memcmp, shorter first) is that order: the primary
// weights, then, only for a text with accents, a 0 byte and one accent weight per
// primary weight. Computed once per entry, so sorting never folds a text again.
void appendSortKey(QStringView text, std::string& key);

} // namespace GermanCollation
