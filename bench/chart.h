#pragma once
// The race drawn: characters wrong against the signal-to-noise ratio, one
// line a decoder, on a log scale where 2 % wrong is marked.

#include <QColor>
#include <QString>
#include <utility>
#include <vector>

struct Curve {
    QString name;
    QColor colour;
    std::vector<std::pair<double, double>> points;  // (dB, fraction wrong)
};

bool drawChart(const QString& file, const QString& title, const std::vector<Curve>& curves);
