// The components view of the selected snapshot's viewpoint: which components it selects, shows,
// hides and colours, how it sets up the view, and its camera.
#pragma once

#include "codec/model.h"

#include <QString>

namespace Ui {
class MainWindow;
}

// What a row of the components view stands for, shown in its first column.
enum class ComponentRole { Selected, Visible, Hidden, Coloured };

// The text of the first column for `role`: "Selected", "Visible", "Hidden" or "Coloured".
QString componentRoleText(ComponentRole role);

// Fills the components tree, the visibility line, the camera line and the bitmap list from `info`.
void fillComponentsView(Ui::MainWindow& ui, const bcf::VisualizationInfo& info);
// Empties the components tree, the two lines and the bitmap list.
void clearComponentsView(Ui::MainWindow& ui);
