// Images of the main window's tool buttons.
#pragma once

namespace Ui {
class MainWindow;
}

// Gives each tool button a built-in image unless its image file in "../icons/" is readable.
void applyToolIcons(Ui::MainWindow& ui);
