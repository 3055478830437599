// Images of the main window's tool buttons.
#pragma once

#include "ui/mainwindow_p.h"

// Gives each tool button a built-in image unless its image file in "../icons/" is readable.
void applyToolIcons(MainWindowUi& ui);
