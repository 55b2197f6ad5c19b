#pragma once
// Breaks text into lines no wider than a given width, as the platform's text
// drawing does for multi-line buttons and tooltips: at spaces where it can;
// a word wider than a line (a link, a mail address) after a "/", "@", "." or
// "-", and between characters only where it has none of those.

#include <QFontMetrics>
#include <QString>

QString WrapText(const QString& text, const QFontMetrics& fm, int maxWidth);
