#pragma once

#include <QIcon>

// The program's icon: a control unit with a write arrow, drawn at the sizes a window uses.
QIcon AppIcon();
