#pragma once

#include <QByteArray>
#include <QList>

// The footer a list file ends with when written on 2024-03-05 in a German locale.
inline const QByteArray kListFooter = "\r\nKorvale 3.0\r\n05.03.24\r\n(c) Korvale-Team\r\nMail: info@korvale.example\r\n"
                                      "Internet: https://korvale.example/\r\n";

// A list file of these entry lines, as Korvale writes one.
inline QByteArray listFileOf(const QList<QByteArray>& lines)
{
    QByteArray bytes;
    for (const QByteArray& line : lines)
        bytes += line + "\r\n";
    return bytes + kListFooter;
}
