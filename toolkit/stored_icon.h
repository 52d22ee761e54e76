#pragma once

#include <QIcon>
#include <QString>

// The picture `resource` as an icon made of the PNG sizes drawn from it at build time, stored under
// ":/prerendered/icons/<its name>/<side>.png"; each is decoded only when first asked for, and nothing
// needs Qt's SVG icon engine, a plugin. Without such sizes, the icon drawn from the picture's recording.
QIcon storedIcon(const QString &resource);
