#pragma once
// Breaks text into lines no wider than a given width, as the platform's text
// drawing does for multi-line buttons and tooltips: at spaces where it can,
// inside a word only when the word alone is wider than a line.

#include <QFontMetrics>
#include <QString>

QString WrapText(const QString& text, const QFontMetrics& fm, int maxWidth);
