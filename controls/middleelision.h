#pragma once

#include <QStringList>

#include <functional>

// Fits a text into the room it has by shortening chosen pieces of it in the middle, so that
// everything around them stays readable: "Ergebnisdatei Liste.txt wurde in
// C:\Daten\...\Auswertungen  erzeugt (2 Verzeichnisse nicht lesbar)".
namespace MiddleElision {

inline constexpr QLatin1String kEllipsis("...");

using Fits = std::function<bool(const QString&)>;

// text itself when it fits. Otherwise the pieces of text named in shortenable (each looked
// for after the one before; one that is not there is passed over; none at all means the
// whole text) are shortened, the longest first: a path loses folders from its middle down
// to its first and last ("C:\...\Auswertungen"), then letters from its middle. Shortening
// stops as soon as the whole fits or nothing is left to take away.
QString fit(const QString& text, const QStringList& shortenable, const Fits& fits);

} // namespace MiddleElision
