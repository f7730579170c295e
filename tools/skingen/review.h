#pragma once

#include <QImage>
#include <QString>

#include <string>
#include <utility>
#include <vector>

namespace skingen {

// Every picture drawn at device pixel ratio k, checked against the
// catalogue's sizes.
bool drawAll(std::vector<std::pair<std::string, QImage>>& out, int k);

// The faces with sample labels on them, for review.
int mockup(const QString& file);
// Every picture enlarged on grey, for review.
int contactSheet(const QString& file);

} // namespace skingen
