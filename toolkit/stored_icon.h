#pragma once

#include <QIcon>
#include <QString>

// The SVG picture `resource` as an icon made of the PNG sizes drawn from it at build time, stored under
// ":/prerendered/icons/<its name>/<side>.png"; each is decoded only when first asked for, and nothing
// needs Qt's SVG icon engine, a plugin. Without such sizes, the icon of the SVG itself.
QIcon storedIcon(const QString &resource);
