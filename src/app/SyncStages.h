#pragma once

#include "app/RunDriver.h"

namespace velmora {

class RunUi;

// The real stages of a synchronization over the stores named by the run's
// settings, showing dialogs through `ui`.
StageTable MakeSyncStages(RunUi& ui);

}  // namespace velmora
