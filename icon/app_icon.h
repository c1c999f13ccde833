// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>

namespace appicon {

// The icon at size x size pixels (a multiple of 16), on a transparent ground.
QImage render(int size);

// The icon as a scalable SVG picture.
QString svg();

} // namespace appicon
