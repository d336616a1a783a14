// Click rectangles of the menu screens (open bounds), shared by the painter and its tests.
#pragma once

#include "Ui.h"

namespace orvane::assets::visual {

inline constexpr ClickRect kTitleStart{190, 155, 455, 236};
inline constexpr ClickRect kTitleHelp{465, 357, 690, 427};
inline constexpr ClickRect kTitleExit{465, 465, 690, 542};
inline constexpr ClickRect kHelpStart{509, 398, 649, 451};
inline constexpr ClickRect kHelpExit{506, 468, 658, 600};
inline constexpr ClickRect kGameOverRestart{29, 443, 285, 497};
inline constexpr ClickRect kGameOverExit{431, 443, 660, 497};

}  // namespace orvane::assets::visual
